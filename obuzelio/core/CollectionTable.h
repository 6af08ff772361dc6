#pragma once

#include <string>
#include <string_view>
#include <vector>

// One collection of the browser's configuration: its directory (as written, relative to the
// data folder unless absolute) and the name the user knows it by.
struct CCollectionEntry
{
    std::string directory;
    std::string alias;
    bool operator==(const CCollectionEntry&) const = default;
};

// The collection table of a "COLLECTION" value: entries "directory=alias" separated by ";",
// each part with white space removed at both ends (no "=": an empty alias). Ordered by
// directory in byte order; of two entries with the same directory the first one written is
// kept. Entries without a directory are dropped. Never fails.
std::vector<CCollectionEntry> ParseCollectionTable(std::string_view value);

// The first entry, in table order, whose directory or alias equals name ignoring ASCII case;
// nullptr when there is none. The pointer is into table.
const CCollectionEntry* FindCollectionEntry(const std::vector<CCollectionEntry>& table,
                                            std::string_view name);

// Copies the entry's directory, then its alias, each with its terminating zero into a buffer
// of length + 1 bytes. True when both fit; a directory that fits is copied even when the
// alias then does not. A text that does not fit leaves its buffer untouched.
bool CopyDirectoryAndAlias(const CCollectionEntry& entry, char* directory, int directoryLength,
                           char* alias, int aliasLength);
