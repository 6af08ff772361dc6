// qgconvert end to end: TIFF to PBM bit for bit, CGM to PNG and PDF, usage errors.

#include "QgConvert.h"
#include "BigDrawing.h"
#include "TempDir.h"
#include "TiffWriter.h"

#include <QImage>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <random>

namespace {

struct Image
{
    int width = 0, height = 0;
    std::vector<std::uint8_t> rows; // packed, MSB first, 1 = black
};

Image RandomBlobs(int width, int height, unsigned seed)
{
    Image image{width, height, {}};
    const int rowBytes = (width + 7) / 8;
    image.rows.assign(static_cast<std::size_t>(rowBytes) * height, 0);
    std::mt19937 rng(seed);
    for (int blob = 0; blob < 40; ++blob) {
        const int cx = static_cast<int>(rng() % width), cy = static_cast<int>(rng() % height);
        const int r = 1 + static_cast<int>(rng() % 9);
        for (int y = std::max(0, cy - r); y < std::min(height, cy + r); ++y) {
            for (int x = std::max(0, cx - r); x < std::min(width, cx + r); ++x)
                image.rows[static_cast<std::size_t>(y) * rowBytes + x / 8] |=
                    static_cast<std::uint8_t>(0x80 >> (x % 8));
        }
    }
    return image;
}

std::string Pbm(const Image& image)
{
    return "P4\n" + std::to_string(image.width) + " " + std::to_string(image.height) + "\n" +
           std::string(image.rows.begin(), image.rows.end());
}

int Convert(const std::vector<std::string>& args, std::string* err = nullptr)
{
    std::string messages;
    const int status = RunQgConvert(args, messages);
    if (err)
        *err = messages;
    return status;
}

// Runs the program itself with the given arguments and extra environment; its standard output
// and error are kept. Returns its exit status, -1 when it did not exit.
int RunProgram(const std::vector<std::string>& args, const std::vector<std::string>& env,
               const std::string& out, const std::string& err)
{
    const pid_t child = fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        for (const std::string& assignment : env)
            putenv(const_cast<char*>(assignment.c_str()));
        if (!freopen(out.c_str(), "w", stdout) || !freopen(err.c_str(), "w", stderr))
            _exit(126);
        std::vector<char*> argv{const_cast<char*>(QGCONVERT_PROGRAM)};
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(QGCONVERT_PROGRAM, argv.data());
        _exit(127);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

std::size_t Occurrences(const std::string& text, const std::string& what)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

class QgConvertTest : public ::testing::Test
{
protected:
    void SetUp() override { setenv("MB_CGMFILTER_OPTIONS", (dir / "options.ini").c_str(), 1); }
    TempDir dir;
};

TEST_F(QgConvertTest, TiffToPbmAtNativeSizeKeepsEveryBit)
{
    for (const int width : {1, 9, 203}) {
        const Image image = RandomBlobs(width, 37, static_cast<unsigned>(width));
        const std::string tiff = dir.Write("in.tif", BilevelTiff(width, 37, image.rows));
        std::string err;
        ASSERT_EQ(Convert({tiff, dir / "out.pbm"}, &err), 0) << err;
        EXPECT_EQ(TempDir::Read(dir / "out.pbm"), Pbm(image)) << width;
    }
}

TEST_F(QgConvertTest, G4TiffMadeByTheTiffToolsConvertsExactly)
{
    if (std::system("command -v tiffcp >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "tiffcp is not installed";
    const Image image = RandomBlobs(301, 120, 7);
    const std::string plain = dir.Write("plain.tif", BilevelTiff(301, 120, image.rows));
    const std::string g4 = dir / "g4.tif";
    ASSERT_EQ(std::system(("tiffcp -c g4 '" + plain + "' '" + g4 + "'").c_str()), 0);
    ASSERT_EQ(Convert({g4, dir / "g4.pbm"}), 0);
    EXPECT_EQ(TempDir::Read(dir / "g4.pbm"), Pbm(image));
}

TEST_F(QgConvertTest, PictureNumberChoosesATiffPage)
{
    if (std::system("command -v tiffcp >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "tiffcp is not installed";
    std::vector<Image> pages;
    std::string inputs;
    for (int page = 0; page < 3; ++page) {
        pages.push_back(RandomBlobs(64 + 8 * page, 40, 100 + static_cast<unsigned>(page)));
        const Image& image = pages.back();
        inputs += " '" +
                  dir.Write("p" + std::to_string(page) + ".tif",
                            BilevelTiff(image.width, image.height, image.rows)) +
                  "'";
    }
    const std::string multi = dir / "multi.tif";
    ASSERT_EQ(std::system(("tiffcp -c g4" + inputs + " '" + multi + "'").c_str()), 0);
    for (int page : {1, 2, 0}) {
        std::string err;
        ASSERT_EQ(Convert({"--picture", std::to_string(page), multi, dir / "page.pbm"}, &err), 0)
            << err;
        EXPECT_EQ(TempDir::Read(dir / "page.pbm"), Pbm(pages[static_cast<std::size_t>(page)]))
            << page;
    }
    // Without a page, and beyond the last one, the first page.
    ASSERT_EQ(Convert({multi, dir / "first.pbm"}), 0);
    EXPECT_EQ(TempDir::Read(dir / "first.pbm"), Pbm(pages[0]));
    ASSERT_EQ(Convert({"--picture", "7", multi, dir / "beyond.pbm"}), 0);
    EXPECT_EQ(TempDir::Read(dir / "beyond.pbm"), Pbm(pages[0]));
}

TEST_F(QgConvertTest, BilevelPngAtNativeSizeIsOneBitDeep)
{
    const Image image = RandomBlobs(203, 61, 5);
    const std::string tiff = dir.Write("in.tif", BilevelTiff(203, 61, image.rows));
    ASSERT_EQ(Convert({tiff, dir / "out.png"}), 0);
    const std::string png = TempDir::Read(dir / "out.png");
    ASSERT_GT(png.size(), 26u);
    EXPECT_EQ(png.substr(12, 4), "IHDR");
    EXPECT_EQ(static_cast<int>(png[24]), 1); // bit depth
    const QImage back =
        QImage(QString::fromStdString(dir / "out.png")).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(back.size(), QSize(203, 61));
    int wrong = 0;
    for (int y = 0; y < 61; ++y) {
        for (int x = 0; x < 203; ++x) {
            const bool black =
                (image.rows[static_cast<std::size_t>(y) * 26 + x / 8] >> (7 - x % 8)) & 1;
            wrong += (qGray(back.pixel(x, y)) < 128) != black;
        }
    }
    EXPECT_EQ(wrong, 0);
}

// The big drawing (12400 x 17540, 27 MB one bit deep) to PBM by the program itself, whose
// peak memory must stay within twice the image plus 64 MB: an image blown up to 32 bits
// anywhere on the way (870 MB) fails.
TEST_F(QgConvertTest, BigDrawingConvertsInBoundedMemory)
{
    const std::string page = BigDrawingSourcePage(MB_SOURCE_DIR);
    if (!std::filesystem::exists(page))
        GTEST_SKIP() << page << " is missing (the shared test data sits beside the checkout)";
    if (std::system("command -v tiffcp >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "tiffcp is not installed";
    std::string error;
    const std::string drawing = dir / "drawing.tif";
    ASSERT_TRUE(MakeBigDrawing(page, drawing, error)) << error;
    const std::string out = dir / "drawing.pbm";

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        execl(QGCONVERT_PROGRAM, QGCONVERT_PROGRAM, drawing.c_str(), out.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    ASSERT_EQ(wait4(child, &status, 0, &usage), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    const long imageBytes = (kBigDrawingWidth + 7) / 8 * static_cast<long>(kBigDrawingHeight);
    const long peak = usage.ru_maxrss * 1024L;
    EXPECT_LE(peak, 2 * imageBytes + (64L << 20)) << "peak " << (peak >> 20) << " MB";
    EXPECT_EQ(std::filesystem::file_size(out), static_cast<std::uintmax_t>(imageBytes) + 15);
}

// A dashed graph plotted by plotutils' graph as CGM, drawn at 600 pixels, against graph's own
// PNG of the same data: the dark pixels of each lie within two pixels of the other's.
TEST_F(QgConvertTest, DashedPlotLooksAsThePlotterDrawsIt)
{
    if (std::system("command -v graph >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "graph (plotutils) is not installed";
    const std::string data = dir.Write("data.txt", "0 0\n1 3\n2 1\n3 4\n4 2\n\n0 4\n4 0\n");
    const std::string cgm = dir / "plot.cgm", png = dir / "plot.png";
    ASSERT_EQ(std::system(("graph -T cgm -m 4 '" + data + "' > '" + cgm + "'").c_str()), 0);
    ASSERT_EQ(
        std::system(
            ("graph -T png --bitmap-size 600x600 -m 4 '" + data + "' > '" + png + "'").c_str()),
        0);
    std::string err;
    ASSERT_EQ(Convert({"--width", "600", cgm, dir / "ours.png"}, &err), 0) << err;
    const QImage theirs =
        QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_Grayscale8);
    const QImage ours =
        QImage(QString::fromStdString(dir / "ours.png")).convertToFormat(QImage::Format_Grayscale8);
    ASSERT_EQ(ours.size(), theirs.size());

    auto dark = [](const QImage& image, int x, int y) { return image.constScanLine(y)[x] < 128; };
    // The share of one image's dark pixels with a dark pixel of the other within two pixels.
    auto matched = [&](const QImage& a, const QImage& b, int& count) {
        int near = 0;
        count = 0;
        for (int y = 0; y < a.height(); ++y) {
            for (int x = 0; x < a.width(); ++x) {
                if (!dark(a, x, y))
                    continue;
                ++count;
                bool found = false;
                for (int dy = -2; dy <= 2 && !found; ++dy)
                    for (int dx = -2; dx <= 2 && !found; ++dx)
                        found = x + dx >= 0 && y + dy >= 0 && x + dx < b.width() &&
                                y + dy < b.height() && dark(b, x + dx, y + dy);
                near += found;
            }
        }
        return count ? static_cast<double>(near) / count : 0.0;
    };
    int theirCount = 0, ourCount = 0;
    EXPECT_GE(matched(theirs, ours, theirCount), 0.95);
    EXPECT_GE(matched(ours, theirs, ourCount), 0.95);
    // Faint lines would leave too few dark pixels; smeared ones too many.
    EXPECT_GE(ourCount, theirCount * 8 / 10);
    EXPECT_LE(ourCount, theirCount * 14 / 10);
}

TEST_F(QgConvertTest, WidthScalesTheOutput)
{
    const Image image = RandomBlobs(100, 50, 3);
    const std::string tiff = dir.Write("in.tif", BilevelTiff(100, 50, image.rows));
    ASSERT_EQ(Convert({"--width", "200", tiff, dir / "wide.png"}), 0);
    const QImage png(QString::fromStdString(dir / "wide.png"));
    EXPECT_EQ(png.size(), QSize(200, 100));
}

TEST_F(QgConvertTest, CgmToPngAndPdf)
{
    const std::string cgm = dir.Write("rect.cgm", "BEGMF 'test';\nMFVERSION 1;\n"
                                                  "BEGPIC 'one';\nVDCEXT (0,0) (100,50);\n"
                                                  "BEGPICBODY;\nINTSTYLE SOLID;\nFILLCOLR 1;\n"
                                                  "RECT (10,10) (40,40);\nENDPIC;\nENDMF;\n");
    std::string err;
    ASSERT_EQ(Convert({"--width", "400", cgm, dir / "rect.png"}, &err), 0) << err;
    const QImage png(QString::fromStdString(dir / "rect.png"));
    ASSERT_EQ(png.width(), 400);
    int dark = 0;
    for (int y = 0; y < png.height(); ++y) {
        for (int x = 0; x < png.width(); ++x)
            dark += qGray(png.pixel(x, y)) < 128;
    }
    EXPECT_GT(dark, 1000);

    ASSERT_EQ(Convert({cgm, dir / "rect.pdf"}, &err), 0) << err;
    EXPECT_EQ(TempDir::Read(dir / "rect.pdf").rfind("%PDF", 0), 0u);
}

TEST_F(QgConvertTest, PictureNumberChoosesAmongSeveral)
{
    // Two pictures: a filled rectangle on the left, then one on the right.
    auto picture = [](const char* name, const char* rect) {
        return std::string("BEGPIC '") + name +
               "';\nVDCEXT (0,0) (100,50);\nBEGPICBODY;\n"
               "INTSTYLE SOLID;\nFILLCOLR 1;\nRECT " +
               rect + ";\nENDPIC;\n";
    };
    const std::string cgm =
        dir.Write("two.cgm", "BEGMF 'two';\nMFVERSION 1;\n" + picture("left", "(5,5) (30,45)") +
                                 picture("right", "(70,5) (95,45)") + "ENDMF;\n");
    auto darkOnLeft = [&](const std::vector<std::string>& extra) {
        std::vector<std::string> args = extra;
        args.push_back(cgm);
        args.push_back(dir / "two.png");
        EXPECT_EQ(Convert(args), 0);
        const QImage png(QString::fromStdString(dir / "two.png"));
        return qGray(png.pixel(png.width() / 8, png.height() / 2)) < 128;
    };
    EXPECT_TRUE(darkOnLeft({}));
    EXPECT_FALSE(darkOnLeft({"--picture", "1"}));
    // The user's options file is left as it was.
    EXPECT_FALSE(std::filesystem::exists(dir / "options.ini"));
    EXPECT_TRUE(darkOnLeft({}));
}

TEST_F(QgConvertTest, BadArgumentsAndInputs)
{
    EXPECT_EQ(Convert({}), 64);
    EXPECT_EQ(Convert({"a.cgm"}), 64);
    EXPECT_EQ(Convert({"a.cgm", "b.gif"}), 64);
    EXPECT_EQ(Convert({"--width", "0", "a.cgm", "b.png"}), 64);
    EXPECT_EQ(Convert({"--mode", "4", "a.cgm", "b.png"}), 64);
    std::string err;
    EXPECT_EQ(Convert({dir / "missing.cgm", dir / "out.png"}, &err), 1);
    EXPECT_NE(err.find("Cannot open specified file."), std::string::npos);
    const std::string junk = dir.Write("junk.cgm", "this is no picture");
    EXPECT_EQ(Convert({junk, dir / "out.png"}), 1);
    const Image image = RandomBlobs(10, 10, 1);
    const std::string tiff = dir.Write("in.tif", BilevelTiff(10, 10, image.rows));
    EXPECT_EQ(Convert({tiff, dir / "no/such/dir/out.png"}), 2);
}

// The program converts a bilevel TIFF to PBM without loading Qt or the graphics library, and
// hands every conversion that draws to its drawing module.
TEST_F(QgConvertTest, ProgramLoadsTheDrawingPartOnlyToDraw)
{
    const Image image = RandomBlobs(77, 40, 3);
    const std::string tiff = dir.Write("in.tif", BilevelTiff(77, 40, image.rows));
    const std::string out = dir / "stdout.txt", err = dir / "stderr.txt";
    ASSERT_EQ(RunProgram({tiff, dir / "out.pbm"}, {"LD_DEBUG=files"}, out, err), 0);
    EXPECT_EQ(TempDir::Read(dir / "out.pbm"), Pbm(image));
    const std::string loaded = TempDir::Read(err);
    EXPECT_NE(loaded.find("libstdc++"), std::string::npos) << "LD_DEBUG had no effect";
    EXPECT_EQ(loaded.find("libQt6"), std::string::npos);
    EXPECT_EQ(loaded.find("qg1api32"), std::string::npos);

    ASSERT_EQ(RunProgram({"--width", "20", tiff, dir / "small.pbm"}, {}, out, err), 0)
        << TempDir::Read(err);
    EXPECT_EQ(TempDir::Read(dir / "small.pbm").rfind("P4\n20 10\n", 0), 0u);
    ASSERT_EQ(RunProgram({tiff, dir / "out.png"}, {}, out, err), 0) << TempDir::Read(err);
    EXPECT_EQ(QImage(QString::fromStdString(dir / "out.png")).size(), QSize(77, 40));
    EXPECT_EQ(RunProgram({dir / "missing.tif", dir / "x.pbm"}, {}, out, err), 1);
    EXPECT_NE(TempDir::Read(err).find("Cannot open specified file."), std::string::npos);
    EXPECT_EQ(RunProgram({tiff, dir / "x.gif"}, {}, out, err), 64);
}

// Diagnostics reach standard output once, whether the program converts the file itself or
// hands it on after a first look; a failed write leaves the old file as it was.
TEST_F(QgConvertTest, ProgramReportsOnceAndKeepsTheOldFileOnFailure)
{
    const Image image = RandomBlobs(64, 32, 4);
    std::string cut = BilevelTiff(64, 32, image.rows);
    cut.resize(cut.size() - 8 * 10); // the last ten rows are missing
    const std::string damaged = dir.Write("damaged.tif", cut);
    const std::string out = dir / "stdout.txt", err = dir / "stderr.txt";
    ASSERT_EQ(RunProgram({damaged, dir / "damaged.pbm"}, {}, out, err), 0) << TempDir::Read(err);
    const std::string said = TempDir::Read(out);
    EXPECT_EQ(Occurrences(said, "row "), 1u) << said;
    EXPECT_EQ(std::filesystem::file_size(dir / "damaged.pbm"), 9u + 8 * 32);

    const std::string deep =
        dir.Write("deep.tif", BilevelTiff(8, 2, std::vector<std::uint8_t>(4, 0x55), 2));
    EXPECT_EQ(RunProgram({deep, dir / "deep.pbm"}, {}, out, err), 1);
    EXPECT_EQ(Occurrences(TempDir::Read(out), "Unsupported color depth"), 1u) << TempDir::Read(out);
    EXPECT_FALSE(std::filesystem::exists(dir / "deep.pbm"));

    // The output's folder is missing or cannot take the file: status 2, the old file
    // untouched, no temporary file left.
    const std::string tiff = dir.Write("in.tif", BilevelTiff(64, 32, image.rows));
    EXPECT_EQ(RunProgram({tiff, dir / "no/such/out.pbm"}, {}, out, err), 2);
    EXPECT_NE(TempDir::Read(err).find("cannot write"), std::string::npos);
    const std::string folder = dir / "locked";
    std::filesystem::create_directory(folder);
    const std::string old = dir.Write("locked/out.pbm", "old");
    std::filesystem::permissions(folder, std::filesystem::perms::owner_read |
                                             std::filesystem::perms::owner_exec);
    if (::access(folder.c_str(), W_OK) == 0)
        GTEST_SKIP() << "a read-only folder is writable here (run as root)";
    EXPECT_EQ(RunProgram({tiff, old}, {}, out, err), 2);
    EXPECT_EQ(TempDir::Read(old), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                            std::filesystem::directory_iterator()),
              1);
}

} // namespace
