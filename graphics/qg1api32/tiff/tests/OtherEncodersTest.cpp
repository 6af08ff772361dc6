// Files the way other encoders write them, and files of several pages: decoded by us and by
// the system's TIFF library (tifftopnm, tiffcp), which must agree bit for bit.

#include "TiffTestSupport.h"

#include <gtest/gtest.h>

namespace qgtiff::test {
namespace {

constexpr const char* kTifftopnm = "/usr/bin/tifftopnm";
constexpr const char* kOutsideFax = QGTIFF_SHARED_DATA "/tiff/testfax4.tiff";

bool HaveTools()
{
    return HaveTiffcp() && std::filesystem::exists(kTifftopnm);
}

// The first page of a file as the library decodes it: tifftopnm's PBM, PGM or PPM, a pixel
// black where it is darker than middle grey. An empty bitmap when the tool fails.
CBitmap LibraryDecode(const std::filesystem::path& tiff, const std::filesystem::path& scratch)
{
    const std::string command = std::string(kTifftopnm) + " '" + tiff.string() + "' > '" +
                                scratch.string() + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0)
        return {};
    const std::vector<std::uint8_t> bytes = ReadFile(scratch);
    std::size_t at = 0;
    auto token = [&] {
        while (at < bytes.size() && (std::isspace(bytes[at]) || bytes[at] == '#')) {
            if (bytes[at] == '#')
                while (at < bytes.size() && bytes[at] != '\n')
                    ++at;
            else
                ++at;
        }
        std::string text;
        while (at < bytes.size() && !std::isspace(bytes[at]))
            text += static_cast<char>(bytes[at++]);
        return text;
    };
    const std::string magic = token();
    const int width = std::stoi(token());
    const int height = std::stoi(token());
    if (magic != "P4")
        token(); // maximum value
    ++at;
    CBitmap image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            bool black = false;
            if (magic == "P4") {
                black = (bytes.at(at + static_cast<std::size_t>(y) * image.rowBytes + x / 8) >>
                         (7 - x % 8)) &
                        1;
            } else if (magic == "P5") {
                black = bytes.at(at + static_cast<std::size_t>(y) * width + x) < 128;
            } else {
                const std::size_t p = at + (static_cast<std::size_t>(y) * width + x) * 3;
                black =
                    0.299 * bytes.at(p) + 0.587 * bytes.at(p + 1) + 0.114 * bytes.at(p + 2) < 128;
            }
            if (black)
                image.Set(x, y);
        }
    }
    return image;
}

CBilevelImage DecodePage(CTiffFile& file, int page)
{
    CBilevelImage image;
    EXPECT_EQ(file.SelectPage(page), TiffStatus::Ok);
    EXPECT_EQ(file.Decode(image), TiffStatus::Ok);
    return image;
}

// --- fax coding by hand -----------------------------------------------------------------

// Mode codes of two-dimensional coding.
constexpr const char* kPass = "0001";
constexpr const char* kHorizontal = "001";
constexpr const char* kV0 = "1";
constexpr const char* kVL1 = "010";

std::vector<std::uint8_t> G4Tiff(int width, int height, CBitWriter& bits, int photometric = 0)
{
    CTiffBuilder tiff = BilevelTiff(width, height, 4, height, false, photometric);
    tiff.strips.push_back(bits.Bytes());
    return tiff.Build();
}

