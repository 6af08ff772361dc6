#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace zelio {

// Counts the index tokens a text gives (the index's tokenizer); a term without tokens is
// not searchable and is dropped from the query.
using TokenCounter = std::function<std::size_t(std::string_view)>;

// A stand-in for the index's tokenizer: runs of ASCII letters and digits and of non-ASCII
// bytes. Used where no index is at hand (the parser's own tests and the fuzz target).
std::size_t CountTokensSimple(std::string_view text);

// Turns a query of the browser's query language into an FTS5 MATCH expression.
//
// The language: words and quoted phrases ("air valve"; an unterminated quote runs to the
// end); AND, OR and NOT written in upper case are operators, anything else in any case is
// text; words side by side mean AND; parentheses group, unbalanced ones are taken as text; a
// trailing '*' on a word or phrase searches for a prefix. NOT binds to the term after it and
// excludes it from what stands before it; a NOT with nothing positive before it has nothing
// to exclude from and is dropped, as are operators with a missing operand. OR binds weaker
// than AND.
//
// Every term becomes a quoted FTS5 string (inner quotes doubled), so no character of the
// query is ever taken as FTS5 syntax. Answers false when the query holds no searchable term
// (match is then empty).
bool BuildMatchExpression(std::string_view query, const TokenCounter& countTokens,
                          std::string& match);

} // namespace zelio
