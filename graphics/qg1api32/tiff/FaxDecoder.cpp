// Modified Huffman, T.4 (Group 3) and T.6 (Group 4) decoding.
//
// Rows are decoded into lists of changing elements: the positions where the colour changes,
// the first one from white to black, followed by sentinels equal to the width. The previous
// row's list is the reference line of two-dimensional coding; each list is then painted into
// the image as black spans.
//
// Run-length codes are looked up in direct tables over a 12-bit (white) and 13-bit (black)
// window; two-dimensional mode codes in a 7-bit table. The bit reader loads a 64-bit big-endian
// word at the current bit position of a copy of the strip padded with zero bytes, so a peek
// never reads outside the buffer even when a damaged strip runs out in mid-code.
//
// Damaged rows. In Group 3 data every row starts with an EOL, so after a damaged row the
// decoder looks for the next EOL and goes on from there (the damaged row keeps what was decoded
// before the fault). Modified Huffman and Group 4 data have no such marker: after a damaged row
// the rest of the strip is left white, as nothing after the fault can be trusted.

#include "FaxCodes.h"
#include "StripDecoders.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace qgtiff::detail {
namespace {

// --- code tables ------------------------------------------------------------------------

enum RunKind : std::uint8_t
{
    kInvalid = 0,
    kTerminating,
    kMakeup,
    kEolCode
};

// A table entry: the run length, the code length and the kind of code.
struct CRunEntry
{
    std::uint16_t run = 0;
    std::uint8_t length = 0;
    std::uint8_t kind = kInvalid;
};

enum Mode : std::uint8_t
{
    kModeInvalid = 0,
    kPass,
    kHorizontal,
    kVertical,
    kExtension,
    kZeros
};

struct CModeEntry
{
    std::uint8_t mode = kModeInvalid;
    std::uint8_t length = 0;
    std::int8_t delta = 0; // vertical modes: a1 - b1
};

constexpr int kWhiteBits = 12;
constexpr int kBlackBits = 13;
constexpr int kModeBits = 7;

struct CTables
{
    std::array<CRunEntry, 1 << kWhiteBits> white{};
    std::array<CRunEntry, 1 << kBlackBits> black{};
    std::array<CModeEntry, 1 << kModeBits> modes{};

    template <std::size_t N, typename Entry>
    static void Put(std::array<Entry, N>& table, int tableBits, const char* bits, Entry entry)
    {
        const int length = static_cast<int>(std::strlen(bits));
        unsigned code = 0;
        for (int i = 0; i < length; ++i)
            code = code << 1 | (bits[i] == '1' ? 1u : 0u);
        const int free = tableBits - length;
        entry.length = static_cast<std::uint8_t>(length);
        for (unsigned tail = 0; tail < (1u << free); ++tail)
            table[code << free | tail] = entry;
    }

    static void PutRuns(std::array<CRunEntry, 1 << kWhiteBits>* white,
                        std::array<CRunEntry, 1 << kBlackBits>* black, const CCode& code)
    {
        CRunEntry entry;
        entry.run = static_cast<std::uint16_t>(code.run);
        entry.kind = code.run < 64 ? kTerminating : kMakeup;
        if (white)
            Put(*white, kWhiteBits, code.bits, entry);
        if (black)
            Put(*black, kBlackBits, code.bits, entry);
    }