// Two encoders' habits that are legal and that our decoder once got wrong: a row that starts
// with empty horizontal runs, and a vertical code that makes an empty run. Both leave equal
// changing elements, which the next row's pass and vertical codes must still see.
TEST(OtherEncoders, EmptyRunsAreChangingElementsOfTheReferenceLine)
{
    if (!HaveTools())
        GTEST_SKIP() << "libtiff-tools are not installed";
    CBitWriter bits;
    // Row 0: empty white and black runs, then white 4, black 4, white to the end.
    bits.Put(kHorizontal), PutRun(bits, false, 0), PutRun(bits, true, 0);
    bits.Put(kHorizontal), PutRun(bits, false, 4), PutRun(bits, true, 4);
    bits.Put(kV0);
    // Row 1: a pass over the empty runs moves a0 to 0 only; then white 2, black 2.
    bits.Put(kPass);
    bits.Put(kHorizontal), PutRun(bits, false, 2), PutRun(bits, true, 2);
    bits.Put(kV0);
    // Row 2: white 1 and an empty black run, then VL1 onto a0 (another empty run), black to
    // the reference line's next change at 4.
    bits.Put(kHorizontal), PutRun(bits, false, 1), PutRun(bits, true, 0);
    bits.Put(kVL1);
    bits.Put(kV0);
    bits.Put(kV0);
    const auto bytes = G4Tiff(16, 3, bits);

    CTempDir dir;
    WriteFile(dir.Path() / "empty.tif", bytes);
    const CBitmap theirs = LibraryDecode(dir.Path() / "empty.tif", dir.Path() / "empty.pnm");
    ASSERT_EQ(theirs.height, 3);
    CBitmap expected(16, 3);
    expected.Fill(4, 0, 8, 1);
    expected.Fill(2, 1, 4, 2);
    expected.Fill(1, 2, 4, 3);
    EXPECT_EQ(theirs.bits, expected.bits) << "the library reads the test data differently";

    CBilevelImage ours;
    testing::internal::CaptureStdout();
    ASSERT_EQ(DecodeBytes(bytes, ours), TiffStatus::Ok);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(FirstDifferentRow(theirs, ours), -1);
}

TEST(OtherEncoders, OutsideGroup4PageDecodesLikeTheLibrary)
{
    if (!HaveTools())
        GTEST_SKIP() << "libtiff-tools are not installed";
    if (!std::filesystem::exists(kOutsideFax))
        GTEST_SKIP() << kOutsideFax
                     << " is missing (the shared test data sits beside the checkout)";
    CTempDir dir;
    const CBitmap theirs = LibraryDecode(kOutsideFax, dir.Path() / "fax.pnm");
    ASSERT_EQ(theirs.width, 2453);
    CTiffFile file;
    ASSERT_EQ(file.Open(kOutsideFax), TiffStatus::Ok);
    CBilevelImage ours;
    testing::internal::CaptureStdout();
    ASSERT_EQ(file.Decode(ours), TiffStatus::Ok);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(FirstDifferentRow(theirs, ours), -1);
}

// Group 3 one-dimensional data as fax software writes it without EOL codes: the rows follow
// one another bit by bit. The system's library cannot read such data (it hunts for the EOL and
// leaves the page white), so the rows are checked against the image and against the library's
// decoding of the same rows coded with EOLs.
TEST(OtherEncoders, Group3WithoutEolsDecodesItsRows)
{
    if (!HaveTools())
        GTEST_SKIP() << "libtiff-tools are not installed";
    CTempDir dir;
    for (const CBitmap& image :
         {TextPage(1728, 60, 11, 16), Extremes(203, 40, 12), Blobs(9, 30, 13)}) {
        CBitWriter bits;
        for (int y = 0; y < image.height; ++y)
            PutRow(bits, image, y); // no EOL, no alignment
        CTiffBuilder tiff = BilevelTiff(image.width, image.height, 3, image.height);
        tiff.Set(292, kLong, {0});
        tiff.strips.push_back(bits.Bytes());
        CBilevelImage ours;
        testing::internal::CaptureStdout();
        ASSERT_EQ(DecodeBytes(tiff.Build(), ours), TiffStatus::Ok);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << image.width;
        EXPECT_EQ(FirstDifferentRow(image, ours), -1) << image.width;

        WriteFile(dir.Path() / "source.tif", UncompressedTiff(image, image.height));
        ASSERT_TRUE(Tiffcp("-c g3:1d", dir.Path() / "source.tif", dir.Path() / "eols.tif"));
        const CBitmap theirs = LibraryDecode(dir.Path() / "eols.tif", dir.Path() / "eols.pnm");
        EXPECT_EQ(FirstDifferentRow(theirs, ours), -1) << image.width;
    }
}

