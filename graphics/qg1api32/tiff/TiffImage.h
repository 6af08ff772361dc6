#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Bilevel TIFF images: reading the file's directory and decoding its strips. Qt-free; no
// exception leaves this interface.
namespace qgtiff {

// A decoded bilevel image: rows top to bottom, each row rowBytes long, the leftmost pixel in
// the most significant bit, 1 = black (whatever the file's photometric interpretation).
// Padding bits at the end of a row are 0.
struct CBilevelImage
{
    int width = 0;
    int height = 0;
    std::size_t rowBytes = 0;
    std::vector<std::uint8_t> bits;
    double xDpi = 200.0; // dots per inch, after unit conversion and defaults
    double yDpi = 200.0;

    bool Pixel(int x, int y) const
    {
        return (bits[static_cast<std::size_t>(y) * rowBytes + static_cast<std::size_t>(x) / 8] >>
                (7 - x % 8)) &
               1;
    }
};

enum class TiffStatus
{
    Ok = 0,
    CannotOpen,             // the file cannot be opened or read
    NotTiff,                // no TIFF header (byte order mark and version 42)
    UnsupportedDepth,       // "Unsupported color depth": not one sample of one bit
    MissingTags,            // "Missing necessary TIFF tags": width, length or strip offsets
    UnsupportedCompression, // "Unsupported TIFF tag": a compression we do not decode
    BadFillOrder,           // "Bad fill order": fill order 2 with compression 1, 32771, 32773
    UncompressedMode,       // no longer answered: files that allow uncompressed mode open
    TooLarge,               // the image could not be held in memory
    Corrupt,                // the directory or the strips are damaged beyond use
    Stopped,                // the progress procedure asked to stop
};

// Diagnostics (why a file is refused, which rows are damaged) go to standard output and, while
// a sink lives on the calling thread, to it as well, one line at a time without the newline.
// Sinks nest: the newest one hears. While the newest one was made with echo false, lines go to
// it alone (a caller that may hand the work on to another, which would report them again).
class CDiagnosticSink
{
public:
    explicit CDiagnosticSink(std::function<void(const std::string& line)> hear, bool echo = true);
    ~CDiagnosticSink();
    CDiagnosticSink(const CDiagnosticSink&) = delete;
    CDiagnosticSink& operator=(const CDiagnosticSink&) = delete;

    // Prints the line (unless the current sink keeps quiet) and hands it to the current sink.
    static void Say(const std::string& line);

private:
    std::function<void(const std::string&)> m_hear;
    bool m_echo;
    CDiagnosticSink* m_previous;
};

// The diagnostic text of a status ("Unsupported color depth", ...).
const char* TiffStatusText(TiffStatus status);

// The largest image Open and Decode accept, in pixels; larger ones are TooLarge. The default,
// 1 << 34, is 2 GB of bits; widths and heights above 1 << 20 are refused whatever the limit.
// Fuzzing lowers it to keep memory small. Applies to the whole process.
void SetMaxPixels(std::uint64_t pixels);
std::uint64_t MaxPixels();

// Where Decode writes: height rows of rowBytes bytes (the image's own row length), stride
// bytes apart, all zero (white) beforehand. The caller owns the memory.
struct CBilevelTarget
{
    std::uint8_t* bits = nullptr;
    std::size_t stride = 0;
};

// What the chosen image directory (page) says, after defaults.
struct CTiffInfo
{
    bool bigEndian = false;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int bitsPerSample = 1;
    int samplesPerPixel = 1;
    int compression = 1;
    int photometric = 0; // 0 white is zero, 1 black is zero, 3 palette
    // Whether pixel values 0 and 1 are drawn black: by the photometric interpretation, or for
    // a palette image by the brightness of its two colour map entries.
    bool black[2] = {false, true};
    int fillOrder = 1;
    std::uint32_t rowsPerStrip = 0; // defaults to the image height
    std::uint32_t t4Options = 0;
    std::uint32_t t6Options = 0;
    double xResolution = 0; // as written
    double yResolution = 0;
    int resolutionUnit = 2; // 1 none, 2 inch, 3 centimetre
    std::vector<std::uint64_t> stripOffsets;
    std::vector<std::uint64_t> stripByteCounts;

    // Dots per inch: 200 when the resolution is zero or missing, except that a missing y
    // resolution takes the x resolution; centimetres times 2.54.
    double XDpi() const;
    double YDpi() const;
    // Physical size in millimetres: pixels / dpi * 25.4, cut to an integer.
    int WidthMm() const;
    int HeightMm() const;
};

// An opened TIFF file: its bytes, the chain of its image directories (pages) and the
// directory of the chosen page, the first one after Open.
class CTiffFile
{
public:
    CTiffFile();
    ~CTiffFile();
    CTiffFile(const CTiffFile&) = delete;
    CTiffFile& operator=(const CTiffFile&) = delete;

    // Reads the file and checks that it is a bilevel TIFF we can decode. Returns Ok or the
    // reason it is not; diagnostics go to standard output.
    TiffStatus Open(const std::string& path);
    // The same on bytes already in memory (tests, fuzzing).
    TiffStatus OpenBytes(std::vector<std::uint8_t> bytes);

    const CTiffInfo& Info() const { return m_info; }

    // The pages of the file: its image directories, read up to the first one that lies
    // outside the file or that the chain has visited before. 0 before a successful Open.
    int PageCount() const { return static_cast<int>(m_pages.size()); }
    int Page() const { return m_page; }
    // Makes page (from 0) the one Info and Decode describe. Returns Ok, or why that page
    // cannot be decoded (the previous page stays chosen); Corrupt for a page beyond the count.
    TiffStatus SelectPage(int page);

    // Decodes every strip into image. progress gets 0 before and 100 after decoding and may
    // return non-zero to stop (Stopped), at 100 as well. A damaged row is reported on
    // standard output (and to a diagnostic sink);
    // decoding goes on where it can. Returns Ok, Stopped, TooLarge or Corrupt.
    TiffStatus Decode(CBilevelImage& image,
                      const std::function<int(int percent)>& progress = {}) const;
    // The same into memory of the caller's, which must hold Info().height rows of stride
    // bytes (at least the row length), all zero.
    TiffStatus DecodeInto(const CBilevelTarget& target,
                          const std::function<int(int percent)>& progress = {}) const;

private:
    TiffStatus ReadDirectory(std::uint64_t offset, CTiffInfo& info) const;

    std::vector<std::uint8_t> m_bytes;
    std::vector<std::uint64_t> m_pages; // offsets of the image directories
    int m_page = 0;
    CTiffInfo m_info;
    bool m_opened = false; // the last Open succeeded
};

} // namespace qgtiff
