#pragma once

// The document reference a user document gets: the reference text with its placeholders, and
// their filling with the values of one added document. Qt-free.

#include <ctime>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace obuudoc {

// The reference text: a docref start tag whose attributes hold the placeholders, then the
// title, the description and the end tag, each on a line of its own, the last followed by a
// line break.
extern const char* const kDocumentReference;

// What the user gave in the "Add User Document" dialog.
struct UserDocumentInput
{
    std::string title;
    std::string description;
    std::string location;
};

// One placeholder ("%author%") and the text that replaces it.
using Placeholder = std::pair<std::string, std::string>;

// Replaces every occurrence of each placeholder in text in one pass over text: a value put
// in is never searched again, so a title holding "%docdesc%" stays as typed. Where two
// placeholders start at the same place, the first in the list wins.
std::string FillPlaceholders(std::string_view text, const std::vector<Placeholder>& placeholders);

// The text with the characters that mean markup in an SGML document (& < > ") written as
// entity references, so that what the user typed stays text.
std::string EscapeSgmlText(std::string_view text);

// The placeholder values of a document added at time now (seconds): the fixed author,
// number and reference texts, the identifier "Id<now>", and the user's title, description
// and location escaped with EscapeSgmlText.
std::vector<Placeholder> ReferenceValues(const UserDocumentInput& input, std::time_t now);

// The filled reference of a document added at time now.
std::string MakeDocumentReference(const UserDocumentInput& input, std::time_t now);

} // namespace obuudoc
