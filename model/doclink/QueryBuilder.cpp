#include "QueryBuilder.h"

#include "InstanceLoader.h"
#include "ModelTypes.h"
#include "profile/ProfileReader.h"

#include <algorithm>
#include <charconv>
#include <vector>

namespace {

// The text being expanded, with a flag per byte that says whether it came from the template.
class CExpansion
{
public:
    explicit CExpansion(std::string_view text) : m_text(text), m_fromTemplate(text.size(), 1) {}

    const std::string& Text() const { return m_text; }

    // Position of the first occurrence of pattern at or after from whose bytes all came from
    // the template, or npos.
    std::size_t Find(std::string_view pattern, std::size_t from = 0) const
    {
        for (std::size_t at = m_text.find(pattern, from); at != std::string::npos;
             at = m_text.find(pattern, at + 1)) {
            const auto begin = m_fromTemplate.begin() + static_cast<std::ptrdiff_t>(at);
            if (std::all_of(begin, begin + static_cast<std::ptrdiff_t>(pattern.size()),
                            [](char flag) { return flag != 0; }))
                return at;
        }
        return std::string::npos;
    }

    // Replaces length bytes at position with text that did not come from the template.
    void Replace(std::size_t position, std::size_t length, std::string_view text)
    {
        m_text.replace(position, length, text);
        const auto begin = m_fromTemplate.begin() + static_cast<std::ptrdiff_t>(position);
        m_fromTemplate.erase(begin, begin + static_cast<std::ptrdiff_t>(length));
        m_fromTemplate.insert(m_fromTemplate.begin() + static_cast<std::ptrdiff_t>(position),
                              text.size(), 0);
    }

private:
    std::string m_text;
    std::vector<char> m_fromTemplate;
};

// A decimal number as the C library's atoi reads it: leading blanks, a sign, digits.
int LeadingNumber(std::string_view text)
{
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
        ++at;
    if (at < text.size() && text[at] == '+')
        ++at;
    int value = 0;
    std::from_chars(text.data() + at, text.data() + text.size(), value);
    return value;
}

// The replacement of a substring group "@i(start^count)" (group is the text from "@" to ")"
// inclusive and holds a "(").
std::string GroupText(std::string_view group, const std::string& value)
{
    const std::size_t open = group.find('(');
    const std::string_view inner = group.substr(open + 1, group.size() - open - 2);
    const std::size_t caret = inner.find('^');
    const int start = LeadingNumber(inner.substr(0, caret));
    const int count = caret == std::string_view::npos ? 0 : LeadingNumber(inner.substr(caret + 1));
    if (start < 0 || count <= 0 || static_cast<std::size_t>(start) >= value.size())
        return std::string();
    return value.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(count));
}

// Value n of the instance; empty when the text has fewer values.
std::string ValueOf(std::string_view valueText, int n)
{
    std::string value;
    InstanceValue(valueText, n, value);
    return value;
}

} // namespace

std::string ExpandQueryTemplate(std::string_view queryTemplate, std::string_view valueText,
                                int attributeCount)
{
    CExpansion expansion(queryTemplate);
    for (int i = 1; i <= attributeCount; ++i) {
        const std::string marker = "$" + std::to_string(i);
        const std::size_t at = expansion.Find(marker);
        if (at == std::string::npos)
            continue;
        // "$12" becomes the value and one blank: the text keeps the marker's length less one.
        const std::string replacement =
            ValueOf(valueText, i) + std::string(marker.size() - 2, ' ');
        expansion.Replace(at, marker.size(), replacement);
    }
    for (int i = 1;; ++i) {
        const std::string marker = "@" + std::to_string(i);
        const std::size_t at = expansion.Find(marker);
        if (at == std::string::npos)
            break;
        const std::size_t close = expansion.Find(")", at + marker.size());
        if (close == std::string::npos)
            continue;
        const std::string_view group =
            std::string_view(expansion.Text()).substr(at, close - at + 1);
        if (group.find('(') == std::string_view::npos)
            continue;
        expansion.Replace(at, group.size(), GroupText(group, ValueOf(valueText, i)));
    }
    return expansion.Text();
}

std::string InstanceQueryTemplate(const CInstanceRecord& instance, const std::string& modelPath)
{
    if (!instance.element)
        return std::string();
    if (!modelPath.empty() && !instance.key.empty()) {
        std::string own = platform::GetProfileString(modelPath, "INSTANCE QUERY", instance.key,
                                                     "", kMaxQueryLength + 1);
        if (!own.empty())
            return own;
    }
    return instance.element->query;
}

std::optional<std::string> BuildInstanceQuery(const CInstanceRecord& instance,
                                              const std::string& modelPath,
                                              std::string* templateUsed)
{
    const std::string queryTemplate = InstanceQueryTemplate(instance, modelPath);
    if (templateUsed)
        *templateUsed = queryTemplate;
    if (!instance.element)
        return std::nullopt;
    std::string query =
        ExpandQueryTemplate(queryTemplate, instance.text,
                            static_cast<int>(instance.element->attributes.size()));
    if (query.size() > kMaxQueryLength)
        return std::nullopt;
    return query;
}
