#pragma once

#include <string>
#include <string_view>
#include <vector>

// A command of the browser's own DDE topic "ZELIO": command "=" argument, the command compared
// ignoring case, the argument running to the next "=" (it cannot hold one) and split at ","
// into fields (a missing field is empty). Commands: "open=collection,book",
// "bookquery=book,collection,query" and "help=topic".
struct CBrowserCommand
{
    enum class Kind
    {
        Unknown,
        Open,
        BookQuery,
        Help
    };
    Kind kind = Kind::Unknown;
    std::string name;                // the command as written
    std::string argument;            // the whole argument
    std::vector<std::string> fields; // the argument split at ","

    // Field i (from 0), blanks at both ends removed; empty when missing.
    std::string Field(std::size_t i) const;

    // Never fails: any text gives a command (Unknown for what the browser does not know).
    static CBrowserCommand Parse(std::string_view text);
};
