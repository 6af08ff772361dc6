#include "HtmlText.h"

#include "text/AsciiCase.h"
#include "text/TextDecode.h"

#include <array>
#include <cstdint>

namespace zelio {

namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

bool IsAlpha(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

void AppendUtf8(std::string& out, std::uint32_t cp)
{
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        cp = 0xFFFD;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Elements that start and end a line of their own.
bool IsBlockElement(std::string_view name)
{
    static constexpr std::array<std::string_view, 27> kBlocks = {
        "P",  "BR",    "DIV",     "LI",   "UL",   "OL",         "TR",    "TABLE", "H1",
        "H2", "H3",    "H4",      "H5",   "H6",   "PRE",        "HR",    "DL",    "DT",
        "DD", "TITLE", "SECTION", "BODY", "HEAD", "BLOCKQUOTE", "THEAD", "TBODY", "CAPTION"};
    for (std::string_view block : kBlocks) {
        if (platform::EqualsIgnoreAsciiCase(name, block))
            return true;
    }
    return false;
}

// Builds the text, collapsing white space outside <pre>.
class CTextWriter
{
public:
    void Text(std::string_view text, bool pre)
    {
        for (char c : text) {
            if (!pre && IsSpace(c)) {
                m_pendingSpace = true;
                continue;
            }
            Flush();
            m_out += c;
        }
    }
    void Char(char c) { Text(std::string_view(&c, 1), true); }
    void CodePoint(std::uint32_t cp)
    {
        Flush();
        AppendUtf8(m_out, cp);
    }
    void LineBreak()
    {
        m_pendingSpace = false;
        if (!m_out.empty() && m_out.back() != '\n')
            m_out += '\n';
    }
    std::string Take()
    {
        while (!m_out.empty() && m_out.back() == '\n')
            m_out.pop_back();
        return std::move(m_out);
    }

private:
    void Flush()
    {
        if (m_pendingSpace && !m_out.empty() && m_out.back() != '\n')
            m_out += ' ';
        m_pendingSpace = false;
    }

    std::string m_out;
    bool m_pendingSpace = false;
};

// Decodes the entity at html[pos] ('&'); answers the length used, 0 when it is no entity.
std::size_t DecodeEntity(std::string_view html, std::size_t pos, CTextWriter& out)
{
    const std::size_t limit = std::min(html.size(), pos + 12);
    std::size_t end = pos + 1;
    while (end < limit && html[end] != ';')
        ++end;
    if (end >= limit || html[end] != ';')
        return 0;
    const std::string_view name = html.substr(pos + 1, end - pos - 1);
    if (name.size() >= 2 && name[0] == '#') {
        const bool hex = name[1] == 'x' || name[1] == 'X';
        const std::string_view digits = name.substr(hex ? 2 : 1);
        if (digits.empty())
            return 0;
        std::uint32_t cp = 0;
        for (char c : digits) {
            unsigned digit;
            if (IsDigit(c))
                digit = static_cast<unsigned>(c - '0');
            else if (hex && c >= 'a' && c <= 'f')
                digit = static_cast<unsigned>(c - 'a' + 10);
            else if (hex && c >= 'A' && c <= 'F')
                digit = static_cast<unsigned>(c - 'A' + 10);
            else
                return 0;
            cp = cp * (hex ? 16 : 10) + digit;
            if (cp > 0x10FFFF)
                cp = 0x110000; // stays invalid without overflowing
        }
        out.CodePoint(cp);
        return end - pos + 1;
    }
    static constexpr std::array<std::pair<std::string_view, char>, 6> kNamed = {
        {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}, {"nbsp", ' '}}};
    for (const auto& [entity, c] : kNamed) {
        if (name == entity) {
            out.Char(c);
            return end - pos + 1;
        }
    }
    return 0;
}

// Finds the end of the tag starting at html[pos] ('<'): the position after its '>', honouring
// quoted attribute values; the end of the text when it is not closed.
std::size_t TagEnd(std::string_view html, std::size_t pos)
{
    char quote = 0;
    for (std::size_t i = pos + 1; i < html.size(); ++i) {
        const char c = html[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i + 1;
        }
    }
    return html.size();
}

} // namespace

std::string HtmlToText(std::string_view html)
{
    CTextWriter out;
    int preDepth = 0;
    std::size_t pos = 0;
    while (pos < html.size()) {
        const char c = html[pos];
        if (c == '&') {
            const std::size_t used = DecodeEntity(html, pos, out);
            if (used == 0) {
                out.Text(html.substr(pos, 1), preDepth > 0);
                ++pos;
            } else {
                pos += used;
            }
            continue;
        }
        if (c != '<') {
            std::size_t next = pos;
            while (next < html.size() && html[next] != '<' && html[next] != '&')
                ++next;
            out.Text(html.substr(pos, next - pos), preDepth > 0);
            pos = next;
            continue;
        }
        // A '<' that starts no tag ("a < b") is text.
        const char after = pos + 1 < html.size() ? html[pos + 1] : '\0';
        if (!(IsAlpha(after) || after == '/' || after == '!' || after == '?')) {
            out.Text("<", preDepth > 0);
            ++pos;
            continue;
        }
        if (html.substr(pos, 4) == "<!--") {
            const std::size_t close = html.find("-->", pos + 4);
            pos = close == std::string_view::npos ? html.size() : close + 3;
            continue;
        }
        const std::size_t end = TagEnd(html, pos);
        const bool closing = after == '/';
        std::size_t nameBegin = pos + (closing ? 2 : 1);
        std::size_t nameEnd = nameBegin;
        while (nameEnd < end && (IsAlpha(html[nameEnd]) || IsDigit(html[nameEnd])))
            ++nameEnd;
        const std::string_view name = html.substr(nameBegin, nameEnd - nameBegin);
        pos = end;
        if (!closing && (platform::EqualsIgnoreAsciiCase(name, "script") ||
                         platform::EqualsIgnoreAsciiCase(name, "style"))) {
            // Skip to the matching end tag (or the end of the text).
            const std::string upper = platform::ToUpperAscii(html.substr(pos));
            const std::size_t close = upper.find("</" + platform::ToUpperAscii(name));
            pos = close == std::string::npos ? html.size() : TagEnd(html, pos + close);
            continue;
        }
        if (platform::EqualsIgnoreAsciiCase(name, "pre"))
            preDepth = closing ? std::max(0, preDepth - 1) : preDepth + 1;
        if (IsBlockElement(name))
            out.LineBreak();
        else if (platform::EqualsIgnoreAsciiCase(name, "td") ||
                 platform::EqualsIgnoreAsciiCase(name, "th"))
            out.Text(" ", false); // cells of a row stay apart
    }
    return out.Take();
}

std::string ContentText(std::string_view bytes, bool html)
{
    std::string text = platform::DecodeToUtf8(bytes);
    // Text mode: CR before LF is dropped.
    std::string cleaned;
    cleaned.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        cleaned += text[i];
    }
    return html ? HtmlToText(cleaned) : cleaned;
}

bool IsContentFileName(std::string_view name, bool* html)
{
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return false;
    const std::string ext = platform::ToUpperAscii(name.substr(dot + 1));
    const bool isHtml = ext == "HTM" || ext == "HTML";
    if (html)
        *html = isHtml;
    return isHtml || ext == "TXT";
}

} // namespace zelio
