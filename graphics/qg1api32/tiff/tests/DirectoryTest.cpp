// Reading the directory: byte orders, value layouts, defaults and the refusals.

#include "TiffTestSupport.h"

#include <gtest/gtest.h>

namespace qgtiff::test {
namespace {

// A 9 x 3 uncompressed image whose rows differ.
CBitmap Small()
{
    CBitmap image(9, 3);
    image.Set(0, 0);
    image.Set(8, 0);
    image.Fill(2, 1, 7, 2);
    image.Fill(0, 2, 9, 3);
    return image;
}

CTiffBuilder SmallTiff(bool bigEndian)
{
    const CBitmap image = Small();
    CTiffBuilder b = BilevelTiff(image.width, image.height, 1, 2, bigEndian);
    b.strips = {{image.bits.begin(), image.bits.begin() + 4}, {image.bits.begin() + 4, image.bits.end()}};
    return b;
}

std::string Opening(std::vector<std::uint8_t> bytes, TiffStatus& status, CTiffInfo* info = nullptr)
{
    CTiffFile file;
    testing::internal::CaptureStdout();
    status = file.OpenBytes(std::move(bytes));
    if (info)
        *info = file.Info();
    return testing::internal::GetCapturedStdout();
}

TEST(Directory, BothByteOrdersWithValuesInlineAndByOffset)
{
    for (bool bigEndian : {false, true}) {
        CTiffBuilder b = SmallTiff(bigEndian);
        // Width as SHORT, strip offsets (two LONGs) and resolutions by offset; a BYTE tag and
        // an ASCII tag we do not read.
        b.Set(256, kShort, {9}).Set(305, kAscii, {'a', 'b', 'c', 'd', 'e', 0}).Set(333, kByte, {1});
        b.Set(282, kRational, {400, 2}).Set(283, kRational, {100, 1}).Set(296, kShort, {3});
        const CBitmap image = Small();
        CTiffFile file;
        ASSERT_EQ(file.OpenBytes(b.Build()), TiffStatus::Ok);
        const CTiffInfo& info = file.Info();
        EXPECT_EQ(info.bigEndian, bigEndian);
        EXPECT_EQ(info.width, 9u);
        EXPECT_EQ(info.height, 3u);
        EXPECT_EQ(info.rowsPerStrip, 2u);
        ASSERT_EQ(info.stripOffsets.size(), 2u);
        EXPECT_EQ(info.stripByteCounts, (std::vector<std::uint64_t>{4, 2}));
        EXPECT_DOUBLE_EQ(info.xResolution, 200.0);
        EXPECT_DOUBLE_EQ(info.XDpi(), 508.0);
        EXPECT_DOUBLE_EQ(info.YDpi(), 254.0);
        CBilevelImage decoded;
        ASSERT_EQ(file.Decode(decoded), TiffStatus::Ok);
        EXPECT_EQ(FirstDifferentRow(image, decoded), -1);
        EXPECT_DOUBLE_EQ(decoded.xDpi, 508.0);
    }
}

TEST(Directory, ResolutionDefaultsAndPhysicalSize)
{
    struct Case
    {
        std::vector<std::uint32_t> x; // empty: no tag
        int unit;
        double dpi;
        int widthMm; // of 2480 pixels
    };
    const Case cases[] = {
        {{}, 2, 200.0, 314},          // missing: 200 dpi
        {{0, 1}, 2, 200.0, 314},      // zero
        {{300, 0}, 2, 200.0, 314},    // zero denominator reads as zero
        {{300, 1}, 2, 300.0, 209},
        {{120, 1}, 3, 304.8, 206},    // centimetres
        {{300, 1}, 1, 300.0, 209},    // no unit: taken as written
        {{1, 4294967295u}, 2, 1.0 / 4294967295.0, 2147483647}, // absurdly large: capped
    };
    for (const Case& c : cases) {
        CTiffBuilder b = BilevelTiff(2480, 1, 1, 1);
        b.strips = {std::vector<std::uint8_t>(310, 0)};
        b.Set(296, kShort, {static_cast<std::uint32_t>(c.unit)});
        if (c.x.empty())
            b.Remove(282);
        else
            b.Set(282, kRational, c.x);
        CTiffFile file;
        ASSERT_EQ(file.OpenBytes(b.Build()), TiffStatus::Ok);
        EXPECT_DOUBLE_EQ(file.Info().XDpi(), c.dpi);
        EXPECT_EQ(file.Info().WidthMm(), c.widthMm);
    }
}

TEST(Directory, Refusals)
{
    struct Case
    {
        const char* name;
        std::function<void(CTiffBuilder&)> change;
        TiffStatus status;
        const char* diagnostic;
    };
    const Case cases[] = {
        {"eight bits", [](CTiffBuilder& b) { b.Set(258, kShort, {8}); }, TiffStatus::UnsupportedDepth,
         "Unsupported color depth"},
        {"three samples", [](CTiffBuilder& b) { b.Set(277, kShort, {3}).Set(258, kShort, {1, 1, 1}); },
         TiffStatus::UnsupportedDepth, "Unsupported color depth"},
        {"no width", [](CTiffBuilder& b) { b.Remove(256); }, TiffStatus::MissingTags, "Missing necessary TIFF tags"},
        {"no length", [](CTiffBuilder& b) { b.Remove(257); }, TiffStatus::MissingTags, "Missing necessary TIFF tags"},
        {"no strip offsets", [](CTiffBuilder& b) { b.writeStripTags = false; }, TiffStatus::MissingTags,
         "Missing necessary TIFF tags"},
        {"LZW", [](CTiffBuilder& b) { b.Set(259, kShort, {5}); }, TiffStatus::UnsupportedCompression,
         "Unsupported TIFF tag"},
        {"fill order 2 uncompressed", [](CTiffBuilder& b) { b.Set(266, kShort, {2}); }, TiffStatus::BadFillOrder,
         "Bad fill order"},
        {"fill order 2 PackBits", [](CTiffBuilder& b) { b.Set(266, kShort, {2}).Set(259, kShort, {32773}); },
         TiffStatus::BadFillOrder, "Bad fill order"},
        {"fill order 2 word-aligned", [](CTiffBuilder& b) { b.Set(266, kShort, {2}).Set(259, kShort, {32771}); },
         TiffStatus::BadFillOrder, "Bad fill order"},
        {"width above 1 << 20", [](CTiffBuilder& b) { b.Set(256, kLong, {(1u << 20) + 1}); }, TiffStatus::TooLarge,
         "Image too large"},
        {"2^20 x 2^20", [](CTiffBuilder& b) { b.Set(256, kLong, {1u << 20}).Set(257, kLong, {1u << 20}); },
         TiffStatus::TooLarge, "Image too large"},
        {"zero width", [](CTiffBuilder& b) { b.Set(256, kLong, {0}); }, TiffStatus::Corrupt, "Damaged TIFF file"},
    };
    for (const Case& c : cases) {
        CTiffBuilder b = SmallTiff(false);
        c.change(b);
        TiffStatus status;
        const std::string out = Opening(b.Build(), status);
        EXPECT_EQ(status, c.status) << c.name;
        EXPECT_NE(out.find(c.diagnostic), std::string::npos) << c.name << ": " << out;
    }
}

TEST(Directory, AcceptedOddities)
{
    struct Case
    {
        const char* name;
        std::function<void(CTiffBuilder&)> change;
    };
    const Case cases[] = {
        {"fill order 3 reads as 1", [](CTiffBuilder& b) { b.Set(266, kShort, {3}); }},
        {"no rows per strip: one strip", [](CTiffBuilder& b) {
             b.strips[0].insert(b.strips[0].end(), b.strips[1].begin(), b.strips[1].end());
             b.strips.pop_back();
             b.Remove(278);
         }},
        {"no byte counts", [](CTiffBuilder& b) { b.writeByteCounts = false; }},
        {"bits per sample by offset", [](CTiffBuilder& b) { b.Set(258, kShort, {1, 1, 1}); }},
        {"T.4 options on uncompressed", [](CTiffBuilder& b) { b.Set(292, kLong, {2}); }},
    };
    for (const Case& c : cases) {
        CTiffBuilder b = SmallTiff(true);
        c.change(b);
        CBilevelImage image;
        testing::internal::CaptureStdout();
        EXPECT_EQ(DecodeBytes(b.Build(), image), TiffStatus::Ok) << c.name;
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << c.name;
        EXPECT_EQ(FirstDifferentRow(Small(), image), -1) << c.name;
    }
}

TEST(Directory, DamagedHeadersAndDirectories)
{
    const std::vector<std::uint8_t> good = SmallTiff(false).Build();
    struct Case
    {
        const char* name;
        std::function<void(std::vector<std::uint8_t>&)> change;
        TiffStatus status;
    };
    const Case cases[] = {
        {"empty", [](auto& v) { v.clear(); }, TiffStatus::NotTiff},
        {"seven bytes", [](auto& v) { v.erase(v.begin() + 7, v.end()); }, TiffStatus::NotTiff},
        {"bad byte order mark", [](auto& v) { v[0] = 'X'; }, TiffStatus::NotTiff},
        {"version 43", [](auto& v) { v[2] = 43; }, TiffStatus::NotTiff},
        {"directory past the end", [](auto& v) { v[7] = 0x7F; }, TiffStatus::Corrupt},
        {"directory count past the end", [](auto& v) { v.erase(v.end() - 20, v.end()); }, TiffStatus::Corrupt},
    };
    for (const Case& c : cases) {
        auto bytes = good;
        c.change(bytes);
        TiffStatus status;
        Opening(bytes, status);
        EXPECT_EQ(status, c.status) << c.name;
    }
}

TEST(Directory, ValuesOutsideTheFileAreIgnored)
{
    // Strip offsets by offset, pointing past the end: the tag cannot be read, so it is missing.
    CTiffBuilder b = SmallTiff(false);
    auto bytes = b.Build();
    const std::uint32_t ifd = bytes[4] | bytes[5] << 8 | bytes[6] << 16 | static_cast<std::uint32_t>(bytes[7]) << 24;
    const std::uint32_t entries = bytes[ifd] | bytes[ifd + 1] << 8;
    for (std::uint32_t i = 0; i < entries; ++i) {
        const std::size_t at = ifd + 2 + 12 * i;
        if ((bytes[at] | bytes[at + 1] << 8) == 273) {
            bytes[at + 4] = 200; // count 200: the values now lie by offset, in the strips
            bytes[at + 8] = 0xF0;
            bytes[at + 9] = 0xFF;
        }
    }
    TiffStatus status;
    Opening(bytes, status);
    EXPECT_EQ(status, TiffStatus::MissingTags);
}

TEST(Directory, MaxPixelsIsARuntimeLimit)
{
    const std::uint64_t saved = MaxPixels();
    SetMaxPixels(26);
    TiffStatus status;
    Opening(SmallTiff(false).Build(), status);
    EXPECT_EQ(status, TiffStatus::TooLarge);
    SetMaxPixels(27);
    Opening(SmallTiff(false).Build(), status);
    EXPECT_EQ(status, TiffStatus::Ok);
    SetMaxPixels(saved);
}

TEST(Directory, ProgressAndStopping)
{
    CTiffFile file;
    ASSERT_EQ(file.OpenBytes(SmallTiff(false).Build()), TiffStatus::Ok);
    std::vector<int> seen;
    CBilevelImage image;
    EXPECT_EQ(file.Decode(image, [&](int p) { seen.push_back(p); return 0; }), TiffStatus::Ok);
    EXPECT_EQ(seen, (std::vector<int>{0, 50, 100}));
    EXPECT_EQ(file.Decode(image, [](int p) { return p >= 50 ? 1 : 0; }), TiffStatus::Stopped);
    EXPECT_EQ(file.Decode(image, [](int) { return 1; }), TiffStatus::Stopped);

    CTiffFile unopened;
    testing::internal::CaptureStdout();
    EXPECT_EQ(unopened.Decode(image), TiffStatus::Corrupt);
    testing::internal::GetCapturedStdout();
}

TEST(Directory, CannotOpenAMissingFile)
{
    CTiffFile file;
    testing::internal::CaptureStdout();
    EXPECT_EQ(file.Open("/nonexistent/qgtiff/none.tif"), TiffStatus::CannotOpen);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("Cannot open"), std::string::npos);
}

} // namespace
} // namespace qgtiff::test
