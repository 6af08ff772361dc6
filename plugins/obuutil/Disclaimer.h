#pragma once

// Where the product disclaimer lies and what it says, Qt-free. The path comes from the
// browser's configuration file; the text is read whole, up to its first zero byte. Failures
// are answered as the message to show.

#include "ModelLauncher.h"

#include <cstddef>
#include <optional>
#include <string>

namespace obuutil {

// The largest disclaimer read; a larger file is refused as memory that cannot be had.
inline constexpr std::size_t kDisclaimerLimit = 16u << 20;

// The disclaimer's path, or the message 1005 when the configuration names none.
struct DisclaimerLocation
{
    std::string path;
    std::optional<Notice> notice;
};

// Reads key "disclaimer file" of section "obu" of the configuration file at configPath (a
// relative path is taken from the file's folder); when it is empty, "disclaim.txt" in the
// folder of key "DATA_DIR" of section "zelio" (relative to the file's folder, trailing
// separators removed). Neither: message 1005. An empty configPath has no values.
DisclaimerLocation LocateDisclaimer(const std::string& configPath);

// The disclaimer's text as UTF-8 (bytes that are not UTF-8 are taken as Windows-1252), up to
// the file's end or its first zero byte; on failure an empty text and the message: 1004 the
// file cannot be opened (missing, or not a regular file: never waits on a FIFO), 1006 its
// size cannot be taken or it cannot be read, 1007 it is larger than limit or its buffer
// cannot be had.
struct DisclaimerText
{
    std::string text;
    std::optional<Notice> notice;
};
DisclaimerText ReadDisclaimer(const std::string& path, std::size_t limit = kDisclaimerLimit);
// The same from a descriptor the caller opened and keeps (its size, then its bytes).
DisclaimerText ReadDisclaimerFrom(int fd, std::size_t limit = kDisclaimerLimit);

} // namespace obuutil