    CTables()
    {
        for (const CCode& code : kWhiteCodes)
            PutRuns(&white, nullptr, code);
        for (const CCode& code : kBlackCodes)
            PutRuns(nullptr, &black, code);
        for (const CCode& code : kExtendedMakeupCodes)
            PutRuns(&white, &black, code);
        CRunEntry eol;
        eol.kind = kEolCode;
        Put(white, kWhiteBits, kEol, eol);
        Put(black, kBlackBits, kEol, eol);

        Put(modes, kModeBits, "1", CModeEntry{kVertical, 0, 0});
        Put(modes, kModeBits, "011", CModeEntry{kVertical, 0, 1});
        Put(modes, kModeBits, "010", CModeEntry{kVertical, 0, -1});
        Put(modes, kModeBits, "000011", CModeEntry{kVertical, 0, 2});
        Put(modes, kModeBits, "000010", CModeEntry{kVertical, 0, -2});
        Put(modes, kModeBits, "0000011", CModeEntry{kVertical, 0, 3});
        Put(modes, kModeBits, "0000010", CModeEntry{kVertical, 0, -3});
        Put(modes, kModeBits, "0001", CModeEntry{kPass, 0, 0});
        Put(modes, kModeBits, "001", CModeEntry{kHorizontal, 0, 0});
        Put(modes, kModeBits, "0000001", CModeEntry{kExtension, 0, 0});
        Put(modes, kModeBits, "0000000", CModeEntry{kZeros, 0, 0});
    }
};

const CTables& Tables()
{
    static const CTables tables;
    return tables;
}

constexpr std::array<std::uint8_t, 256> MakeReversal()
{
    std::array<std::uint8_t, 256> table{};
    for (int i = 0; i < 256; ++i) {
        int r = 0;
        for (int b = 0; b < 8; ++b)
            r |= ((i >> b) & 1) << (7 - b);
        table[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(r);
    }
    return table;
}
constexpr std::array<std::uint8_t, 256> kReversed = MakeReversal();

// --- bit reader -----------------------------------------------------------------------------

constexpr std::size_t kPadding = 16; // zero bytes after the strip copy

class CBitReader
{
public:
    CBitReader(const std::uint8_t* data, std::size_t bytes)
        : m_data(data), m_end(static_cast<std::uint64_t>(bytes) * 8)
    {
    }

    // The next bits, the first in the most significant position; at least 57 are valid.
    // Callers keep the position within 32 bits past the end, inside the padding.
    std::uint64_t Window() const
    {
        std::uint64_t word;
        std::memcpy(&word, m_data + (m_pos >> 3), sizeof word);
        if constexpr (std::endian::native == std::endian::little)
            word = __builtin_bswap64(word);
        return word << (m_pos & 7);
    }
    std::uint32_t Peek(int count) const
    {
        return static_cast<std::uint32_t>(Window() >> (64 - count));
    }
    void Skip(int count) { m_pos += static_cast<std::uint64_t>(count); }
    void AlignToByte() { m_pos = (m_pos + 7) & ~std::uint64_t{7}; }
    bool AtEnd() const { return m_pos >= m_end; }
    bool Overrun() const { return m_pos > m_end; }

private:
    const std::uint8_t* m_data;
    std::uint64_t m_end;
    std::uint64_t m_pos = 0;
};

// --- rows -----------------------------------------------------------------------------------

enum class RowResult
{
    Ok,
    EndOfData, // the data ran out, or an end-of-block marker, before the row started
    BadCode,
    RunTooLong,
    OutOfOrder,
    UnexpectedEol,
    Uncompressed,
    DataEnds, // the data ran out within the row
};

const char* RowResultText(RowResult result)
{
    switch (result) {
    case RowResult::Ok:
        return "ok";
    case RowResult::EndOfData:
        return "strip data ends";
    case RowResult::BadCode:
        return "bad code";
    case RowResult::RunTooLong:
        return "run past the end of the row";
    case RowResult::OutOfOrder:
        return "changing element out of order";
    case RowResult::UnexpectedEol:
        return "unexpected end of line";
    case RowResult::Uncompressed:
        return "uncompressed mode is not supported";
    case RowResult::DataEnds:
        return "strip data ends within the row";
    }
    return "bad code";
}

// The changing elements of the row being decoded. A run of length zero leaves two equal
// elements in the list: they paint nothing, but they stay elements of the reference line for
// the next row, where they can be b1 and b2 (encoders code a row that starts black as a
// horizontal mode with an empty white run, and some follow it with an empty black run too).
class CLine
{
public:
    CLine(int* elements, int capacity) : m_elements(elements), m_capacity(capacity) {}

    // Adds a colour change at x (never left of the previous one). False when the list is
    // full, which only endless empty runs can cause.
    bool Change(int x)
    {
        if (m_count >= m_capacity)
            return false;
        m_elements[m_count++] = x;
        return true;
    }
    int Count() const { return m_count; }
    // Ends the list: a damaged row ends white, then sentinels at the width.
    void Close(int width, bool damaged)
    {
        if (damaged && (m_count & 1))
            --m_count;
        for (int i = 0; i < 4; ++i)
            m_elements[m_count + i] = width;
    }

private:
    int* m_elements;
    int m_capacity;
    int m_count = 0;
};

// The code that switches one-dimensional coding into uncompressed mode: 000000001111.
constexpr std::uint32_t kUncompressedEntry1D = 0x00F;

// One run of a colour: make-up codes, then a terminating code. Returns the length, or -1 with
// result set.
template <int TableBits, std::size_t N>
inline int DecodeRun(CBitReader& reader, const std::array<CRunEntry, N>& table, int limit,
                     RowResult& result)
{
    int total = 0;
    for (;;) {
        if (reader.Overrun()) {
            result = RowResult::DataEnds;
            return -1;
        }
        const CRunEntry entry = table[reader.Peek(TableBits)];
        if (entry.kind == kTerminating) {
            reader.Skip(entry.length);
            return total + entry.run;
        }
        if (entry.kind == kMakeup) {
            reader.Skip(entry.length);
            total += entry.run;
            if (total > limit) {
                result = RowResult::RunTooLong;
                return -1;
            }
            continue;
        }
        if (entry.kind == kEolCode)
            result = RowResult::UnexpectedEol;
        else if (reader.Peek(12) == kUncompressedEntry1D)
            result = RowResult::Uncompressed;
        else
            result = RowResult::BadCode;
        return -1;
    }
}

RowResult Decode1DRow(CBitReader& reader, const CTables& tables, int width, CLine& line)
{
    int a0 = 0;
    RowResult result = RowResult::Ok;
    for (;;) {
        const int white = DecodeRun<kWhiteBits>(reader, tables.white, width - a0, result);
        if (white < 0)
            return result;
        a0 += white;
        if (a0 > width)
            return RowResult::RunTooLong;
        if (a0 == width)
            break;
        if (!line.Change(a0))
            return RowResult::OutOfOrder;
        const int black = DecodeRun<kBlackBits>(reader, tables.black, width - a0, result);
        if (black < 0)
            return result;
        a0 += black;
        if (a0 > width)
            return RowResult::RunTooLong;
        if (a0 == width)
            break;
        if (!line.Change(a0))
            return RowResult::OutOfOrder;
    }
    return reader.Overrun() ? RowResult::DataEnds : RowResult::Ok;
}

// ref holds the reference line's changing elements followed by sentinels at the width.
RowResult Decode2DRow(CBitReader& reader, const CTables& tables, int width, const int* ref,
                      CLine& line)
{
    int a0 = -1;           // the imaginary element left of the first pixel
    int colour = 0;        // 0 white, 1 black
    std::size_t index = 0; // b1 candidate: even indices change to black, odd ones to white
    RowResult result = RowResult::Ok;
    while (a0 < width) {
        if (reader.Overrun())
            return RowResult::DataEnds;
        while (ref[index] <= a0)
            index += 2;
        const int b1 = ref[index];
        const CModeEntry mode = tables.modes[reader.Peek(kModeBits)];
        switch (mode.mode) {
        case kVertical: {
            reader.Skip(mode.length);
            // a1 may fall on a0: an empty run, which encoders write before the end of a row.
            const int a1 = b1 + mode.delta;
            if (a1 < a0 || a1 > width || a1 < 0)
                return RowResult::OutOfOrder;
            if (a1 < width && !line.Change(a1))
                return RowResult::OutOfOrder;
            a0 = a1;
            colour ^= 1;
            // b1 now has the other parity and cannot lie left of the previous element.
            index = index > 0 ? index - 1 : index + 1;
            break;
        }
        case kHorizontal: {
            reader.Skip(mode.length);
            const int start = a0 < 0 ? 0 : a0;
            int run1;
            int run2;
            if (colour == 0) {
                run1 = DecodeRun<kWhiteBits>(reader, tables.white, width - start, result);
                if (run1 < 0)
                    return result;
                run2 = DecodeRun<kBlackBits>(reader, tables.black, width - start - run1, result);
            } else {
                run1 = DecodeRun<kBlackBits>(reader, tables.black, width - start, result);
                if (run1 < 0)
                    return result;
                run2 = DecodeRun<kWhiteBits>(reader, tables.white, width - start - run1, result);
            }
            if (run2 < 0)
                return result;
            const int a1 = start + run1;
            const int a2 = a1 + run2;
            if (a2 > width)
                return RowResult::RunTooLong;
            if ((a1 < width && !line.Change(a1)) || (a2 < width && !line.Change(a2)))
                return RowResult::OutOfOrder;
            a0 = a2;
            break;
        }
        case kPass: {
            reader.Skip(mode.length);
            const int b2 = ref[index + 1];
            if (b2 <= a0)
                return RowResult::OutOfOrder;
            a0 = b2;
            index += 2;
            break;
        }
        case kExtension:
            return (reader.Peek(10) & 7) == 7 ? RowResult::Uncompressed : RowResult::BadCode;
        case kZeros:
            if (reader.Peek(12) == 1 || (reader.Window() >> 52) == 0) {
                // An EOL (or the first of the two that end a Group 4 strip) where a row starts
                // ends the data; within a row it is a fault.
                return a0 < 0 ? RowResult::EndOfData : RowResult::UnexpectedEol;
            }
            return RowResult::BadCode;
        default:
            return RowResult::BadCode;
        }
    }
    (void)colour;
    return reader.Overrun() ? RowResult::DataEnds : RowResult::Ok;
}

// Paints the black spans of a list of changing elements.
void PaintRow(std::uint8_t* row, const int* elements, int count, int width)
{
    for (int i = 0; i < count; i += 2) {
        const int from = elements[i];
        const int to = i + 1 < count ? elements[i + 1] : width;
        if (from >= to)
            continue;
        const int firstByte = from >> 3;
        const int lastByte = to >> 3;
        const std::uint8_t head = static_cast<std::uint8_t>(0xFFu >> (from & 7));
        const std::uint8_t tail = static_cast<std::uint8_t>(0xFF00u >> (to & 7));
        if (firstByte == lastByte) {
            row[firstByte] |= head & tail;
            continue;
        }
        row[firstByte] |= head;
        if (lastByte > firstByte + 1)
            std::memset(row + firstByte + 1, 0xFF,
                        static_cast<std::size_t>(lastByte - firstByte - 1));
        if (to & 7)
            row[lastByte] |= tail;
    }
}

// Skips fill bits and an EOL where a Group 3 row starts. Returns 1 after an EOL, 0 when the
// row has none, -1 when the data ends first.
int SkipEol(CBitReader& reader)
{
    for (;;) {
        if (reader.AtEnd())
            return -1;
        const std::uint64_t window = reader.Window();
        const int zeros = window ? std::countl_zero(window) : 64;
        if (zeros < 11)
            return 0;
        if (zeros >= 57) { // a long stretch of fill
            reader.Skip(56);
            continue;
        }
        reader.Skip(zeros + 1);
        return reader.Overrun() ? -1 : 1;
    }
}

// After a damaged row: moves to the next EOL without taking it. False when there is none.
bool FindEol(CBitReader& reader)
{
    while (!reader.AtEnd()) {
        const std::uint64_t window = reader.Window();
        const int zeros = window ? std::countl_zero(window) : 64;
        if (zeros == 11)
            return true;
        // No EOL can start before the first one bit when fewer than 11 zeros precede it, nor
        // more than 11 zeros before it; only 57 bits of the window are certain.
        if (zeros < 11)
            reader.Skip(zeros + 1);
        else if (zeros >= 57)
            reader.Skip(45);
        else
            reader.Skip(zeros - 11);
    }
    return false;
}

} // namespace

int DecodeFaxStrip(const CFaxOptions& options, const std::uint8_t* data, std::size_t size,
                   const CStripTarget& target, CFaxScratch& scratch)
{
    const CTables& tables = Tables();
    const int width = target.width;

    scratch.data.resize(size + kPadding);
    if (options.reverseBits) {
        for (std::size_t i = 0; i < size; ++i)
            scratch.data[i] = kReversed[data[i]];
    } else if (size > 0) {
        std::memcpy(scratch.data.data(), data, size);
    }
    std::memset(scratch.data.data() + size, 0, kPadding);

    // Room for two elements per pixel (empty runs) and the sentinels.
    const std::size_t lineSize = 2 * static_cast<std::size_t>(width) + 8;
    // Strips are often a few rows each: the lines keep their memory, and only the sentinels
    // of the all-white reference line that starts a strip are written.
    if (scratch.lineA.size() < lineSize) {
        scratch.lineA.resize(lineSize);
        scratch.lineB.resize(lineSize);
    }
    std::fill_n(scratch.lineA.begin(), 4, width);
    int* ref = scratch.lineA.data(); // an all-white line to start with
    int* cur = scratch.lineB.data();

    CBitReader reader(scratch.data.data(), size);
    int good = 0;
    for (int r = 0; r < target.rows; ++r) {
        const int rowNumber = target.firstRow + r;
        RowResult result = RowResult::Ok;
        CLine line(cur, static_cast<int>(lineSize) - 4);
        switch (options.coding) {
        case FaxCoding::ModifiedHuffman:
            reader.AlignToByte();
            result =
                reader.AtEnd() ? RowResult::EndOfData : Decode1DRow(reader, tables, width, line);
            break;
        case FaxCoding::Group4:
            result = reader.AtEnd() ? RowResult::EndOfData
                                    : Decode2DRow(reader, tables, width, ref, line);
            break;
        case FaxCoding::Group3: {
            const int eol = SkipEol(reader);
            if (eol < 0) {
                result = RowResult::EndOfData;
                break;
            }
            bool oneDimensional = true;
            if (options.twoDimensional) {
                oneDimensional = reader.Peek(1) != 0;
                reader.Skip(1);
            }
            // Another EOL at once: the return to control that ends the data.
            if (eol > 0 && std::countl_zero(reader.Window() | 1) >= 11) {
                result = RowResult::EndOfData;
                break;
            }
            result = oneDimensional ? Decode1DRow(reader, tables, width, line)
                                    : Decode2DRow(reader, tables, width, ref, line);
            if (result == RowResult::EndOfData)
                result = RowResult::UnexpectedEol; // an EOL right after the row's own
            break;
        }
        }

        if (result == RowResult::EndOfData) {
            ReportRow(rowNumber, RowResultText(result));
            break;
        }
        const bool damaged = result != RowResult::Ok;
        line.Close(width, damaged);
        std::uint8_t* row = target.Row(r);
        PaintRow(row, cur, line.Count(), width);
        if (target.invert)
            FinishRow(row, target.rowBytes, width, true);
        std::swap(ref, cur);
        if (!damaged) {
            ++good;
            continue;
        }
        ReportRow(rowNumber, RowResultText(result));
        if (options.coding != FaxCoding::Group3 || !FindEol(reader))
            break;
    }
    return good;
}

} // namespace qgtiff::detail
