#include "TiffImage.h"

#include "StripDecoders.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <new>

namespace qgtiff {
namespace {

constexpr std::uint32_t kMaxSide = 1u << 20;
std::atomic<std::uint64_t> g_maxPixels{std::uint64_t{1} << 34};

enum Tag : std::uint16_t
{
    kImageWidth = 256,
    kImageLength = 257,
    kBitsPerSample = 258,
    kCompression = 259,
    kPhotometric = 262,
    kFillOrder = 266,
    kStripOffsets = 273,
    kSamplesPerPixel = 277,
    kRowsPerStrip = 278,
    kStripByteCounts = 279,
    kXResolution = 282,
    kYResolution = 283,
    kT4Options = 292,
    kT6Options = 293,
    kResolutionUnit = 296,
    kColorMap = 320,
};

// Image directories followed at most; a chain longer than this is cut there.
constexpr std::size_t kMaxPages = 65536;

enum Type : std::uint16_t
{
    kByte = 1,
    kShort = 3,
    kLong = 4,
    kRational = 5
};

thread_local CDiagnosticSink* t_sink = nullptr;

void Say(const char* text)
{
    CDiagnosticSink::Say(text);
}

TiffStatus Fail(TiffStatus status, const char* detail = nullptr)
{
    if (detail)
        CDiagnosticSink::Say(std::string(TiffStatusText(status)) + ": " + detail);
    else
        Say(TiffStatusText(status));
    return status;
}

// Reads the directory of a TIFF file held in memory; every offset is checked against its size.
class CDirectoryReader
{
public:
    CDirectoryReader(const std::vector<std::uint8_t>& bytes, bool bigEndian)
        : m_bytes(bytes), m_bigEndian(bigEndian)
    {
    }

    bool Fits(std::uint64_t offset, std::uint64_t length) const
    {
        return offset <= m_bytes.size() && length <= m_bytes.size() - offset;
    }
    std::uint32_t U16(std::uint64_t at) const
    {
        const std::uint8_t* p = m_bytes.data() + at;
        return m_bigEndian ? (p[0] << 8 | p[1]) : (p[1] << 8 | p[0]);
    }
    std::uint32_t U32(std::uint64_t at) const
    {
        const std::uint8_t* p = m_bytes.data() + at;
        const std::uint32_t b0 = p[0], b1 = p[1], b2 = p[2], b3 = p[3];
        return m_bigEndian ? (b0 << 24 | b1 << 16 | b2 << 8 | b3)
                           : (b3 << 24 | b2 << 16 | b1 << 8 | b0);
    }

    // One directory entry: where its values are, or nothing when their type is not one we read
    // or they lie outside the file.
    struct CEntry
    {
        std::uint16_t tag = 0;
        std::uint16_t type = 0;
        std::uint32_t count = 0;
        std::uint64_t at = 0; // offset of the first value
        bool usable = false;
    };

    CEntry Entry(std::uint64_t at) const
    {
        CEntry entry;
        entry.tag = static_cast<std::uint16_t>(U16(at));
        entry.type = static_cast<std::uint16_t>(U16(at + 2));
        entry.count = U32(at + 4);
        const int size = TypeSize(entry.type);
        if (size == 0 || entry.count == 0)
            return entry;
        const std::uint64_t length =
            static_cast<std::uint64_t>(entry.count) * static_cast<std::uint64_t>(size);
        entry.at = length <= 4 ? at + 8 : U32(at + 8);
        entry.usable = Fits(entry.at, length);
        return entry;
    }

    // The i-th value of an integer entry (BYTE, SHORT or LONG; a RATIONAL rounds down).
    std::uint64_t Integer(const CEntry& entry, std::uint32_t i) const
    {
        switch (entry.type) {
        case kByte:
            return m_bytes[entry.at + i];
        case kShort:
            return U16(entry.at + 2ull * i);
        case kLong:
            return U32(entry.at + 4ull * i);
        case kRational: {
            const std::uint32_t denominator = U32(entry.at + 8ull * i + 4);
            return denominator ? U32(entry.at + 8ull * i) / denominator : 0;
        }
        }
        return 0;
    }
    double Real(const CEntry& entry) const
    {
        if (entry.type != kRational)
            return static_cast<double>(Integer(entry, 0));
        const std::uint32_t denominator = U32(entry.at + 4);
        return denominator ? static_cast<double>(U32(entry.at)) / denominator : 0.0;
    }

