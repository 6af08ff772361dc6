#include "LineReader.h"

#include "files/PathLookup.h"

#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr std::size_t kBufferSize = 1 << 16;
// A read needs at most kMaxRead characters plus the CR LF pair that ends it.
constexpr std::size_t kLookahead = CTextLineReader::kMaxRead + 2;
} // namespace

CTextLineReader::CTextLineReader() : m_buffer(new char[kBufferSize]) {}

CTextLineReader::~CTextLineReader()
{
    if (m_file)
        std::fclose(m_file);
}

bool CTextLineReader::Open(const std::string& path)
{
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    m_begin = m_end = 0;
    m_eof = false;
    m_position = 0;
    m_lineFeeds = 0;
    m_line = 0;
    int fd = -1;
    if (platform::OpenRegularFile(platform::ResolveExistingPath(path), fd) != 0)
        return false;
    m_file = ::fdopen(fd, "rb");
    if (!m_file)
        ::close(fd);
    return m_file != nullptr;
}

bool CTextLineReader::Size(std::uint64_t& size) const
{
    if (!m_file)
        return false;
    struct stat status;
    if (fstat(fileno(m_file), &status) != 0)
        return false;
    size = static_cast<std::uint64_t>(status.st_size);
    return true;
}

bool CTextLineReader::Fill()
{
    if (m_eof || !m_file)
        return false;
    if (m_begin > 0) {
        std::memmove(m_buffer.get(), m_buffer.get() + m_begin, m_end - m_begin);
        m_end -= m_begin;
        m_begin = 0;
    }
    const std::size_t got = std::fread(m_buffer.get() + m_end, 1, kBufferSize - m_end, m_file);
    if (got == 0) {
        m_eof = true;
        return false;
    }
    m_end += got;
    return true;
}

bool CTextLineReader::ReadLine(std::string_view& text, bool& endedWithLineFeed)
{
    if (!m_file)
        return false;
    while (m_end - m_begin < kLookahead && !m_eof)
        Fill();
    if (m_begin == m_end)
        return false;

    const char* start = m_buffer.get() + m_begin;
    const std::size_t available = m_end - m_begin;
    std::size_t consumed = 0; // raw bytes taken from the buffer
    std::size_t length = 0;   // characters of the read, line feed excluded
    endedWithLineFeed = false;
    while (length < kMaxRead && consumed < available) {
        const char c = start[consumed];
        if (c == '\n') {
            ++consumed;
            endedWithLineFeed = true;
            break;
        }
        if (c == '\r' && consumed + 1 < available && start[consumed + 1] == '\n') {
            // Text mode: CR LF reads as one line feed.
            consumed += 2;
            endedWithLineFeed = true;
            break;
        }
        ++consumed;
        ++length;
    }
    // The line feed counts among the kMaxRead characters of a read: a line of exactly
    // kMaxRead characters comes back without it, and the next read is the bare line feed.
    m_begin += consumed;
    m_position += consumed;
    m_line = m_lineFeeds + 1;
    if (endedWithLineFeed)
        ++m_lineFeeds;

    // A C-string reader stops at an embedded NUL.
    const void* nul = std::memchr(start, '\0', length);
    if (nul) {
        length = static_cast<std::size_t>(static_cast<const char*>(nul) - start);
        endedWithLineFeed = false;
    }
    text = std::string_view(start, length);
    return true;
}

bool CTextLineReader::ReadTrimmedLine(std::string_view& text)
{
    bool lineFeed = false;
    if (!ReadLine(text, lineFeed))
        return false;
    if (!lineFeed) {
        while (!text.empty() && text.back() == ' ')
            text.remove_suffix(1);
        while (!text.empty() && text.back() == '\t')
            text.remove_suffix(1);
    }
    return true;
}
