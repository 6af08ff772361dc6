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

// True when the path (looked up ignoring case when it does not exist as written) names a
// regular file that can be opened for reading. Folders, FIFOs, sockets and devices are not
// regular files: opening one for reading could block or never end. Never blocks; the file is
// closed again at once.
bool CanOpenForReading(std::string_view path);

// Opens a regular file for reading without blocking on the way: the open itself cannot wait
// for a FIFO's writer, and anything that is not a regular file is refused. The path is taken
// as written. Returns 0 with fd set to a descriptor in blocking mode that the caller owns and
// closes, or an errno value (fd -1): ENOENT for a missing file, EISDIR for anything that is
// not a regular file (folder, FIFO, socket, device), else open's own error.
int OpenRegularFile(const std::string& path, int& fd);

// Size in bytes and modification stamp of a file (after ResolveExistingPath). Returns false
// when the status cannot be read.
bool FileStatus(std::string_view path, std::uint64_t& size, std::int64_t& mtimeNs);

// Reads a whole regular file into bytes (opened with OpenRegularFile). Directories, FIFOs,
// sockets and devices are refused, so a stray path can neither block nor read forever. Returns 0,
// or an errno value: ENOENT for a missing file, EISDIR for anything that is not a regular file,
// ENOMEM when the bytes do not fit in memory. size and mtimeNs (optional) receive the file's
// status.
int ReadRegularFile(const std::string& path, std::string& bytes, std::uint64_t* size = nullptr,
                    std::int64_t* mtimeNs = nullptr);

} // namespace platform
