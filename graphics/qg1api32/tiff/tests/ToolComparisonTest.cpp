// Decoding compared bit for bit with the system's TIFF library: images are written uncompressed,
// coded by tiffcp, decoded by us and, converted back by tiffcp, decoded by the library.
// Both results must equal the original image.

#include "TiffTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace qgtiff::test {
namespace {

struct CImageCase
{
    const char* name;
    std::function<CBitmap()> make;
};

const std::vector<CImageCase>& Images()
{
    static const std::vector<CImageCase> images = {
        {"Width1", [] { return Extremes(1, 37, 1); }},
        {"Width7", [] { return Extremes(7, 41, 2); }},
        {"Width9Blobs", [] { return Blobs(9, 50, 3); }},
        {"Width1727Text", [] { return TextPage(1727, 90, 4, 16); }},
        {"Width1728Extremes", [] { return Extremes(1728, 64, 5); }},
        {"Width2481Blobs", [] { return Blobs(2481, 120, 6); }},
        {"Width6000LongRuns", [] { return Extremes(6000, 24, 7); }},
        {"AllWhite", [] { return CBitmap(100, 10); }},
    };
    return images;
}

struct CCoding
{
    const char* name;
    const char* options; // tiffcp compression options
    bool fax;
};

const CCoding kCodings[] = {
    {"None", "-c none", false},
    {"PackBits", "-c packbits", false},
    {"G3_1D", "-c g3:1d", true},
    {"G3_1D_Fill", "-c g3:1d:fill", true},
    {"G3_2D", "-c g3:2d", true},
    {"G3_2D_Fill", "-c g3:2d:fill", true},
    {"G4", "-c g4", true},
};

// The variants each coding is tried in: rows per strip, fill order, byte order, photometric.
struct CVariant
{
    int rowsPerStrip; // 0: the whole image in one strip
    bool lsbFirst;
    bool bigEndian;
    int photometric;
};

const CVariant kVariants[] = {
    {0, false, false, 0},
    {7, true, true, 0},
    {1, false, true, 1},
    {5, true, false, 1},
};

// Codes image with tiffcp, then checks our decoding and the library's against the original.
void CheckThroughTiffcp(const CBitmap& image, const CCoding& coding, const CVariant& variant,
                        const CTempDir& dir)
{
    const int rows = variant.rowsPerStrip ? variant.rowsPerStrip : image.height;
    const auto source = dir.Path() / "source.tif";
    const auto coded = dir.Path() / "coded.tif";
    const auto back = dir.Path() / "back.tif";
    WriteFile(source, UncompressedTiff(image, image.height, false, variant.photometric));
    std::string options = std::string(coding.options) + " -r " + std::to_string(rows) +
                          (variant.bigEndian ? " -B" : " -L");
    if (coding.fax && variant.lsbFirst)
        options += " -f lsb2msb";
    ASSERT_TRUE(Tiffcp(options, source, coded)) << options;

    CTiffFile file;
    ASSERT_EQ(file.Open(coded.string()), TiffStatus::Ok) << options;
    EXPECT_EQ(file.Info().bigEndian, variant.bigEndian);
    EXPECT_EQ(file.Info().fillOrder, coding.fax && variant.lsbFirst ? 2 : 1);
    EXPECT_EQ(file.Info().stripOffsets.size(), static_cast<std::size_t>((image.height + rows - 1) / rows));
    CBilevelImage ours;
    testing::internal::CaptureStdout();
    ASSERT_EQ(file.Decode(ours), TiffStatus::Ok);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << options;
    EXPECT_EQ(FirstDifferentRow(image, ours), -1) << options;

    ASSERT_TRUE(Tiffcp("-c none -f msb2lsb", coded, back)) << options;
    CBilevelImage theirs;
    ASSERT_EQ(DecodeBytes(ReadFile(back), theirs), TiffStatus::Ok);
    EXPECT_EQ(FirstDifferentRow(image, theirs), -1) << "library disagrees: " << options;
}

class ToolComparison : public testing::TestWithParam<std::tuple<std::size_t, std::size_t>>
{
};

TEST_P(ToolComparison, DecodesLikeTheLibrary)
{
    if (!HaveTiffcp())
        GTEST_SKIP() << "tiffcp (libtiff-tools) is not installed";
    const auto& [imageIndex, codingIndex] = GetParam();
    const CBitmap image = Images()[imageIndex].make();
    CTempDir dir;
    for (const CVariant& variant : kVariants) {
        CheckThroughTiffcp(image, kCodings[codingIndex], variant, dir);
        if (HasFatalFailure())
            return;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, ToolComparison,
    testing::Combine(testing::Range<std::size_t>(0, 8), testing::Range<std::size_t>(0, std::size(kCodings))),
    [](const auto& info) {
        return std::string(Images()[std::get<0>(info.param)].name) + "_" + kCodings[std::get<1>(info.param)].name;
    });

// A text page of A4 at 300 dpi in the codings a fax page arrives in.
TEST(ToolComparisonA4, PageAt300Dpi)
{
    if (!HaveTiffcp())
        GTEST_SKIP() << "tiffcp (libtiff-tools) is not installed";
    const CBitmap page = TextPage(2480, 3508, 11, 36);
    CTempDir dir;
    for (const CCoding& coding : kCodings) {
        if (!coding.fax)
            continue;
        CheckThroughTiffcp(page, coding, CVariant{0, false, false, 0}, dir);
        CheckThroughTiffcp(page, coding, CVariant{128, true, true, 0}, dir);
    }
    // The resolution and the physical size as written.
    CTiffFile file;
    ASSERT_EQ(file.Open((dir.Path() / "coded.tif").string()), TiffStatus::Ok);
    EXPECT_DOUBLE_EQ(file.Info().XDpi(), 300.0);
    EXPECT_EQ(file.Info().WidthMm(), 209);  // 2480 / 300 * 25.4 = 209.97
    EXPECT_EQ(file.Info().HeightMm(), 297); // 3508 / 300 * 25.4 = 297.01
}

// Modified Huffman and word-aligned rows are not written by tiffcp; we write modified Huffman
// ourselves and let the library read it back, so its reading is the reference.
class ModifiedHuffman : public testing::TestWithParam<std::size_t>
{
};

TEST_P(ModifiedHuffman, DecodesLikeTheLibrary)
{
    if (!HaveTiffcp())
        GTEST_SKIP() << "tiffcp (libtiff-tools) is not installed";
    const CBitmap image = Images()[GetParam()].make();
    CTempDir dir;
    for (const CVariant& variant : kVariants) {
        const int rows = variant.rowsPerStrip ? variant.rowsPerStrip : image.height;
        CTiffBuilder b = BilevelTiff(image.width, image.height, 2, rows, variant.bigEndian);
        if (variant.lsbFirst)
            b.Set(266, kShort, {2});
        for (int y0 = 0; y0 < image.height; y0 += rows) {
            auto strip = EncodeModifiedHuffman(image, y0, std::min(image.height, y0 + rows));
            b.strips.push_back(variant.lsbFirst ? ReverseBits(strip) : strip);
        }
        const auto bytes = b.Build();
        CBilevelImage ours;
        testing::internal::CaptureStdout();
        ASSERT_EQ(DecodeBytes(bytes, ours), TiffStatus::Ok);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        EXPECT_EQ(FirstDifferentRow(image, ours), -1) << "rows per strip " << rows;

        WriteFile(dir.Path() / "mh.tif", bytes);
        ASSERT_TRUE(Tiffcp("-c none -f msb2lsb", dir.Path() / "mh.tif", dir.Path() / "back.tif"));
        CBilevelImage theirs;
        ASSERT_EQ(DecodeBytes(ReadFile(dir.Path() / "back.tif"), theirs), TiffStatus::Ok);
        EXPECT_EQ(FirstDifferentRow(image, theirs), -1) << "library disagrees, rows per strip " << rows;
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, ModifiedHuffman, testing::Range<std::size_t>(0, 8),
                         [](const auto& info) { return std::string(Images()[info.param].name); });

} // namespace
} // namespace qgtiff::test
