#include "StringUtil.h"

#include "StringPattern.h"
#include "files/PathLookup.h"
#include "text/AsciiCase.h"

#include <climits>
#include <cstddef>
#include <filesystem>

namespace {

bool IsPathSeparator(char c)
{
    return c == '\\' || c == '/';
}

std::string TrimSet(std::string_view text, std::string_view set)
{
    const std::size_t first = text.find_first_not_of(set);
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(set);
    return std::string(text.substr(first, last - first + 1));
}

} // namespace

std::string TrimChar(std::string_view text, char c)
{
    return TrimSet(text, std::string_view(&c, 1));
}

std::string TrimLineEnd(std::string_view text)
{
    // Each kind is removed in its own pass, so "x \n" keeps its blank: the blank is not at
    // the end while the line feed is still there.
    for (char c : {' ', '\t', '\n'}) {
        while (!text.empty() && text.back() == c)
            text.remove_suffix(1);
    }
    return std::string(text);
}

std::string TrimBlanks(std::string_view text)
{
    return TrimSet(text, " ");
}

std::string TrimBlanksTabs(std::string_view text)
{
    return TrimSet(text, " \t");
}

int ExtractNumber(std::string_view text)
{
    bool any = false;
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            continue;
        any = true;
        if (value < INT_MAX) {
            value = value * 10 + (c - '0');
            if (value > INT_MAX)
                value = INT_MAX;
        }
    }
    return any ? static_cast<int>(value) : -1;
}

std::string MakeEntryKey(std::string_view prefix, int n)
{
    std::string key(prefix);
    key += std::to_string(n);
    return key;
}

std::string DirectoryOf(std::string_view path)
{
    for (std::size_t i = path.size(); i > 0; --i) {
        if (IsPathSeparator(path[i - 1]))
            return std::string(path.substr(0, i));
    }
    return std::string(path);
}

std::string JoinModelPath(std::string_view directory, std::string_view name)
{
    for (char c : name) {
        if (IsPathSeparator(c)) {
            std::string path(name);
            for (char& ch : path) {
                if (ch == '\\')
                    ch = '/';
            }
            return path;
        }
    }
    std::string joined(directory);
    joined += name;
    return joined;
}

int FileExists(std::string_view path)
{
    return platform::CanOpenForReading(path) ? 1 : 0;
}

std::string AbsolutePath(std::string_view path)
{
    try {
        std::error_code error;
        const std::filesystem::path absolute = std::filesystem::absolute(path, error);
        return error ? std::string(path) : absolute.lexically_normal().string();
    } catch (...) {
        return std::string(path);
    }
}

int ReadInt(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' ||
                               text[i] == '\v' || text[i] == '\f' || text[i] == '\r'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulate as a negative number so that INT_MIN is reachable exactly.
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 - (text[i] - '0');
        if (value < static_cast<long long>(INT_MIN) - 1)
            value = static_cast<long long>(INT_MIN) - 1;
    }
    if (negative)
        return value < INT_MIN ? INT_MIN : static_cast<int>(value);
    return -value > INT_MAX ? INT_MAX : static_cast<int>(-value);
}

std::pair<int, int> ParseIntPair(std::string_view text, char separator)
{
    std::string_view first;
    std::string_view second;
    GetField(text, separator, 1, first);
    GetField(text, separator, 2, second);
    return {ReadInt(TrimBlanks(first)), ReadInt(TrimBlanks(second))};
}

std::string ReplaceFirst(std::string_view source, std::string_view find,
                         std::string_view replacement)
{
    if (source.empty() || find.empty() || replacement.empty())
        return {};
    const std::size_t pos = source.find(find);
    if (pos == std::string_view::npos)
        return {};
    std::string result;
    result.reserve(source.size() - find.size() + replacement.size());
    result.append(source.substr(0, pos));
    result.append(replacement);
    result.append(source.substr(pos + find.size()));
    return result;
}

int IsVowel(char c)
{
    switch (static_cast<unsigned char>(c)) {
    case 'A': case 'E': case 'I': case 'O': case 'U': case 'Y':
    case 'a': case 'e': case 'i': case 'o': case 'u': case 'y':
    case 0xC4: case 0xD6: case 0xC5: // capital A umlaut, O umlaut, A ring (Windows-1252)
    case 0xE4: case 0xF6: case 0xE5: // the small ones
        return 1;
    default:
        return 0;
    }
}

int FindFrom(std::string_view text, std::string_view sub, int start)
{
    if (start < 0)
        start = 0;
    if (static_cast<std::size_t>(start) > text.size())
        return -1;
    const std::size_t pos = text.find(sub, static_cast<std::size_t>(start));
    if (pos == std::string_view::npos || pos > static_cast<std::size_t>(INT_MAX))
        return -1;
    return static_cast<int>(pos);
}

int Between(std::string_view text, std::string_view open, std::string_view close,
            std::string& out)
{
    const std::size_t begin = text.find(open);
    if (begin == std::string_view::npos || begin > static_cast<std::size_t>(INT_MAX))
        return -1;
    // The close text is searched from the position of the open text itself.
    const std::size_t end = text.find(close, begin);
    if (end == std::string_view::npos)
        return -1;
    out.assign(text.substr(begin, end - begin));
    return static_cast<int>(begin);
}

std::string ToUpperAscii(std::string_view text)
{
    return platform::ToUpperAscii(text);
}

void ToUpperAsciiInPlace(std::string& text)
{
    for (char& c : text)
        c = platform::UpperAscii(c);
}

bool EqualsIgnoreCaseAscii(std::string_view a, std::string_view b)
{
    return platform::EqualsIgnoreAsciiCase(a, b);
}
