#pragma once

// Test images, a small TIFF writer and a modified Huffman encoder for the qgtiff tests.

#include "FaxCodes.h"
#include "TiffImage.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace qgtiff::test {

// A bilevel image, 1 = black, the leftmost pixel in the most significant bit.
struct CBitmap
{
    int width = 0;
    int height = 0;
    std::size_t rowBytes = 0;
    std::vector<std::uint8_t> bits;

    CBitmap() = default;
    CBitmap(int w, int h)
        : width(w), height(h), rowBytes((static_cast<std::size_t>(w) + 7) / 8),
          bits(rowBytes * static_cast<std::size_t>(h), 0)
    {
    }
    void Set(int x, int y)
    {
        if (x >= 0 && y >= 0 && x < width && y < height)
            bits[static_cast<std::size_t>(y) * rowBytes + static_cast<std::size_t>(x) / 8] |=
                static_cast<std::uint8_t>(0x80 >> (x % 8));
    }
    bool Get(int x, int y) const
    {
        return (bits[static_cast<std::size_t>(y) * rowBytes + static_cast<std::size_t>(x) / 8] >> (7 - x % 8)) & 1;
    }
    void Fill(int x0, int y0, int x1, int y1)
    {
        for (int y = std::max(y0, 0); y < std::min(y1, height); ++y)
            for (int x = std::max(x0, 0); x < std::min(x1, width); ++x)
                Set(x, y);
    }
    const std::uint8_t* Row(int y) const { return bits.data() + static_cast<std::size_t>(y) * rowBytes; }
};

// Random filled ellipses and rectangles of many sizes.
inline CBitmap Blobs(int width, int height, unsigned seed)
{
    CBitmap image(width, height);
    std::mt19937 rng(seed);
    const int count = std::max(1, width * height / 4000);
    for (int i = 0; i < count; ++i) {
        const int cx = static_cast<int>(rng() % static_cast<unsigned>(width));
        const int cy = static_cast<int>(rng() % static_cast<unsigned>(height));
        const int rx = 1 + static_cast<int>(rng() % 40);
        const int ry = 1 + static_cast<int>(rng() % 30);
        if (rng() % 2) {
            image.Fill(cx - rx, cy - ry, cx + rx, cy + ry);
        } else {
            for (int y = -ry; y <= ry; ++y)
                for (int x = -rx; x <= rx; ++x)
                    if (x * x * ry * ry + y * y * rx * rx <= rx * rx * ry * ry)
                        image.Set(cx + x, cy + y);
        }
    }
    return image;
}

// Lines of glyph-like strokes with blank gaps, ruled lines and a frame: what a scanned page of
// text looks like to a fax coder.
inline CBitmap TextPage(int width, int height, unsigned seed, int glyph = 24)
{
    CBitmap image(width, height);
    std::mt19937 rng(seed);
    const int stroke = std::max(1, glyph / 8);
    const int lineHeight = glyph * 3 / 2;
    const int margin = width / 12;
    for (int top = glyph; top + glyph < height; top += lineHeight) {
        if (rng() % 9 == 0) { // a ruled line
            image.Fill(margin, top + glyph / 2, width - margin, top + glyph / 2 + stroke);
            continue;
        }
        int x = margin;
        while (x + glyph < width - margin) {
            if (rng() % 6 == 0) { // a space
                x += glyph / 2;
                continue;
            }
            const int w = glyph / 2 + static_cast<int>(rng() % static_cast<unsigned>(glyph / 2));
            const unsigned shape = rng();
            if (shape & 1) image.Fill(x, top, x + stroke, top + glyph);                         // stem
            if (shape & 2) image.Fill(x + w - stroke, top + glyph / 3, x + w, top + glyph);      // right stem
            if (shape & 4) image.Fill(x, top + glyph / 3, x + w, top + glyph / 3 + stroke);      // bar
            if (shape & 8) image.Fill(x, top + glyph - stroke, x + w, top + glyph);              // base
            if (shape & 16) image.Fill(x + w / 2, top + glyph / 3, x + w / 2 + stroke, top + glyph);
            if (shape & 32) // a diagonal
                for (int i = 0; i < glyph; ++i)
                    image.Fill(x + i * w / glyph, top + i, x + i * w / glyph + stroke, top + i + 1);
            x += w + stroke * 2;
        }
    }
    image.Fill(0, 0, width, 2);
    image.Fill(0, height - 2, width, height);
    image.Fill(0, 0, 2, height);
    image.Fill(width - 2, 0, width, height);
    return image;
}