// A one-bit palette image: each pixel takes the brightness of its colour map entry.
TEST(OtherEncoders, PaletteImagesUseTheirColourMap)
{
    if (!HaveTools())
        GTEST_SKIP() << "libtiff-tools are not installed";
    const CBitmap image = Blobs(77, 31, 14);
    CTempDir dir;
    // Red, green, blue of entries 0 and 1: dark navy and pale yellow, then the reverse, then
    // two dark entries.
    const std::vector<std::vector<std::uint32_t>> maps = {
        {0x1000, 0xFF00, 0x1000, 0xFF00, 0x6000, 0x9000},
        {0xFF00, 0x1000, 0xFF00, 0x1000, 0x9000, 0x6000},
        {0x1000, 0x3000, 0x1000, 0x3000, 0x1000, 0x3000},
    };
    for (const auto& map : maps) {
        CTiffBuilder tiff = BilevelTiff(image.width, image.height, 1, image.height, false, 3);
        tiff.Set(320, kShort, map);
        tiff.strips.push_back(image.bits);
        const auto bytes = tiff.Build();
        WriteFile(dir.Path() / "palette.tif", bytes);
        const CBitmap theirs =
            LibraryDecode(dir.Path() / "palette.tif", dir.Path() / "palette.pnm");
        ASSERT_EQ(theirs.height, image.height);
        CBilevelImage ours;
        ASSERT_EQ(DecodeBytes(bytes, ours), TiffStatus::Ok);
        EXPECT_EQ(FirstDifferentRow(theirs, ours), -1) << map[0];
    }
}

// The uncompressed-mode bit only allows that coding: such files open and decode, and a row
// is reported only where an uncompressed-mode code appears.
TEST(OtherEncoders, UncompressedModeBitAloneIsNoDamage)
{
    if (!HaveTiffcp())
        GTEST_SKIP() << "tiffcp (libtiff-tools) is not installed";
    const CBitmap image = TextPage(300, 40, 15, 12);
    CTempDir dir;
    WriteFile(dir.Path() / "source.tif", UncompressedTiff(image, image.height));
    for (const auto& [options, tag] : {std::pair{"-c g3:2d", 292}, std::pair{"-c g4", 293}}) {
        ASSERT_TRUE(Tiffcp(options, dir.Path() / "source.tif", dir.Path() / "coded.tif"));
        // Re-read the coded strip and write it again with the bit set.
        CTiffFile coded;
        ASSERT_EQ(coded.Open((dir.Path() / "coded.tif").string()), TiffStatus::Ok);
        const auto file = ReadFile(dir.Path() / "coded.tif");
        const auto& info = coded.Info();
        CTiffBuilder tiff = BilevelTiff(image.width, image.height, info.compression, image.height);
        tiff.Set(static_cast<std::uint16_t>(tag), kLong, {tag == 292 ? info.t4Options | 2u : 2u});
        std::vector<std::uint8_t> strip;
        for (std::size_t s = 0; s < info.stripOffsets.size(); ++s)
            strip.insert(strip.end(), file.begin() + static_cast<long>(info.stripOffsets[s]),
                         file.begin() +
                             static_cast<long>(info.stripOffsets[s] + info.stripByteCounts[s]));
        tiff.strips.push_back(strip);
        CBilevelImage ours;
        testing::internal::CaptureStdout();
        ASSERT_EQ(DecodeBytes(tiff.Build(), ours), TiffStatus::Ok) << options;
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << options;
        EXPECT_EQ(FirstDifferentRow(image, ours), -1) << options;
    }

    // Where the code does appear (a row starting with the extension 0000001 111), that row
    // is reported and the rows before it stay.
    CBitWriter bits;
    bits.Put(kHorizontal), PutRun(bits, false, 3), PutRun(bits, true, 5);
    bits.Put(kV0);
    bits.Put("0000001111");
    bits.Put("0000000000");
    CTiffBuilder tiff = BilevelTiff(16, 2, 4, 2);
    tiff.Set(293, kLong, {2});
    tiff.strips.push_back(bits.Bytes());
    CBilevelImage ours;
    testing::internal::CaptureStdout();
    ASSERT_EQ(DecodeBytes(tiff.Build(), ours), TiffStatus::Ok);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "row 1: uncompressed mode is not supported\n");
    EXPECT_EQ(ours.bits[0], 0x1F);
}

// --- pages --------------------------------------------------------------------------------

// Three pages coded by tiffcp into one G4 file.
struct CThreePages
{
    CTempDir dir;
    std::vector<CBitmap> pages{TextPage(640, 90, 21, 16), Blobs(333, 120, 22),
                               Extremes(1728, 50, 23)};
    std::filesystem::path path = dir.Path() / "pages.tif";

    bool Make()
    {
        std::string inputs;
        for (std::size_t i = 0; i < pages.size(); ++i) {
            const auto page = dir.Path() / ("page" + std::to_string(i) + ".tif");
            WriteFile(page, UncompressedTiff(pages[i], pages[i].height));
            inputs += " '" + page.string() + "'";
        }
        const std::string command = std::string(QGTIFF_TIFFCP) + " -c g4" + inputs + " '" +
                                    path.string() + "' >/dev/null 2>&1";
        return std::system(command.c_str()) == 0;
    }
};

