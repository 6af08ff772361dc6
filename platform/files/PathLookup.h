#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Turns every backslash into a slash.
std::string NormalizeSeparators(std::string_view path);

// Returns the path as it exists on disk. When the path (separators normalised) does not
// exist as written, it is looked up again ignoring ASCII case, component by component.
// When no match is found, returns the normalised path unchanged.
std::string ResolveExistingPath(std::string_view path);

// True when the file (after ResolveExistingPath) can be opened for reading and is not a
// directory. The file is closed again at once.
bool CanOpenForReading(std::string_view path);

// Size in bytes and modification stamp of a file (after ResolveExistingPath). Returns false
// when the status cannot be read.
bool FileStatus(std::string_view path, std::uint64_t& size, std::int64_t& mtimeNs);

} // namespace platform