// Blank rows, solid rows, pixel checkerboards, single pixels at both edges and random noise:
// the extremes of run lengths and of changing elements.
inline CBitmap Extremes(int width, int height, unsigned seed)
{
    CBitmap image(width, height);
    std::mt19937 rng(seed);
    for (int y = 0; y < height; ++y) {
        switch (y % 8) {
        case 0: break;                                   // blank
        case 1: image.Fill(0, y, width, y + 1); break;   // solid
        case 2:
        case 3:
            // A change at almost every pixel. (A change at every pixel including the first
            // overflows the system library's run buffer in one-dimensional rows, so the two
            // pixels at either end are left out, in either polarity.)
            for (int x = 2 + (y & 1); x < width - 2; x += 2)
                image.Set(x, y);
            break;
        case 4:
            image.Set(0, y);
            image.Set(width - 1, y);
            break;
        case 5:
            for (int x = 0; x < width; ++x)              // noise
                if (rng() % 3 == 0)
                    image.Set(x, y);
            break;
        case 6: image.Fill(width / 3, y, width, y + 1); break; // black to the end
        default:
            for (int x = 0; x < width; x += 1 + static_cast<int>(rng() % 300))
                image.Fill(x, y, x + static_cast<int>(rng() % 200), y + 1);
            break;
        }
    }
    return image;
}

// --- a minimal TIFF writer ---------------------------------------------------------------

enum : std::uint16_t { kByte = 1, kAscii = 2, kShort = 3, kLong = 4, kRational = 5 };

struct CTiffBuilder
{
    struct CEntry
    {
        std::uint16_t tag;
        std::uint16_t type;
        std::vector<std::uint32_t> values; // RATIONAL: numerator, denominator pairs
    };

    bool bigEndian = false;
    bool writeStripTags = true;       // StripOffsets and StripByteCounts from strips
    bool writeByteCounts = true;
    std::vector<CEntry> entries;
    std::vector<std::vector<std::uint8_t>> strips;

    CTiffBuilder& Set(std::uint16_t tag, std::uint16_t type, std::vector<std::uint32_t> values)
    {
        Remove(tag);
        entries.push_back({tag, type, std::move(values)});
        return *this;
    }
    CTiffBuilder& Remove(std::uint16_t tag)
    {
        std::erase_if(entries, [tag](const CEntry& e) { return e.tag == tag; });
        return *this;
    }

    void Put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) const
    {
        if (out.size() < at + 2)
            out.resize(at + 2);
        out[at + (bigEndian ? 0 : 1)] = static_cast<std::uint8_t>(v >> 8);
        out[at + (bigEndian ? 1 : 0)] = static_cast<std::uint8_t>(v);
    }
    void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) const
    {
        if (out.size() < at + 4)
            out.resize(at + 4);
        for (int i = 0; i < 4; ++i)
            out[at + static_cast<std::size_t>(bigEndian ? i : 3 - i)] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
    }

    std::vector<std::uint8_t> Build() const
    {
        std::vector<std::uint8_t> out;
        out.push_back(bigEndian ? 'M' : 'I');
        out.push_back(bigEndian ? 'M' : 'I');
        Put16(out, 2, 42);
        Put32(out, 4, 0);
        std::vector<CEntry> all = entries;
        std::vector<std::uint32_t> offsets, counts;
        for (const auto& strip : strips) {
            offsets.push_back(static_cast<std::uint32_t>(out.size()));
            counts.push_back(static_cast<std::uint32_t>(strip.size()));
            out.insert(out.end(), strip.begin(), strip.end());
        }
        if (writeStripTags) {
            all.push_back({273, kLong, offsets});
            if (writeByteCounts)
                all.push_back({279, kLong, counts});
        }
        std::stable_sort(all.begin(), all.end(), [](const CEntry& a, const CEntry& b) { return a.tag < b.tag; });
        std::vector<std::uint32_t> valueAt(all.size(), 0);
        for (std::size_t i = 0; i < all.size(); ++i) {
            const std::size_t size = ValueSize(all[i]);
            if (size <= 4)
                continue;
            if (out.size() % 2)
                out.push_back(0);
            valueAt[i] = static_cast<std::uint32_t>(out.size());
            PutValues(out, out.size(), all[i]);
        }
        if (out.size() % 2)
            out.push_back(0);
        const std::size_t ifd = out.size();
        Put32(out, 4, static_cast<std::uint32_t>(ifd));
        Put16(out, ifd, static_cast<std::uint32_t>(all.size()));
        for (std::size_t i = 0; i < all.size(); ++i) {
            const std::size_t at = ifd + 2 + 12 * i;
            Put16(out, at, all[i].tag);
            Put16(out, at + 2, all[i].type);
            const std::size_t count = all[i].type == kRational ? all[i].values.size() / 2 : all[i].values.size();
            Put32(out, at + 4, static_cast<std::uint32_t>(count));
            Put32(out, at + 8, 0);
            if (ValueSize(all[i]) <= 4)
                PutValues(out, at + 8, all[i]);
            else
                Put32(out, at + 8, valueAt[i]);
        }
        Put32(out, ifd + 2 + 12 * all.size(), 0);
        return out;
    }

