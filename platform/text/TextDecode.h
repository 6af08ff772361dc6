#pragma once

#include <string>
#include <string_view>

namespace platform {

// True when the bytes are well-formed UTF-8 (no overlongs, no surrogates, <= U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// Decodes bytes read from a model, instance or relation file for display: valid UTF-8 is
// returned unchanged, anything else is taken as Windows-1252 and converted to UTF-8.
// Undefined 1252 code points (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls.
std::string DecodeToUtf8(std::string_view bytes);

} // namespace platform
