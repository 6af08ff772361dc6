// The library's exports called with edge arguments: clip rectangles on vector pictures, files
// that are no regular files, resolutions, late stops, errors kept per instance and the
// library's exported symbols.

#include "ExportedSymbols.h"
#include "TempDir.h"
#include "TiffWriter.h"
#include "qg1api32.h"

#include <QImage>
#include <QPainter>
#include <QWidget>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// A picture filled black edge to edge.
const char kFullCgm[] = "BEGMF 'full';\nMFVERSION 1;\nBEGPIC 'one';\nVDCEXT (0,0) (100,100);\n"
                        "BEGPICBODY;\nINTSTYLE SOLID;\nFILLCOLR 1;\nRECT (0,0) (100,100);\n"
                        "ENDPIC;\nENDMF;\n";

struct CHandles
{
    QG1Instance* instance = QG1_Init("");
    QG1GrObj* object = nullptr;
    QG1Pict* picture = nullptr;
    std::vector<int> codes;
    std::vector<std::string> texts;

    CHandles()
    {
        QG1_SetErrorProc(
            instance,
            [](int code, const char* text, uintptr_t user) {
                auto* self = reinterpret_cast<CHandles*>(user);
                self->codes.push_back(code);
                self->texts.emplace_back(text);
            },
            reinterpret_cast<uintptr_t>(this));
    }
    ~CHandles()
    {
        QG1_DestroyPict(picture);
        QG1_GrObjUnload(object);
        QG1_Exit(instance);
    }
    // Loads a file in place of what was loaded before.
    QG1Pict* Load(const std::string& path)
    {
        QG1_DestroyPict(picture);
        QG1_GrObjUnload(object);
        int kind = 0;
        object = QG1_GrObjLoad(instance, path.c_str(), &kind);
        picture = object ? QG1_CreatePict(object) : nullptr;
        return picture;
    }
};

int DarkIn(const QImage& image, const QRect& area)
{
    int dark = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            dark += qGray(image.pixel(x, y)) < 128;
    return dark;
}

class Qg1Edges : public ::testing::Test
{
protected:
    void SetUp() override { setenv("MB_CGMFILTER_OPTIONS", (dir / "options.ini").c_str(), 1); }
    TempDir dir;
};

TEST_F(Qg1Edges, ClipRectangleLimitsVectorPicturesOnPrintersAndWindows)
{
    CHandles h;
    ASSERT_NE(h.Load(dir.Write("full.cgm", kFullCgm)), nullptr);
    const QG1Rect clip{10, 20, 50, 60};
    const QRect inside(10, 20, 40, 40);

    QImage page(100, 100, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        const QG1Rect rect{0, 0, 100, 100};
        QG1_SetClipRect(h.picture, &clip);
        ASSERT_EQ(QG1_Print(h.picture, &painter, &rect, 4), 0);
    }
    EXPECT_GT(DarkIn(page, inside.adjusted(1, 1, -1, -1)), 38 * 38 - 10);
    EXPECT_EQ(DarkIn(page, page.rect()), DarkIn(page, inside));

    for (const int flags : {4, 4 | 2}) {
        struct Window : QWidget
        {
            QG1Pict* picture = nullptr;
            const QG1Rect* clip = nullptr;
            int flags = 0;
            int result = -1;
            void paintEvent(QPaintEvent*) override
            {
                const QG1Rect rect{0, 0, width(), height()};
                QG1_SetClipRect(picture, clip);
                result = QG1_View(picture, this, &rect, flags);
            }
        } window;
        window.picture = h.picture;
        window.clip = &clip;
        window.flags = flags;
        window.resize(100, 100);
        QImage shown(100, 100, QImage::Format_RGB32);
        shown.fill(Qt::white);
        window.render(&shown);
        ASSERT_EQ(window.result, 0) << flags;
        EXPECT_GT(DarkIn(shown, inside.adjusted(1, 1, -1, -1)), 38 * 38 - 10) << flags;
        EXPECT_EQ(DarkIn(shown, shown.rect()), DarkIn(shown, inside)) << flags;
    }

    // The clip holds for one drawing only.
    QImage again(100, 100, QImage::Format_RGB32);
    again.fill(Qt::white);
    {
        QPainter painter(&again);
        const QG1Rect rect{0, 0, 100, 100};
        ASSERT_EQ(QG1_Print(h.picture, &painter, &rect, 4), 0);
    }
    EXPECT_GT(DarkIn(again, again.rect()), 95 * 95);
}

