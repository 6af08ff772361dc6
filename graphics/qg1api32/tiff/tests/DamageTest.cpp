// Damaged strips: reported row by row on standard output, never read or written out of
// bounds; Group 3 resynchronises at the next EOL, the other codings leave the rest white.
// Also word-aligned rows, which the system's tools do not write.

#include "TiffTestSupport.h"

#include <gtest/gtest.h>

#include <random>

namespace qgtiff::test {
namespace {

bool RowIsWhite(const CBilevelImage& image, int y)
{
    for (std::size_t i = 0; i < image.rowBytes; ++i)
        if (image.bits[static_cast<std::size_t>(y) * image.rowBytes + i])
            return false;
    return true;
}

bool SameRow(const CBitmap& expected, const CBilevelImage& actual, int y)
{
    return std::memcmp(expected.Row(y), actual.bits.data() + static_cast<std::size_t>(y) * actual.rowBytes,
                       expected.rowBytes) == 0;
}

struct CDecoded
{
    TiffStatus status;
    CBilevelImage image;
    std::string out;
};

CDecoded Decode(std::vector<std::uint8_t> bytes)
{
    CDecoded result;
    testing::internal::CaptureStdout();
    result.status = DecodeBytes(std::move(bytes), result.image);
    result.out = testing::internal::GetCapturedStdout();
    return result;
}

// The first row number in a "row N: ..." diagnostic, or -1.
int ReportedRow(const std::string& out)
{
    const auto at = out.find("row ");
    return at == std::string::npos ? -1 : std::atoi(out.c_str() + at + 4);
}

// The file coded by tiffcp with options, in one strip.
std::vector<std::uint8_t> Coded(const CBitmap& image, const std::string& options, const CTempDir& dir)
{
    WriteFile(dir.Path() / "in.tif", UncompressedTiff(image, image.height));
    if (!Tiffcp(options + " -r " + std::to_string(image.height), dir.Path() / "in.tif", dir.Path() / "out.tif"))
        return {};
    return ReadFile(dir.Path() / "out.tif");
}

// Where the only strip of a file starts and how long it is.
std::pair<std::size_t, std::size_t> StripOf(const std::vector<std::uint8_t>& bytes)
{
    CTiffFile file;
    if (file.OpenBytes(bytes) != TiffStatus::Ok || file.Info().stripOffsets.size() != 1)
        return {0, 0};
    return {file.Info().stripOffsets[0], file.Info().stripByteCounts.at(0)};
}

TEST(Damage, Group3ResynchronisesAtTheNextEol)
{
    if (!HaveTiffcp())
        GTEST_SKIP() << "tiffcp (libtiff-tools) is not installed";
    const CBitmap image = TextPage(1727, 120, 21, 20);
    CTempDir dir;
    struct Case
    {
        const char* options;
        std::vector<std::uint8_t> garbage; // put where row 40 starts, after its EOL
        int sameFrom;                      // rows from here on decode as the original
    };
    // One-dimensional: an invalid white code. Two-dimensional: tag bit 1, then the same
    // code; the rows after it are coded against the lost row (this writer codes every row
    // after the first two-dimensionally), so they are damaged too, but decoding goes on.
    const Case cases[] = {
        {"-c g3:1d:fill", {0x00, 0x80}, 41},
        {"-c g3:2d:fill", {0x80, 0x40}, 120},
    };
    for (const Case& c : cases) {
        auto bytes = Coded(image, c.options, dir);
        ASSERT_FALSE(bytes.empty());
        const auto [offset, size] = StripOf(bytes);
        ASSERT_GT(size, 0u);
        // With fill bits every EOL ends a byte: four zero bits, then 0x01.
        int eols = 0;
        std::size_t at = offset;
        for (; at + 1 < offset + size; ++at)
            if ((bytes[at] & 0x0F) == 0 && bytes[at + 1] == 1 && eols++ == 40)
                break;
        ASSERT_LT(at + 4, offset + size);
        std::copy(c.garbage.begin(), c.garbage.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at + 2));
        const CDecoded d = Decode(bytes);
        EXPECT_EQ(d.status, TiffStatus::Ok);
        if (c.sameFrom < image.height) {
            EXPECT_EQ(d.out, "row 40: bad code\n") << c.options;
        } else {
            EXPECT_EQ(d.out.rfind("row 40: bad code\n", 0), 0u) << c.options;
        }
        for (int y = 0; y < image.height; ++y) {
            if (y < 40 || y >= c.sameFrom) {
                EXPECT_TRUE(SameRow(image, d.image, y)) << c.options << " row " << y;
            }
        }
    }
}

TEST(Damage, Group4AndModifiedHuffmanStopAtTheDamagedRow)
{
    if (!HaveTiffcp())
        GTEST_SKIP() << "tiffcp (libtiff-tools) is not installed";
    const CBitmap image = Blobs(500, 200, 22);
    CTempDir dir;
    auto g4 = Coded(image, "-c g4", dir);
    CTiffBuilder mh = BilevelTiff(image.width, image.height, 2, image.height);
    mh.strips = {EncodeModifiedHuffman(image, 0, image.height)};
    for (auto bytes : {g4, mh.Build()}) {
        const auto [offset, size] = StripOf(bytes);
        ASSERT_GT(size, 10u);
        const std::size_t at = offset + size * 3 / 5;
        bytes[at] = bytes[at + 1] = bytes[at + 2] = 0; // 24 zero bits: no code at all
        const CDecoded d = Decode(bytes);
        EXPECT_EQ(d.status, TiffStatus::Ok);
        const int row = ReportedRow(d.out);
        ASSERT_GT(row, 5) << d.out;
        EXPECT_EQ(d.out.find('\n'), d.out.size() - 1) << "one diagnostic: " << d.out;
        for (int y = 0; y < 5; ++y)
            EXPECT_TRUE(SameRow(image, d.image, y));
        for (int y = row + 1; y < image.height; ++y)
            ASSERT_TRUE(RowIsWhite(d.image, y)) << y;
    }
}

// Every coding, its strip cut short at many lengths: a diagnostic naming a row, the rows
// before intact where the coding allows telling, no fault.
TEST(Damage, TruncatedStrips)
{
    if (!HaveTiffcp())
        GTEST_SKIP() << "tiffcp (libtiff-tools) is not installed";
    const CBitmap image = Extremes(77, 40, 23);
    CTempDir dir;
    for (const char* options : {"-c none", "-c packbits", "-c g3:1d", "-c g3:2d:fill", "-c g4"}) {
        const auto bytes = Coded(image, options, dir);
        ASSERT_FALSE(bytes.empty()) << options;
        const auto [offset, size] = StripOf(bytes);
        for (std::size_t keep = 0; keep < size; keep += 1 + size / 50) {
            CTiffFile probe;
            ASSERT_EQ(probe.OpenBytes(bytes), TiffStatus::Ok);
            const std::vector<std::uint8_t> strip(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                                                  bytes.begin() + static_cast<std::ptrdiff_t>(offset + keep));
            CTiffBuilder rebuilt = BilevelTiff(image.width, image.height, probe.Info().compression, image.height);
            rebuilt.Set(292, kLong, {probe.Info().t4Options});
            rebuilt.strips = {strip};
            const CDecoded d = Decode(rebuilt.Build());
            EXPECT_EQ(d.status, TiffStatus::Ok) << options << " keep " << keep;
            const int row = ReportedRow(d.out);
            ASSERT_GE(row, 0) << options << " keep " << keep << ": " << d.out;
            for (int y = 0; y < row; ++y)
                EXPECT_TRUE(SameRow(image, d.image, y)) << options << " keep " << keep << " row " << y;
        }
    }
}

TEST(Damage, StripsOutsideTheFile)
{
    CBitmap image(16, 4);
    image.Fill(0, 0, 16, 4);
    CTiffBuilder b = BilevelTiff(16, 4, 1, 2);
    b.strips = {{0xFF, 0xFF, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF, 0xFF}};
    auto bytes = b.Build();
    // The second strip's offset moved past the end (two LONGs lie by offset, after the strips).
    CTiffFile probe;
    ASSERT_EQ(probe.OpenBytes(bytes), TiffStatus::Ok);
    const std::uint64_t second = probe.Info().stripOffsets[1];
    for (std::size_t i = 8; i + 4 <= bytes.size(); i += 2) {
        if (bytes[i] == second && bytes[i + 1] == 0 && bytes[i + 2] == 0 && bytes[i + 3] == 0 &&
            bytes[i - 4] == probe.Info().stripOffsets[0]) {
            bytes[i + 2] = 0x10; // about a megabyte
            break;
        }
    }
    const CDecoded d = Decode(bytes);
    EXPECT_EQ(d.status, TiffStatus::Ok);
    EXPECT_EQ(d.out, "row 2: the strip lies outside the file\n");
    EXPECT_TRUE(SameRow(image, d.image, 1));
    EXPECT_TRUE(RowIsWhite(d.image, 2));

    // No strip in the file at all.
    CTiffBuilder none = BilevelTiff(16, 4, 1, 4);
    none.writeStripTags = false;
    none.Set(273, kLong, {100000});
    none.Set(279, kLong, {8});
    const CDecoded n = Decode(none.Build());
    EXPECT_EQ(n.status, TiffStatus::Corrupt);

    // Fewer strip offsets than strips.
    CTiffBuilder few = BilevelTiff(16, 4, 1, 1);
    few.strips = {{0xFF, 0xFF}, {0xFF, 0xFF}};
    const CDecoded f = Decode(few.Build());
    EXPECT_EQ(f.status, TiffStatus::Ok);
    EXPECT_EQ(f.out, "row 2: the strip is missing\n");
}

TEST(Damage, PackBitsRunsAreClipped)
{
    CBitmap image(16, 2);
    image.Fill(0, 0, 16, 2);
    struct Case
    {
        std::vector<std::uint8_t> strip;
        const char* out;
        int blackRows;
    };
    const Case cases[] = {
        {{0x81, 0xFF}, "", 2},                                  // 128 bytes of 0xFF for 4: clipped
        {{0x80, 0x03, 0xFF, 0xFF, 0xFF, 0xFF}, "", 2},           // -128 is skipped
        {{0x7F, 0xFF}, "row 0: PackBits data cut short\n", 0},  // a literal of 128 with 1 byte
        {{0x01, 0xFF, 0xFF, 0xFF}, "row 1: PackBits data cut short\n", 1}, // a repeat without its byte
        {{}, "row 0: strip data ends\n", 0},
    };
    for (const Case& c : cases) {
        CTiffBuilder b = BilevelTiff(16, 2, 32773, 2);
        b.strips = {c.strip};
        const CDecoded d = Decode(b.Build());
        EXPECT_EQ(d.status, TiffStatus::Ok);
        EXPECT_EQ(d.out, c.out);
        for (int y = 0; y < 2; ++y)
            EXPECT_EQ(SameRow(image, d.image, y), y < c.blackRows) << y;
    }
}

TEST(Damage, WordAlignedRows)
{
    for (int width : {1, 9, 16, 17, 33}) {
        for (int photometric : {0, 1}) {
            const CBitmap image = Extremes(width, 24, 24);
            const CDecoded d = Decode(UncompressedTiff(image, 5, photometric == 1, photometric, 32771, 2));
            EXPECT_EQ(d.status, TiffStatus::Ok);
            EXPECT_EQ(d.out, "");
            EXPECT_EQ(FirstDifferentRow(image, d.image), -1) << width << " " << photometric;
        }
    }
}

// Random damage to small files of every coding: whatever happens, no fault and no hang.
TEST(Damage, RandomMutations)
{
    if (!HaveTiffcp())
        GTEST_SKIP() << "tiffcp (libtiff-tools) is not installed";
    const CBitmap image = Extremes(61, 33, 25);
    CTempDir dir;
    std::vector<std::vector<std::uint8_t>> files;
    for (const char* options : {"-c none", "-c packbits", "-c g3:1d -f lsb2msb", "-c g3:2d", "-c g4 -B"})
        files.push_back(Coded(image, options, dir));
    CTiffBuilder mh = BilevelTiff(image.width, image.height, 2, 7, true);
    for (int y0 = 0; y0 < image.height; y0 += 7)
        mh.strips.push_back(EncodeModifiedHuffman(image, y0, std::min(image.height, y0 + 7)));
    files.push_back(mh.Build());

    std::mt19937 rng(26);
    int decoded = 0;
    for (int round = 0; round < 3000; ++round) {
        auto bytes = files[static_cast<std::size_t>(round) % files.size()];
        ASSERT_FALSE(bytes.empty());
        const int changes = 1 + static_cast<int>(rng() % 8);
        for (int i = 0; i < changes; ++i)
            bytes[rng() % bytes.size()] = static_cast<std::uint8_t>(rng());
        if (rng() % 4 == 0)
            bytes.resize(rng() % bytes.size());
        const CDecoded d = Decode(bytes);
        if (d.status == TiffStatus::Ok) {
            ++decoded;
            EXPECT_EQ(d.image.bits.size(), d.image.rowBytes * static_cast<std::size_t>(d.image.height));
        }
    }
    EXPECT_GT(decoded, 100);
}

} // namespace
} // namespace qgtiff::test