// The offset of the word that links directory number index to the next one.
std::size_t NextLinkAt(const std::vector<std::uint8_t>& bytes, int index)
{
    auto u16 = [&](std::size_t at) {
        return static_cast<std::size_t>(bytes[at] | bytes[at + 1] << 8);
    };
    auto u32 = [&](std::size_t at) {
        return static_cast<std::size_t>(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
                                        static_cast<std::uint32_t>(bytes[at + 3]) << 24);
    };
    std::size_t link = 4;
    for (int i = 0; i <= index; ++i) {
        const std::size_t ifd = u32(link);
        link = ifd + 2 + 12 * u16(ifd);
    }
    return link;
}

void Put32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

TEST(Pages, EveryPageDecodesLikeTheLibrary)
{
    if (!HaveTiffcp())
        GTEST_SKIP() << "tiffcp (libtiff-tools) is not installed";
    CThreePages three;
    ASSERT_TRUE(three.Make());
    CTiffFile file;
    ASSERT_EQ(file.Open(three.path.string()), TiffStatus::Ok);
    ASSERT_EQ(file.PageCount(), 3);
    for (int page : {2, 0, 1}) {
        const CBilevelImage image = DecodePage(file, page);
        EXPECT_EQ(file.Page(), page);
        EXPECT_EQ(FirstDifferentRow(three.pages[static_cast<std::size_t>(page)], image), -1)
            << page;
    }
    // Each page the library splits off decodes the same.
    const auto split = three.dir.Path() / "split";
    std::filesystem::create_directories(split);
    ASSERT_EQ(std::system(("cd '" + split.string() + "' && tiffsplit '" + three.path.string() +
                           "' p >/dev/null 2>&1")
                              .c_str()),
              0);
    std::vector<std::filesystem::path> parts;
    for (const auto& entry : std::filesystem::directory_iterator(split))
        parts.push_back(entry.path());
    std::sort(parts.begin(), parts.end());
    ASSERT_EQ(parts.size(), 3u);
    for (int page = 0; page < 3; ++page) {
        const auto& part = parts[static_cast<std::size_t>(page)];
        const CBitmap theirs = LibraryDecode(part, three.dir.Path() / "page.pnm");
        EXPECT_EQ(FirstDifferentRow(theirs, DecodePage(file, page)), -1) << part;
    }
    EXPECT_EQ(file.SelectPage(3), TiffStatus::Corrupt);
    EXPECT_EQ(file.SelectPage(-1), TiffStatus::Corrupt);
    EXPECT_EQ(file.Page(), 2);
}

TEST(Pages, ABrokenChainEndsThereAndTheEarlierPagesOpen)
{
    if (!HaveTiffcp())
        GTEST_SKIP() << "tiffcp (libtiff-tools) is not installed";
    CThreePages three;
    ASSERT_TRUE(three.Make());
    const std::vector<std::uint8_t> bytes = ReadFile(three.path);
    const std::size_t firstIfd = bytes[4] | bytes[5] << 8 | bytes[6] << 16 | bytes[7] << 24;

    struct CCase
    {
        const char* name;
        int page; // whose link is broken
        std::uint32_t target;
        int pages; // expected
    };
    const CCase cases[] = {
        {"loop to the first page", 1, static_cast<std::uint32_t>(firstIfd), 2},
        {"loop to itself", 0, static_cast<std::uint32_t>(firstIfd), 1},
        {"beyond the end", 1, static_cast<std::uint32_t>(bytes.size() + 100), 2},
        {"last bytes of the file", 0, static_cast<std::uint32_t>(bytes.size() - 1), 1},
        {"far away", 1, 0xFFFFFFF0u, 2},
    };
    for (const CCase& c : cases) {
        std::vector<std::uint8_t> broken = bytes;
        Put32(broken, NextLinkAt(broken, c.page), c.target);
        CTiffFile file;
        ASSERT_EQ(file.OpenBytes(broken), TiffStatus::Ok) << c.name;
        EXPECT_EQ(file.PageCount(), c.pages) << c.name;
        for (int page = 0; page < c.pages; ++page)
            EXPECT_EQ(FirstDifferentRow(three.pages[static_cast<std::size_t>(page)],
                                        DecodePage(file, page)),
                      -1)
                << c.name << " page " << page;
    }
}

} // namespace
} // namespace qgtiff::test