TEST_F(Qg1Edges, OnlyRegularReadableFilesLoad)
{
    CHandles h;
    std::vector<std::string> paths = {dir.Path(), dir / "missing.tif"};
    const std::string fifo = dir / "pipe.tif";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    paths.push_back(fifo); // opening it for reading would block for ever
    paths.push_back("/dev/null");
    const std::string locked =
        dir.Write("locked.tif", BilevelTiff(8, 8, std::vector<std::uint8_t>(8, 0)));
    chmod(locked.c_str(), 0);
    if (geteuid() != 0) // the superuser reads it anyway
        paths.push_back(locked);
    for (const std::string& path : paths) {
        h.codes.clear();
        int kind = 0;
        EXPECT_EQ(QG1_GrObjLoad(h.instance, path.c_str(), &kind), nullptr) << path;
        EXPECT_EQ(h.codes, std::vector<int>{QG1_ERR_OPEN}) << path;
        EXPECT_STREQ(QG1_GetLastError(h.instance), "Cannot open specified file.") << path;
    }
}

TEST_F(Qg1Edges, MissingYResolutionTakesTheXResolution)
{
    // 600 x 300 pixels with an x resolution of 300 dpi and none for y: 50.8 by 25.4 mm.
    const std::string tiff = BilevelTiff(600, 300, std::vector<std::uint8_t>(75 * 300, 0), 1, 300);
    CHandles h;
    ASSERT_NE(h.Load(dir.Write("onlyx.tif", tiff)), nullptr);
    int x = 0, y = 0, w = 0, hgt = 0;
    ASSERT_EQ(QG1_GetPictExtent(h.picture, &x, &y, &w, &hgt, 2), 0);
    EXPECT_EQ(w, 50);
    EXPECT_EQ(hgt, 25);
}

TEST_F(Qg1Edges, StopAnsweredAtTheEndIsHonoured)
{
    CHandles h;
    const std::string path =
        dir.Write("white.tif", BilevelTiff(16, 16, std::vector<std::uint8_t>(32, 0)));
    QG1_SetProgressProc(
        h.instance, [](int percent, uintptr_t) { return percent == 100 ? 1 : 0; }, 0);
    int kind = 0;
    h.object = QG1_GrObjLoad(h.instance, path.c_str(), &kind);
    ASSERT_NE(h.object, nullptr);
    EXPECT_EQ(QG1_CreatePict(h.object), nullptr);
}

TEST_F(Qg1Edges, ErrorsKeepTheirDiagnosticsPerInstance)
{
    CHandles first;
    CHandles second;
    // An eight-bit TIFF is no raster picture and no CGM file either: the filter says why.
    const std::string deep =
        dir.Write("deep.tif", BilevelTiff(8, 8, std::vector<std::uint8_t>(64, 0), 8));
    testing::internal::CaptureStdout();
    EXPECT_EQ(first.Load(deep), nullptr);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_NE(printed.find("BEGIN METAFILE"), std::string::npos); // still printed
    ASSERT_EQ(first.codes.size(), 1u);
    EXPECT_EQ(first.texts[0].rfind(QG1_GetErrorMsg(first.codes[0]), 0), 0u) << first.texts[0];
    EXPECT_NE(first.texts[0].find("deep.tif: the file does not start with BEGIN METAFILE"),
              std::string::npos)
        << first.texts[0];
    EXPECT_EQ(first.texts[0], QG1_GetLastError(first.instance));

    // Another instance's failure and the shared message buffer leave it alone.
    EXPECT_EQ(second.Load(dir / "missing.cgm"), nullptr);
    QG1_GetErrorMsg(6);
    EXPECT_EQ(first.texts[0], QG1_GetLastError(first.instance));
    EXPECT_STREQ(QG1_GetLastError(second.instance), "Cannot open specified file.");

    // A success clears the text.
    ASSERT_NE(first.Load(dir.Write("full.cgm", kFullCgm)), nullptr);
    EXPECT_STREQ(QG1_GetLastError(first.instance), "Success");
}

// The shared library answers only its C interface to the dynamic linker.
TEST(Qg1Library, ExportsOnlyItsCInterface)
{
    const std::vector<std::string> symbols = ExportedSymbols(QG1API32_LIBRARY);
    if (symbols.empty())
        GTEST_SKIP() << "nm (binutils) is not installed";
    const std::vector<std::string> others = SymbolsWithout(symbols, "QG1_");
    EXPECT_GE(symbols.size() - others.size(), 20u);
    EXPECT_TRUE(others.empty()) << others.size() << " others, the first " << others.front();
}

} // namespace
