#include "TiffImage.h"

#include "StripDecoders.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>
#include <fstream>
#include <new>

namespace qgtiff {
namespace {

constexpr std::uint32_t kMaxSide = 1u << 20;
std::atomic<std::uint64_t> g_maxPixels{std::uint64_t{1} << 34};

enum Tag : std::uint16_t {
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
};

enum Type : std::uint16_t { kByte = 1, kShort = 3, kLong = 4, kRational = 5 };

void Say(const char* text)
{
    std::printf("%s\n", text);
}

TiffStatus Fail(TiffStatus status, const char* detail = nullptr)
{
    if (detail)
        std::printf("%s: %s\n", TiffStatusText(status), detail);
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
        return m_bigEndian ? (b0 << 24 | b1 << 16 | b2 << 8 | b3) : (b3 << 24 | b2 << 16 | b1 << 8 | b0);
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
        const std::uint64_t length = static_cast<std::uint64_t>(entry.count) * static_cast<std::uint64_t>(size);
        entry.at = length <= 4 ? at + 8 : U32(at + 8);
        entry.usable = Fits(entry.at, length);
        return entry;
    }

    // The i-th value of an integer entry (BYTE, SHORT or LONG; a RATIONAL rounds down).
    std::uint64_t Integer(const CEntry& entry, std::uint32_t i) const
    {
        switch (entry.type) {
        case kByte: return m_bytes[entry.at + i];
        case kShort: return U16(entry.at + 2ull * i);
        case kLong: return U32(entry.at + 4ull * i);
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
        case kByte: return 1;
        case kShort: return 2;
        case kLong: return 4;
        case kRational: return 8;
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

const char* TiffStatusText(TiffStatus status)
{
    switch (status) {
    case TiffStatus::Ok: return "OK";
    case TiffStatus::CannotOpen: return "Cannot open the TIFF file";
    case TiffStatus::NotTiff: return "Not a TIFF file";
    case TiffStatus::UnsupportedDepth: return "Unsupported color depth";
    case TiffStatus::MissingTags: return "Missing necessary TIFF tags";
    case TiffStatus::UnsupportedCompression: return "Unsupported TIFF tag";
    case TiffStatus::BadFillOrder: return "Bad fill order";
    case TiffStatus::UncompressedMode: return "Uncompressed mode in T.4 coding is not supported";
    case TiffStatus::TooLarge: return "Image too large";
    case TiffStatus::Corrupt: return "Damaged TIFF file";
    case TiffStatus::Stopped: return "Stopped";
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
    return Dpi(yResolution, resolutionUnit);
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
    m_opened = false;
    try {
        // A file without a TIFF header is another kind of graphic (the graphics library
        // tries every file as a TIFF first): nothing to report.
        if (m_bytes.size() < 8)
            return TiffStatus::NotTiff;
        if (m_bytes[0] == 'I' && m_bytes[1] == 'I')
            m_info.bigEndian = false;
        else if (m_bytes[0] == 'M' && m_bytes[1] == 'M')
            m_info.bigEndian = true;
        else
            return TiffStatus::NotTiff;
        const CDirectoryReader dir(m_bytes, m_info.bigEndian);
        if (dir.U16(2) != 42)
            return TiffStatus::NotTiff;

        const std::uint64_t ifd = dir.U32(4);
        if (!dir.Fits(ifd, 2))
            return Fail(TiffStatus::Corrupt, "the directory lies outside the file");
        const std::uint32_t entries = dir.U16(ifd);
        if (!dir.Fits(ifd + 2, 12ull * entries))
            return Fail(TiffStatus::Corrupt, "the directory runs past the end of the file");

        bool haveWidth = false, haveLength = false, haveOffsets = false, haveCounts = false;
        for (std::uint32_t i = 0; i < entries; ++i) {
            const auto entry = dir.Entry(ifd + 2 + 12ull * i);
            if (!entry.usable)
                continue;
            const auto first = [&] { return dir.Integer(entry, 0); };
            const auto clampInt = [](std::uint64_t v) { return static_cast<int>(std::min<std::uint64_t>(v, INT_MAX)); };
            switch (entry.tag) {
            case kImageWidth:
                m_info.width = static_cast<std::uint32_t>(std::min<std::uint64_t>(first(), UINT32_MAX));
                haveWidth = true;
                break;
            case kImageLength:
                m_info.height = static_cast<std::uint32_t>(std::min<std::uint64_t>(first(), UINT32_MAX));
                haveLength = true;
                break;
            case kBitsPerSample:
                // One value per sample; any sample deeper than one bit is unsupported.
                m_info.bitsPerSample = clampInt(first());
                for (std::uint32_t k = 1; k < entry.count && k < 16; ++k) {
                    if (dir.Integer(entry, k) != 1)
                        m_info.bitsPerSample = clampInt(dir.Integer(entry, k));
                }
                break;
            case kSamplesPerPixel: m_info.samplesPerPixel = clampInt(first()); break;
            case kCompression: m_info.compression = clampInt(first()); break;
            case kPhotometric: m_info.photometric = clampInt(first()); break;
            case kFillOrder: m_info.fillOrder = first() == 2 ? 2 : 1; break;
            case kRowsPerStrip:
                m_info.rowsPerStrip = static_cast<std::uint32_t>(std::min<std::uint64_t>(first(), UINT32_MAX));
                break;
            case kT4Options: m_info.t4Options = static_cast<std::uint32_t>(first()); break;
            case kT6Options: m_info.t6Options = static_cast<std::uint32_t>(first()); break;
            case kXResolution: m_info.xResolution = dir.Real(entry); break;
            case kYResolution: m_info.yResolution = dir.Real(entry); break;
            case kResolutionUnit: m_info.resolutionUnit = clampInt(first()); break;
            case kStripOffsets:
            case kStripByteCounts: {
                // The values lie inside the file, so their number is bounded by its size.
                auto& values = entry.tag == kStripOffsets ? m_info.stripOffsets : m_info.stripByteCounts;
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

        if (m_info.bitsPerSample != 1 || m_info.samplesPerPixel != 1)
            return Fail(TiffStatus::UnsupportedDepth);
        if (!haveWidth || !haveLength || !haveOffsets)
            return Fail(TiffStatus::MissingTags);
        const int c = m_info.compression;
        if (c != 1 && !FaxCompression(c) && c != 32771 && c != 32773)
            return Fail(TiffStatus::UnsupportedCompression);
        if (m_info.fillOrder == 2 && !FaxCompression(c))
            return Fail(TiffStatus::BadFillOrder);
        if (c == 3 && (m_info.t4Options & 2u))
            return Fail(TiffStatus::UncompressedMode);
        if (m_info.width == 0 || m_info.height == 0)
            return Fail(TiffStatus::Corrupt, "the image has no pixels");
        std::size_t rowBytes = 0;
        if (CheckSize(m_info, rowBytes) != TiffStatus::Ok)
            return Fail(TiffStatus::TooLarge);
        if (m_info.rowsPerStrip == 0 || m_info.rowsPerStrip > m_info.height)
            m_info.rowsPerStrip = m_info.height;
        if (!haveCounts)
            m_info.stripByteCounts.clear();
    } catch (const std::bad_alloc&) {
        return Fail(TiffStatus::TooLarge);
    }
    m_opened = true;
    return TiffStatus::Ok;
}

TiffStatus CTiffFile::Decode(CBilevelImage& image, const std::function<int(int)>& progress) const
{
    using namespace detail;
    const CTiffInfo& info = m_info;
    if (!m_opened)
        return Fail(TiffStatus::Corrupt, "no image has been opened");
    std::size_t rowBytes = 0;
    if (CheckSize(info, rowBytes) != TiffStatus::Ok)
        return Fail(TiffStatus::TooLarge);
    if (progress && progress(0) != 0)
        return TiffStatus::Stopped;

    image = CBilevelImage{};
    try {
        image.bits.assign(rowBytes * info.height, 0);
    } catch (const std::bad_alloc&) {
        return Fail(TiffStatus::TooLarge);
    }
    image.width = static_cast<int>(info.width);
    image.height = static_cast<int>(info.height);
    image.rowBytes = rowBytes;
    image.xDpi = info.XDpi();
    image.yDpi = info.YDpi();

    const std::uint32_t rowsPerStrip = info.rowsPerStrip ? info.rowsPerStrip : info.height;
    const std::uint64_t strips = (static_cast<std::uint64_t>(info.height) + rowsPerStrip - 1) / rowsPerStrip;
    const std::uint64_t fileSize = m_bytes.size();
    const bool invert = info.photometric == 1;
    CFaxOptions fax;
    fax.reverseBits = info.fillOrder == 2;
    switch (info.compression) {
    case 2: fax.coding = FaxCoding::ModifiedHuffman; break;
    case 3:
        fax.coding = FaxCoding::Group3;
        fax.twoDimensional = (info.t4Options & 1u) != 0;
        break;
    default: fax.coding = FaxCoding::Group4; break;
    }

    CFaxScratch scratch;
    std::uint64_t readable = 0;
    try {
        for (std::uint64_t s = 0; s < strips; ++s) {
            CStripTarget target;
            target.bits = image.bits.data();
            target.rowBytes = rowBytes;
            target.width = image.width;
            target.firstRow = static_cast<int>(s * rowsPerStrip);
            target.rows = static_cast<int>(std::min<std::uint64_t>(rowsPerStrip, info.height - s * rowsPerStrip));
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
            case 1: DecodeRawStrip(data, length, rowBytes, target); break;
            case 32771: DecodeRawStrip(data, length, (rowBytes + 1) & ~std::size_t{1}, target); break;
            case 32773: DecodePackBitsStrip(data, length, target); break;
            default: DecodeFaxStrip(fax, data, length, target, scratch); break;
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
    if (progress)
        progress(100);
    return TiffStatus::Ok;
}

} // namespace qgtiff
