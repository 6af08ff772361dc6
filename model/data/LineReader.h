#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

// Reads a text file the way the readers of instance and relation files always have: in text
// mode (CR before LF dropped), one read at most 298 characters long, so a longer line comes
// back as several lines. Buffered: large files cost a few system calls, not one per line.
class CTextLineReader
{
public:
    static constexpr std::size_t kMaxRead = 298;

    CTextLineReader();
    ~CTextLineReader();
    CTextLineReader(const CTextLineReader&) = delete;
    CTextLineReader& operator=(const CTextLineReader&) = delete;

    // Opens the file (looked up ignoring case when it does not exist as written). Returns
    // false when it cannot be opened for reading or is not a regular file: a folder, FIFO,
    // socket or device is refused without waiting, so that reading can neither block nor
    // run forever.
    bool Open(const std::string& path);
    // The file's length from its status; false when the status cannot be read.
    bool Size(std::uint64_t& size) const;

    // The next read: its characters (a line end excluded; cut at an embedded NUL as a C
    // string would be) and whether the read ended with a line feed. False at end of file.
    // The view stays valid until the next call.
    bool ReadLine(std::string_view& text, bool& endedWithLineFeed);
    // The line after the usual trimming of line ends: with a line feed, just the line feed
    // goes (blanks before it stay); without, trailing blanks and then trailing tabs go.
    bool ReadTrimmedLine(std::string_view& text);

    // Bytes of the file consumed so far.
    std::uint64_t Position() const { return m_position; }
    // The line of the file (from 1) on which the last read began; the pieces of a line
    // longer than one read all tell that line. 0 before the first read.
    std::uint64_t LineNumber() const { return m_line; }

private:
    bool Fill();

    std::FILE* m_file = nullptr;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_begin = 0, m_end = 0;
    bool m_eof = false;
    std::uint64_t m_position = 0;
    std::uint64_t m_lineFeeds = 0; // line feeds consumed so far
    std::uint64_t m_line = 0;
};