private:
    static std::size_t ValueSize(const CEntry& e)
    {
        switch (e.type) {
        case kByte: case kAscii: return e.values.size();
        case kShort: return 2 * e.values.size();
        default: return 4 * e.values.size();
        }
    }
    void PutValues(std::vector<std::uint8_t>& out, std::size_t at, const CEntry& e) const
    {
        for (std::size_t k = 0; k < e.values.size(); ++k) {
            switch (e.type) {
            case kByte: case kAscii:
                if (out.size() < at + k + 1)
                    out.resize(at + k + 1);
                out[at + k] = static_cast<std::uint8_t>(e.values[k]);
                break;
            case kShort: Put16(out, at + 2 * k, e.values[k]); break;
            default: Put32(out, at + 4 * k, e.values[k]); break;
            }
        }
    }
};

// The tags of a bilevel image, without strips.
inline CTiffBuilder BilevelTiff(int width, int height, int compression, int rowsPerStrip,
                                bool bigEndian = false, int photometric = 0)
{
    CTiffBuilder b;
    b.bigEndian = bigEndian;
    b.Set(256, kLong, {static_cast<std::uint32_t>(width)});
    b.Set(257, kLong, {static_cast<std::uint32_t>(height)});
    b.Set(258, kShort, {1});
    b.Set(259, kShort, {static_cast<std::uint32_t>(compression)});
    b.Set(262, kShort, {static_cast<std::uint32_t>(photometric)});
    b.Set(277, kShort, {1});
    b.Set(278, kLong, {static_cast<std::uint32_t>(rowsPerStrip)});
    b.Set(282, kRational, {300, 1});
    b.Set(283, kRational, {300, 1});
    b.Set(296, kShort, {2});
    return b;
}

// An uncompressed TIFF of the image; rowAlign 2 gives word-aligned rows.
inline std::vector<std::uint8_t> UncompressedTiff(const CBitmap& image, int rowsPerStrip, bool bigEndian = false,
                                                  int photometric = 0, int compression = 1, std::size_t rowAlign = 1)
{
    CTiffBuilder b = BilevelTiff(image.width, image.height, compression, rowsPerStrip, bigEndian, photometric);
    const std::size_t stride = (image.rowBytes + rowAlign - 1) / rowAlign * rowAlign;
    for (int y0 = 0; y0 < image.height; y0 += rowsPerStrip) {
        std::vector<std::uint8_t> strip;
        for (int y = y0; y < std::min(image.height, y0 + rowsPerStrip); ++y) {
            std::vector<std::uint8_t> row(image.Row(y), image.Row(y) + image.rowBytes);
            if (photometric == 1)
                for (auto& byte : row)
                    byte = static_cast<std::uint8_t>(~byte);
            row.resize(stride, 0);
            strip.insert(strip.end(), row.begin(), row.end());
        }
        b.strips.push_back(std::move(strip));
    }
    return b.Build();
}

