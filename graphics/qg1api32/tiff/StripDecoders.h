#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Internal: the strip decoders behind CTiffFile::Decode. Every decoder writes the rows of one
// strip into the image, never touches memory outside them, reports damaged rows on standard
// output as "row N: ..." and leaves rows it cannot decode white.
namespace qgtiff::detail {

// Where a strip's rows go: rows [firstRow, firstRow + rows) of an image whose rows are
// rowBytes long and stride bytes apart. The rows start out all zero (white).
struct CStripTarget
{
    std::uint8_t* bits = nullptr;
    std::size_t rowBytes = 0;
    std::size_t stride = 0;
    int width = 0;
    int firstRow = 0;
    int rows = 0;
    bool invert = false; // the file's 1 bits are white (black is zero)

    std::uint8_t* Row(int r) const
    {
        return bits + static_cast<std::size_t>(firstRow + r) * stride;
    }
};

// Prints "row N: what" on standard output.
void ReportRow(int row, const char* what);

// Clears the padding bits after the last pixel of a row and, for black-is-zero files, inverts
// the row first.
void FinishRow(std::uint8_t* row, std::size_t rowBytes, int width, bool invert);

enum class FaxCoding
{
    ModifiedHuffman, // one-dimensional, every row starts on a byte boundary, no EOLs
    Group3,          // T.4: EOLs, optionally two-dimensional rows
    Group4,          // T.6: two-dimensional rows, no EOLs
};

struct CFaxOptions
{
    FaxCoding coding = FaxCoding::Group4;
    bool twoDimensional = false; // Group 3 rows may be two-dimensionally coded
    bool reverseBits = false;    // fill order 2: the first bit is the least significant one
};

// Buffers kept between strips.
struct CFaxScratch
{
    std::vector<std::uint8_t> data;
    std::vector<int> lineA;
    std::vector<int> lineB;
};

// Decodes one fax-coded strip. Returns the number of rows decoded without damage.
int DecodeFaxStrip(const CFaxOptions& options, const std::uint8_t* data, std::size_t size,
                   const CStripTarget& target, CFaxScratch& scratch);

// Uncompressed rows, each srcRowBytes long in the strip (rowBytes, or rounded up to a
// 16-bit word for word-aligned rows). Returns the number of complete rows.
int DecodeRawStrip(const std::uint8_t* data, std::size_t size, std::size_t srcRowBytes,
                   const CStripTarget& target);

// PackBits run-length coding. Returns the number of complete rows.
int DecodePackBitsStrip(const std::uint8_t* data, std::size_t size, const CStripTarget& target);

} // namespace qgtiff::detail
