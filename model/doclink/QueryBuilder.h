#pragma once

#include <optional>
#include <string>
#include <string_view>

struct CInstanceRecord;

// Turns an instance into the full-text query that finds its documentation.
//
// A query template holds plain text and two kinds of markers, numbered by attribute from 1:
// "$i" stands for value i of the instance (the i-th "^"-separated field, blanks and tabs
// trimmed), followed by one blank per digit of i after the first; "@i(start^count)" stands
// for count characters of value i from position start (counted from 0). Only the first "$i"
// of each number is replaced and the search is plain text, so "$1" also matches the start of
// "$10". Groups are expanded for i = 1, 2, ... up to the first number without an "@i"; a
// group without "(" or an "@i" without a ")" after it stays as it is. Markers are only
// looked for in the template's own text: what a value brings in is never expanded again.

// The largest query the documentation viewer takes (its query buffer holds 300 characters
// with the terminating zero).
constexpr std::size_t kMaxQueryLength = 299;

// Expands a template for an element with attributeCount attributes and the instance's value
// text. Never fails; the result may be longer than kMaxQueryLength.
std::string ExpandQueryTemplate(std::string_view queryTemplate, std::string_view valueText,
                                int attributeCount);

// The template of an instance: the value of its key in section "INSTANCE QUERY" of the model
// file when that is not empty (at most 299 characters), else its element's own template.
// Empty when the instance has no element.
std::string InstanceQueryTemplate(const CInstanceRecord& instance, const std::string& modelPath);

// The query of an instance. std::nullopt when it cannot be built: the instance has no
// element, or the expansion is longer than kMaxQueryLength (a cut query would search for
// something else). templateUsed (optional) receives the template, for the message.
std::optional<std::string> BuildInstanceQuery(const CInstanceRecord& instance,
                                              const std::string& modelPath,
                                              std::string* templateUsed = nullptr);