    static int TypeSize(std::uint16_t type)
    {
        switch (type) {
        case kByte:
            return 1;
        case kShort:
            return 2;
        case kLong:
            return 4;
        case kRational:
            return 8;
        }
        return 0;
    }

private:
    const std::vector<std::uint8_t>& m_bytes;
    bool m_bigEndian;
};

double Dpi(double resolution, int unit)
{
    if (!(resolution > 0))
        return 200.0;
    return unit == 3 ? resolution * 2.54 : resolution;
}

int Millimetres(std::uint32_t pixels, double dpi)
{
    const double mm = pixels / dpi * 25.4;
    return mm >= static_cast<double>(INT_MAX) ? INT_MAX : static_cast<int>(mm);
}

bool FaxCompression(int compression)
{
    return compression == 2 || compression == 3 || compression == 4;
}

// The size of the decoded image, or TooLarge.
TiffStatus CheckSize(const CTiffInfo& info, std::size_t& rowBytes)
{
    if (info.width > kMaxSide || info.height > kMaxSide)
        return TiffStatus::TooLarge;
    const std::uint64_t pixels = static_cast<std::uint64_t>(info.width) * info.height;
    if (pixels > MaxPixels())
        return TiffStatus::TooLarge;
    rowBytes = (static_cast<std::size_t>(info.width) + 7) / 8;
    return TiffStatus::Ok;
}

} // namespace

CDiagnosticSink::CDiagnosticSink(std::function<void(const std::string&)> hear, bool echo)
    : m_hear(std::move(hear)), m_echo(echo), m_previous(t_sink)
{
    t_sink = this;
}

CDiagnosticSink::~CDiagnosticSink()
{
    t_sink = m_previous;
}

void CDiagnosticSink::Say(const std::string& line)
{
    if (!t_sink || t_sink->m_echo)
        std::printf("%s\n", line.c_str());
    if (t_sink && t_sink->m_hear) {
        try {
            t_sink->m_hear(line);
        } catch (const std::exception&) {
        }
    }
}

const char* TiffStatusText(TiffStatus status)
{
    switch (status) {
    case TiffStatus::Ok:
        return "OK";
    case TiffStatus::CannotOpen:
        return "Cannot open the TIFF file";
    case TiffStatus::NotTiff:
        return "Not a TIFF file";
    case TiffStatus::UnsupportedDepth:
        return "Unsupported color depth";
    case TiffStatus::MissingTags:
        return "Missing necessary TIFF tags";
    case TiffStatus::UnsupportedCompression:
        return "Unsupported TIFF tag";
    case TiffStatus::BadFillOrder:
        return "Bad fill order";
    case TiffStatus::UncompressedMode:
        return "Uncompressed mode in T.4 coding is not supported";
    case TiffStatus::TooLarge:
        return "Image too large";
    case TiffStatus::Corrupt:
        return "Damaged TIFF file";
    case TiffStatus::Stopped:
        return "Stopped";
    }
    return "Unknown TIFF status";
}

void SetMaxPixels(std::uint64_t pixels)
{
    g_maxPixels.store(pixels);
}

std::uint64_t MaxPixels()
{
    return g_maxPixels.load();
}

double CTiffInfo::XDpi() const
{
    return Dpi(xResolution, resolutionUnit);
}

double CTiffInfo::YDpi() const
{
    // Square pixels when only the x resolution is given.
    return Dpi(yResolution > 0 ? yResolution : xResolution, resolutionUnit);
}

int CTiffInfo::WidthMm() const
{
    return Millimetres(width, XDpi());
}

int CTiffInfo::HeightMm() const
{
    return Millimetres(height, YDpi());
}

CTiffFile::CTiffFile() = default;
CTiffFile::~CTiffFile() = default;

TiffStatus CTiffFile::Open(const std::string& path)
{
    std::vector<std::uint8_t> bytes;
    try {
        std::ifstream in(path, std::ios::binary | std::ios::ate);
        if (!in)
            return Fail(TiffStatus::CannotOpen, path.c_str());
        const std::streamoff size = in.tellg();
        if (size < 0)
            return Fail(TiffStatus::CannotOpen, path.c_str());
        bytes.resize(static_cast<std::size_t>(size));
        in.seekg(0);
        if (!in.read(reinterpret_cast<char*>(bytes.data()), size))
            return Fail(TiffStatus::CannotOpen, path.c_str());
    } catch (const std::bad_alloc&) {
        return Fail(TiffStatus::TooLarge, path.c_str());
    } catch (const std::exception&) {
        return Fail(TiffStatus::CannotOpen, path.c_str());
    }
    return OpenBytes(std::move(bytes));
}

TiffStatus CTiffFile::OpenBytes(std::vector<std::uint8_t> bytes)
{
    m_bytes = std::move(bytes);
    m_info = CTiffInfo{};
    m_pages.clear();
    m_page = 0;
    m_opened = false;
    try {
        // A file without a TIFF header is another kind of graphic (the graphics library
        // tries every file as a TIFF first): nothing to report.
        if (m_bytes.size() < 8)
            return TiffStatus::NotTiff;
        bool bigEndian = false;
        if (m_bytes[0] == 'I' && m_bytes[1] == 'I')
            bigEndian = false;
        else if (m_bytes[0] == 'M' && m_bytes[1] == 'M')
            bigEndian = true;
        else
            return TiffStatus::NotTiff;
        const CDirectoryReader dir(m_bytes, bigEndian);
        if (dir.U16(2) != 42)
            return TiffStatus::NotTiff;

        // The chain of directories ends at a zero offset, at a directory that does not lie
        // wholly inside the file, or at one visited before (a loop): the pages before it
        // still open.
        std::uint64_t ifd = dir.U32(4);
        while (ifd != 0 && m_pages.size() < kMaxPages) {
            if (!dir.Fits(ifd, 2) || !dir.Fits(ifd + 2, 12ull * dir.U16(ifd) + 4))
                break;
            if (std::find(m_pages.begin(), m_pages.end(), ifd) != m_pages.end())
                break;
            m_pages.push_back(ifd);
            ifd = dir.U32(ifd + 2 + 12ull * dir.U16(ifd));
        }
        if (m_pages.empty()) {
            const std::uint64_t first = dir.U32(4);
            return Fail(TiffStatus::Corrupt, dir.Fits(first, 2)
                                                 ? "the directory runs past the end of the file"
                                                 : "the directory lies outside the file");
        }
        CTiffInfo info;
        const TiffStatus status = ReadDirectory(m_pages.front(), info);
        if (status != TiffStatus::Ok) {
            m_pages.clear();
            return status;
        }
        m_info = std::move(info);
    } catch (const std::bad_alloc&) {
        m_pages.clear();
        return Fail(TiffStatus::TooLarge);
    }
    m_opened = true;
    return TiffStatus::Ok;
}

TiffStatus CTiffFile::SelectPage(int page)
{
    if (!m_opened || page < 0 || page >= PageCount())
        return Fail(TiffStatus::Corrupt, "no such page");
    try {
        CTiffInfo info;
        const TiffStatus status = ReadDirectory(m_pages[static_cast<std::size_t>(page)], info);
        if (status != TiffStatus::Ok)
            return status;
        m_info = std::move(info);
        m_page = page;
    } catch (const std::bad_alloc&) {
        return Fail(TiffStatus::TooLarge);
    }
    return TiffStatus::Ok;
}

TiffStatus CTiffFile::ReadDirectory(std::uint64_t ifd, CTiffInfo& info) const
{
    info = CTiffInfo{};
    info.bigEndian = m_bytes[0] == 'M';
    const CDirectoryReader dir(m_bytes, info.bigEndian);
    const std::uint32_t entries = dir.U16(ifd);
    if (!dir.Fits(ifd + 2, 12ull * entries))
        return Fail(TiffStatus::Corrupt, "the directory runs past the end of the file");

    bool haveWidth = false, haveLength = false, haveOffsets = false, haveCounts = false;
    std::vector<std::uint64_t> colorMap;
    for (std::uint32_t i = 0; i < entries; ++i) {
        const auto entry = dir.Entry(ifd + 2 + 12ull * i);
        if (!entry.usable)
            continue;
        const auto first = [&] { return dir.Integer(entry, 0); };
        const auto clampInt = [](std::uint64_t v) {
            return static_cast<int>(std::min<std::uint64_t>(v, INT_MAX));
        };
        switch (entry.tag) {
        case kImageWidth:
            info.width = static_cast<std::uint32_t>(std::min<std::uint64_t>(first(), UINT32_MAX));
            haveWidth = true;
            break;
        case kImageLength:
            info.height = static_cast<std::uint32_t>(std::min<std::uint64_t>(first(), UINT32_MAX));
            haveLength = true;
            break;
        case kBitsPerSample:
            // One value per sample; any sample deeper than one bit is unsupported.
            info.bitsPerSample = clampInt(first());
            for (std::uint32_t k = 1; k < entry.count && k < 16; ++k) {
                if (dir.Integer(entry, k) != 1)
                    info.bitsPerSample = clampInt(dir.Integer(entry, k));
            }
            break;
        case kSamplesPerPixel:
            info.samplesPerPixel = clampInt(first());
            break;
        case kCompression:
            info.compression = clampInt(first());
            break;
        case kPhotometric:
            info.photometric = clampInt(first());
            break;
        case kFillOrder:
            info.fillOrder = first() == 2 ? 2 : 1;
            break;
        case kRowsPerStrip:
            info.rowsPerStrip =
                static_cast<std::uint32_t>(std::min<std::uint64_t>(first(), UINT32_MAX));
            break;
        case kT4Options:
            info.t4Options = static_cast<std::uint32_t>(first());
            break;
        case kT6Options:
            info.t6Options = static_cast<std::uint32_t>(first());
            break;
        case kXResolution:
            info.xResolution = dir.Real(entry);
            break;
        case kYResolution:
            info.yResolution = dir.Real(entry);
            break;
        case kResolutionUnit:
            info.resolutionUnit = clampInt(first());
            break;
        case kColorMap:
            // Red, green and blue of each entry: six values for a one-bit image.
            if (entry.count == 6) {
                for (std::uint32_t k = 0; k < 6; ++k)
                    colorMap.push_back(dir.Integer(entry, k));
            }
            break;
        case kStripOffsets:
        case kStripByteCounts: {
            // The values lie inside the file, so their number is bounded by its size.
            auto& values = entry.tag == kStripOffsets ? info.stripOffsets : info.stripByteCounts;
            values.resize(entry.count);
            for (std::uint32_t k = 0; k < entry.count; ++k)
                values[k] = dir.Integer(entry, k);
            (entry.tag == kStripOffsets ? haveOffsets : haveCounts) = true;
            break;
        }
        default:
            break;
        }
    }

    if (info.bitsPerSample != 1 || info.samplesPerPixel != 1)
        return Fail(TiffStatus::UnsupportedDepth);
    if (!haveWidth || !haveLength || !haveOffsets)
        return Fail(TiffStatus::MissingTags);
    const int c = info.compression;
    if (c != 1 && !FaxCompression(c) && c != 32771 && c != 32773)
        return Fail(TiffStatus::UnsupportedCompression);
    if (info.fillOrder == 2 && !FaxCompression(c))
        return Fail(TiffStatus::BadFillOrder);
    // The uncompressed-mode bit of the T.4 and T.6 options only allows that coding: such
    // files open, and a row is reported damaged only where the coding really appears.
    if (info.width == 0 || info.height == 0)
        return Fail(TiffStatus::Corrupt, "the image has no pixels");
    std::size_t rowBytes = 0;
    if (CheckSize(info, rowBytes) != TiffStatus::Ok)
        return Fail(TiffStatus::TooLarge);
    if (info.rowsPerStrip == 0 || info.rowsPerStrip > info.height)
        info.rowsPerStrip = info.height;
    if (!haveCounts)
        info.stripByteCounts.clear();

    if (info.photometric == 1) {
        info.black[0] = true;
        info.black[1] = false;
    } else if (info.photometric == 3 && colorMap.size() == 6) {
        // Each entry is black or white by its brightness (luma of 16-bit components).
        for (int v = 0; v < 2; ++v) {
            const double luma =
                0.299 * static_cast<double>(colorMap[static_cast<std::size_t>(v)]) +
                0.587 * static_cast<double>(colorMap[static_cast<std::size_t>(2 + v)]) +
                0.114 * static_cast<double>(colorMap[static_cast<std::size_t>(4 + v)]);
            info.black[v] = luma < 32768.0;
        }
    }
    return TiffStatus::Ok;
}

TiffStatus CTiffFile::Decode(CBilevelImage& image, const std::function<int(int)>& progress) const
{
    image = CBilevelImage{};
    if (!m_opened)
        return Fail(TiffStatus::Corrupt, "no image has been opened");
    std::size_t rowBytes = 0;
    if (CheckSize(m_info, rowBytes) != TiffStatus::Ok)
        return Fail(TiffStatus::TooLarge);
    if (progress && progress(0) != 0)
        return TiffStatus::Stopped;
    try {
        image.bits.assign(rowBytes * m_info.height, 0);
    } catch (const std::bad_alloc&) {
        return Fail(TiffStatus::TooLarge);
    }
    image.width = static_cast<int>(m_info.width);
    image.height = static_cast<int>(m_info.height);
    image.rowBytes = rowBytes;
    image.xDpi = m_info.XDpi();
    image.yDpi = m_info.YDpi();
    // progress(0) has been asked already.
    auto rest = [&progress](int percent) {
        return percent == 0 || !progress ? 0 : progress(percent);
    };
    return DecodeInto(CBilevelTarget{image.bits.data(), rowBytes}, rest);
}

TiffStatus CTiffFile::DecodeInto(const CBilevelTarget& out,
                                 const std::function<int(int)>& progress) const
{
    using namespace detail;
    const CTiffInfo& info = m_info;
    if (!m_opened)
        return Fail(TiffStatus::Corrupt, "no image has been opened");
    std::size_t rowBytes = 0;
    if (CheckSize(info, rowBytes) != TiffStatus::Ok)
        return Fail(TiffStatus::TooLarge);
    if (!out.bits || out.stride < rowBytes)
        return Fail(TiffStatus::Corrupt, "no room for the image");
    if (progress && progress(0) != 0)
        return TiffStatus::Stopped;

    const std::uint32_t rowsPerStrip = info.rowsPerStrip ? info.rowsPerStrip : info.height;
    const std::uint64_t strips =
        (static_cast<std::uint64_t>(info.height) + rowsPerStrip - 1) / rowsPerStrip;
    const std::uint64_t fileSize = m_bytes.size();
    // Rows are decoded with 1 black; a black-is-zero page inverts them as they are written.
    const bool invert = info.black[0] && !info.black[1];
    const bool allBlack = info.black[0] && info.black[1];
    const bool allWhite = !info.black[0] && !info.black[1];
    CFaxOptions fax;
    fax.reverseBits = info.fillOrder == 2;
    switch (info.compression) {
    case 2:
        fax.coding = FaxCoding::ModifiedHuffman;
        break;
    case 3:
        fax.coding = FaxCoding::Group3;
        fax.twoDimensional = (info.t4Options & 1u) != 0;
        break;
    default:
        fax.coding = FaxCoding::Group4;
        break;
    }

    CFaxScratch scratch;
    std::uint64_t readable = 0;
    try {
        for (std::uint64_t s = 0; s < strips; ++s) {
            CStripTarget target;
            target.bits = out.bits;
            target.rowBytes = rowBytes;
            target.stride = out.stride;
            target.width = static_cast<int>(info.width);
            target.firstRow = static_cast<int>(s * rowsPerStrip);
            target.rows = static_cast<int>(
                std::min<std::uint64_t>(rowsPerStrip, info.height - s * rowsPerStrip));
            target.invert = invert;

            if (s >= info.stripOffsets.size()) {
                ReportRow(target.firstRow, "the strip is missing");
                break;
            }
            const std::uint64_t offset = info.stripOffsets[s];
            if (offset >= fileSize) {
                ReportRow(target.firstRow, "the strip lies outside the file");
                continue;
            }
            // Without a byte count the strip runs to the end of the file; a count beyond the
            // end of the file is cut there.
            std::uint64_t size = fileSize - offset;
            if (s < info.stripByteCounts.size() && info.stripByteCounts[s] < size)
                size = info.stripByteCounts[s];
            ++readable;
            const std::uint8_t* data = m_bytes.data() + offset;
            const std::size_t length = static_cast<std::size_t>(size);
            switch (info.compression) {
            case 1:
                DecodeRawStrip(data, length, rowBytes, target);
                break;
            case 32771:
                DecodeRawStrip(data, length, (rowBytes + 1) & ~std::size_t{1}, target);
                break;
            case 32773:
                DecodePackBitsStrip(data, length, target);
                break;
            default:
                DecodeFaxStrip(fax, data, length, target, scratch);
                break;
            }
            if (progress && s + 1 < strips) {
                const int percent = static_cast<int>((s + 1) * 100 / strips);
                if (progress(percent) != 0)
                    return TiffStatus::Stopped;
            }
        }
    } catch (const std::bad_alloc&) {
        return Fail(TiffStatus::TooLarge);
    }
    if (readable == 0)
        return Fail(TiffStatus::Corrupt, "no strip lies inside the file");
    if (allBlack || allWhite) {
        // A palette whose two entries look alike: the page is all one colour.
        for (std::uint32_t y = 0; y < info.height; ++y) {
            std::uint8_t* row = out.bits + static_cast<std::size_t>(y) * out.stride;
            std::memset(row, allBlack ? 0xFF : 0, rowBytes);
            FinishRow(row, rowBytes, static_cast<int>(info.width), false);
        }
    }
    // A stop answered at the end is honoured like one at the start.
    if (progress && progress(100) != 0)
        return TiffStatus::Stopped;
    return TiffStatus::Ok;
}

} // namespace qgtiff
