#include "DocumentReference.h"

namespace obuudoc {

const char* const kDocumentReference =
    "<docref docnum=\"%docnum%\" author=\"%author%\" id=\"%id%\" file=\"%file%\" "
    "colrefs=\"%colrefs%\" bookrefs=\"%bookrefs%\" noterefs=\"%noterefs%\">\n"
    "<doctitle>%doctitle%</doctitle>\n"
    "<docdesc>%docdesc%</docdesc>\n"
    "</docref>\n";

std::string FillPlaceholders(std::string_view text, const std::vector<Placeholder>& placeholders)
{
    std::string filled;
    filled.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        const Placeholder* match = nullptr;
        if (text[at] == '%') {
            for (const Placeholder& placeholder : placeholders)
                if (!placeholder.first.empty() &&
                    text.compare(at, placeholder.first.size(), placeholder.first) == 0) {
                    match = &placeholder;
                    break;
                }
        }
        if (match != nullptr) {
            filled += match->second;
            at += match->first.size();
        } else {
            filled += text[at++];
        }
    }
    return filled;
}

std::string EscapeSgmlText(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

std::vector<Placeholder> ReferenceValues(const UserDocumentInput& input, std::time_t now)
{
    return {
        {"%author%", "A. Author"},
        {"%docnum%", "99999"},
        {"%id%", "Id" + std::to_string(static_cast<long>(now))},
        {"%file%", EscapeSgmlText(input.location)},
        {"%colrefs%", "No colrefs"},
        {"%bookrefs%", "No bookrefs"},
        {"%noterefs%", "No noterefs"},
        {"%doctitle%", EscapeSgmlText(input.title)},
        {"%docdesc%", EscapeSgmlText(input.description)},
    };
}

std::string MakeDocumentReference(const UserDocumentInput& input, std::time_t now)
{
    return FillPlaceholders(kDocumentReference, ReferenceValues(input, now));
}

} // namespace obuudoc
