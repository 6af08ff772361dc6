#pragma once

#include <string>
#include <string_view>

namespace platform {

// Case handling that touches ASCII letters only, so bytes of other encodings are never
// changed and never match anything but themselves.
inline char UpperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string ToUpperAscii(std::string_view text);
bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);

} // namespace platform
