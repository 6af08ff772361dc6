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

// Reads a whole regular file into bytes. Directories, FIFOs and devices are refused, so a
// stray path can neither block nor read forever. Returns 0, or an errno value: ENOENT for a
// missing file, EISDIR for anything that is not a regular file, ENOMEM when the bytes do not
// fit in memory. size and mtimeNs (optional) receive the file's status.
int ReadRegularFile(const std::string& path, std::string& bytes, std::uint64_t* size = nullptr,
                    std::int64_t* mtimeNs = nullptr);

} // namespace platform