// --- modified Huffman encoding -------------------------------------------------------------

class CBitWriter
{
public:
    void Put(const char* bits)
    {
        for (const char* p = bits; *p; ++p)
            PutBit(*p == '1');
    }
    void PutBit(bool bit)
    {
        if (m_used == 0)
            m_bytes.push_back(0);
        if (bit)
            m_bytes.back() |= static_cast<std::uint8_t>(0x80 >> m_used);
        m_used = (m_used + 1) % 8;
    }
    void Align() { m_used = 0; }
    std::vector<std::uint8_t>& Bytes() { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
    int m_used = 0;
};

inline const char* CodeFor(bool black, int run)
{
    using namespace qgtiff::detail;
    const auto find = [run](const auto& table) -> const char* {
        for (const auto& code : table)
            if (code.run == run)
                return code.bits;
        return nullptr;
    };
    const char* bits = black ? find(kBlackCodes) : find(kWhiteCodes);
    return bits ? bits : find(kExtendedMakeupCodes);
}

inline void PutRun(CBitWriter& out, bool black, int run)
{
    while (run >= 2560) {
        out.Put(CodeFor(black, 2560));
        run -= 2560;
    }
    if (run >= 64) {
        out.Put(CodeFor(black, run / 64 * 64));
        run %= 64;
    }
    out.Put(CodeFor(black, run));
}

// Row y as one-dimensional runs, white first.
inline void PutRow(CBitWriter& out, const CBitmap& image, int y)
{
    bool black = false;
    int x = 0;
    while (x < image.width) {
        int end = x;
        while (end < image.width && image.Get(end, y) == black)
            ++end;
        PutRun(out, black, end - x);
        x = end;
        black = !black;
    }
}

// One strip of modified Huffman rows, each starting on a byte boundary.
inline std::vector<std::uint8_t> EncodeModifiedHuffman(const CBitmap& image, int y0, int y1)
{
    CBitWriter out;
    for (int y = y0; y < y1; ++y) {
        PutRow(out, image, y);
        out.Align();
    }
    return std::move(out.Bytes());
}

inline std::vector<std::uint8_t> ReverseBits(std::vector<std::uint8_t> bytes)
{
    for (auto& b : bytes) {
        std::uint8_t r = 0;
        for (int i = 0; i < 8; ++i)
            r |= static_cast<std::uint8_t>(((b >> i) & 1) << (7 - i));
        b = r;
    }
    return bytes;
}

// --- files and tools ---------------------------------------------------------------------

inline void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A folder of its own under the system's temporary folder, removed at the end.
class CTempDir
{
public:
    CTempDir()
    {
        std::random_device rd;
        m_path = std::filesystem::temp_directory_path() /
                 ("qgtiff-" + std::to_string(rd()) + "-" + std::to_string(rd()));
        std::filesystem::create_directories(m_path);
    }
    ~CTempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

inline bool HaveTiffcp()
{
    return std::filesystem::exists(QGTIFF_TIFFCP);
}

// Runs tiffcp with options on in, writing out; true when it succeeded.
inline bool Tiffcp(const std::string& options, const std::filesystem::path& in, const std::filesystem::path& out)
{
    const std::string command = std::string(QGTIFF_TIFFCP) + " " + options + " '" + in.string() + "' '" +
                                out.string() + "' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

// Opens and decodes bytes; the status of whichever step failed.
inline TiffStatus DecodeBytes(std::vector<std::uint8_t> bytes, CBilevelImage& image)
{
    CTiffFile file;
    const TiffStatus status = file.OpenBytes(std::move(bytes));
    if (status != TiffStatus::Ok)
        return status;
    return file.Decode(image);
}

// The first row where the two differ, or -1 when they are the same image.
inline int FirstDifferentRow(const CBitmap& expected, const CBilevelImage& actual)
{
    if (expected.width != actual.width || expected.height != actual.height || expected.rowBytes != actual.rowBytes)
        return 0;
    for (int y = 0; y < expected.height; ++y)
        if (std::memcmp(expected.Row(y), actual.bits.data() + static_cast<std::size_t>(y) * actual.rowBytes,
                        expected.rowBytes) != 0)
            return y;
    return -1;
}

} // namespace qgtiff::test
