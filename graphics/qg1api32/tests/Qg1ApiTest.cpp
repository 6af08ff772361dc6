// The graphics conversion library through its C interface: errors, loading, pictures,
// extents, drawing flags and drawing.

#include "PictureDrawer.h"
#include "TempDir.h"
#include "TiffWriter.h"
#include "qg1api32.h"

#include <QImage>
#include <QPainter>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

// 16 x 8: the left half black, the right half white.
std::vector<std::uint8_t> HalfBlack()
{
    std::vector<std::uint8_t> rows;
    for (int y = 0; y < 8; ++y) {
        rows.push_back(0xFF);
        rows.push_back(0x00);
    }
    return rows;
}

class Qg1Test : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setenv("MB_CGMFILTER_OPTIONS", (dir / "options.ini").c_str(), 1);
        instance = QG1_Init("");
        ASSERT_NE(instance, nullptr);
        QG1_SetErrorProc(instance, &Qg1Test::OnError, reinterpret_cast<uintptr_t>(this));
    }
    void TearDown() override
    {
        QG1_DestroyPict(picture);
        QG1_GrObjUnload(object);
        QG1_Exit(instance);
    }
    static void OnError(int code, const char* text, uintptr_t user)
    {
        auto* self = reinterpret_cast<Qg1Test*>(user);
        self->errors.push_back(code);
        self->texts.push_back(text);
    }
    QG1Pict* LoadPicture(const std::string& path, int askedKind = 0)
    {
        kind = askedKind;
        object = QG1_GrObjLoad(instance, path.c_str(), &kind);
        picture = object ? QG1_CreatePict(object) : nullptr;
        return picture;
    }

    TempDir dir;
    QG1Instance* instance = nullptr;
    QG1GrObj* object = nullptr;
    QG1Pict* picture = nullptr;
    int kind = 0;
    std::vector<int> errors;
    std::vector<std::string> texts;
};

TEST(Qg1Errors, EveryCodeHasItsText)
{
    const std::pair<int, const char*> texts[] = {
        {0, "Success"},
        {1, "Not enough memory to complete this operation."},
        {2, "Cannot open specified file."},
        {3, "Unsupported file type."},
        {4, "Bad argument (value out of range or invalid)."},
        {5, "An error occurred during the translation of the file."},
        {6, "Can not access import options."},
        {100, "This request is not supported."},
        {7, "Invalid error code: 7"},
        {-3, "Invalid error code: -3"},
    };
    for (const auto& [code, text] : texts)
        EXPECT_STREQ(QG1_GetErrorMsg(code), text) << code;
    EXPECT_STREQ(QG1_Version(), "qg1api32 1.04d6");
}

TEST(Qg1Errors, MissingHandlesAnswerBadArgument)
{
    EXPECT_EQ(QG1_SetErrorProc(nullptr, nullptr, 0), 4);
    EXPECT_EQ(QG1_SetProgressProc(nullptr, nullptr, 0), 4);
    EXPECT_EQ(QG1_ShowOptions(nullptr), 4);
    EXPECT_EQ(QG1_SaveOptions(nullptr), 4);
    EXPECT_EQ(QG1_GetOption(nullptr, 0, 0, 0), 4);
    EXPECT_EQ(QG1_SetOption(nullptr, 0, 0), 4);
    EXPECT_EQ(QG1_GrObjLoad(nullptr, "x", nullptr), nullptr);
    EXPECT_EQ(QG1_GetGrObjInfo(nullptr, 0, 0, 0), 4);
    EXPECT_EQ(QG1_CreatePict(nullptr), nullptr);
    EXPECT_EQ(QG1_ReTranslate(nullptr), 4);
    EXPECT_EQ(QG1_View(nullptr, nullptr, nullptr, 0), 4);
    EXPECT_EQ(QG1_Print(nullptr, nullptr, nullptr, 0), 4);
    int v = 0;
    EXPECT_EQ(QG1_GetPictExtent(nullptr, &v, &v, &v, &v, 0), 4);
    EXPECT_EQ(QG1_GetPictInfo(nullptr, -101, nullptr, 22), 4);
    EXPECT_STREQ(QG1_GetLastError(nullptr), "Bad argument (value out of range or invalid).");
}

TEST(Qg1Flags, LowestScalingBitCounts)
{
    EXPECT_EQ(ScalingModeOf(12), 0);
    EXPECT_EQ(ScalingModeOf(8), 1);
    EXPECT_EQ(ScalingModeOf(16 | 32), 2);
    EXPECT_EQ(ScalingModeOf(32 | 2 | 1), 3);
    EXPECT_EQ(ScalingModeOf(3), -1);
}

TEST_F(Qg1Test, LoadingFailuresAreReportedThroughTheErrorProcedure)
{
    EXPECT_EQ(QG1_GrObjLoad(instance, nullptr, &kind), nullptr);
    EXPECT_EQ(QG1_GrObjLoad(instance, (dir / "missing.tif").c_str(), &kind), nullptr);
    EXPECT_EQ(errors, (std::vector<int>{4, 2}));
    EXPECT_EQ(texts.back(), "Cannot open specified file.");
    EXPECT_STREQ(QG1_GetLastError(instance), "Cannot open specified file.");
}

TEST_F(Qg1Test, BilevelTiffBecomesARasterPicture)
{
    const std::string path = dir.Write("half.tif", BilevelTiff(16, 8, HalfBlack(), 1, 300));
    ASSERT_NE(LoadPicture(path), nullptr);
    EXPECT_EQ(kind, QG1_KIND_RASTER);
    int x = -1, y = -1, w = 0, h = 0;
    ASSERT_EQ(QG1_GetPictExtent(picture, &x, &y, &w, &h, 0), 0);
    EXPECT_EQ(std::vector<int>({x, y, w, h}), std::vector<int>({0, 0, 16, 8}));
    // 16 pixels at 300 dpi: 1.35 mm, cut to 1.
    ASSERT_EQ(QG1_GetPictExtent(picture, &x, &y, &w, &h, 2), 0);
    EXPECT_EQ(w, 1);
    EXPECT_EQ(QG1_GetPictExtent(picture, &x, &y, &w, &h, 1), 4);
    EXPECT_EQ(QG1_GetPictInfo(picture, -101, nullptr, 22), 100);
    std::uint32_t pages = 0;
    EXPECT_EQ(QG1_GetPictInfo(picture, -100, &pages, 4), 0);
    EXPECT_EQ(pages, 1u);
    EXPECT_EQ(QG1_GetPictInfo(picture, -100, &pages, 2), 4);

    QImage canvas(32, 16, QImage::Format_RGB32);
    canvas.fill(Qt::gray);
    QPainter painter(&canvas);
    const QG1Rect rect{0, 0, 32, 16};
    EXPECT_EQ(QG1_Print(picture, &painter, &rect, 4), 100);
}

TEST_F(Qg1Test, RasterPictureIsDrawnInAWindow)
{
    const std::string path = dir.Write("half.tif", BilevelTiff(16, 8, HalfBlack()));
    ASSERT_NE(LoadPicture(path), nullptr);
    struct Window : QWidget
    {
        QG1Pict* picture = nullptr;
        int result = -1;
        void paintEvent(QPaintEvent*) override
        {
            const QG1Rect rect{width(), height(), 0, 0}; // corners in any order
            result = QG1_View(picture, this, &rect, 4);
        }
    } window;
    window.picture = picture;
    window.resize(32, 16);
    QImage image(32, 16, QImage::Format_RGB32);
    image.fill(Qt::gray);
    window.render(&image);
    EXPECT_EQ(window.result, 0);
    EXPECT_EQ(image.pixel(4, 8), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(28, 8), qRgb(255, 255, 255));

    // Outside its paint event a window cannot be drawn into.
    const QG1Rect rect{0, 0, 32, 16};
    EXPECT_NE(QG1_View(picture, &window, &rect, 4), 0);
    EXPECT_EQ(QG1_View(picture, nullptr, &rect, 4), 4);
}

TEST_F(Qg1Test, ProgressProcedureCanStopDecoding)
{
    const std::string path = dir.Write("half.tif", BilevelTiff(16, 8, HalfBlack()));
    std::vector<int> seen;
    auto record = [](int percent, uintptr_t user) {
        reinterpret_cast<std::vector<int>*>(user)->push_back(percent);
        return 0;
    };
    QG1_SetProgressProc(instance, record, reinterpret_cast<uintptr_t>(&seen));
    ASSERT_NE(LoadPicture(path), nullptr);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), 0);
    EXPECT_EQ(seen.back(), 100);

    QG1_SetProgressProc(instance, [](int, uintptr_t) { return 1; }, 0);
    QG1Pict* stopped = QG1_CreatePict(object);
    EXPECT_EQ(stopped, nullptr);
}

TEST_F(Qg1Test, VectorKindNeverTriesTheTiffReader)
{
    const std::string path = dir.Write("half.tif", BilevelTiff(16, 8, HalfBlack()));
    EXPECT_EQ(LoadPicture(path, QG1_KIND_VECTOR), nullptr); // no CGM: translation fails
    EXPECT_EQ(kind, QG1_KIND_VECTOR);
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors.back(), 5);
}

TEST_F(Qg1Test, EightBitTiffIsTakenForAVectorFile)
{
    std::vector<std::uint8_t> gray(16 * 8, 0x80);
    const std::string path = dir.Write("gray.tif", BilevelTiff(16, 8, gray, 8));
    object = QG1_GrObjLoad(instance, path.c_str(), &kind);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(kind, QG1_KIND_VECTOR);
}

// A clear-text CGM with one filled rectangle.
const char kRectangleCgm[] = "BEGMF 'test';\n"
                             "MFVERSION 1;\n"
                             "MFELEMLIST 'DRAWINGPLUS';\n"
                             "BEGPIC 'one';\n"
                             "VDCEXT (0,0) (100,50);\n"
                             "BEGPICBODY;\n"
                             "INTSTYLE SOLID;\n"
                             "FILLCOLR 1;\n"
                             "RECT (10,10) (40,40);\n"
                             "ENDPIC;\n"
                             "ENDMF;\n";

TEST_F(Qg1Test, CgmBecomesAVectorPictureAndPrints)
{
    const std::string path = dir.Write("rect.cgm", kRectangleCgm);
    ASSERT_NE(LoadPicture(path), nullptr) << (texts.empty() ? "" : texts.back());
    EXPECT_EQ(kind, QG1_KIND_VECTOR);
    int x = 0, y = 0, w = 0, h = 0;
    ASSERT_EQ(QG1_GetPictExtent(picture, &x, &y, &w, &h, 0), 0);
    EXPECT_GT(w, 0);
    EXPECT_GT(h, 0);

    QImage image(200, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const QG1Rect rect{0, 0, 200, 100};
    EXPECT_EQ(QG1_Print(picture, &painter, &rect, 4 | 2), 0);
    painter.end();
    int dark = 0;
    for (int py = 0; py < image.height(); ++py) {
        for (int px = 0; px < image.width(); ++px)
            dark += qGray(image.pixel(px, py)) < 128;
    }
    EXPECT_GT(dark, 100);

    unsigned char info[22] = {};
    EXPECT_EQ(QG1_GetPictInfo(picture, -101, info, 22), 0);
    EXPECT_EQ(QG1_GetPictInfo(picture, -101, info, 21), 4);
    EXPECT_EQ(QG1_GetPictInfo(picture, -7, info, 22), 100);
}

} // namespace

namespace {

TEST_F(Qg1Test, SaveOptionsWritesUnderTheKeysOptionsAndANewInstanceReadsThem)
{
    EXPECT_EQ(QG1_SaveOptions(instance), 0);
    const std::string text = TempDir::Read(dir / "options.ini");
    EXPECT_NE(text.find("[Software\\Microsoft\\Shared Tools\\Graphics Filters\\Import\\CGM\\Options]"),
              std::string::npos)
        << text;
    for (const char* line : {"SimulateText=False", "SaveOptions=On", "MapColors=True", "Picture=0",
                             "FontMapPath="})
        EXPECT_NE(text.find(line), std::string::npos) << line;

    // Another key of its own, with the values a user changed in the file.
    const std::string custom = "[Custom\\Key\\Options]\nSimulateText=True\nPicture=1\n";
    dir.Write("options.ini", custom);
    QG1Instance* other = QG1_Init("Custom\\Key");
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(QG1_SaveOptions(other), 0);
    const std::string saved = TempDir::Read(dir / "options.ini");
    EXPECT_NE(saved.find("SimulateText=True"), std::string::npos) << saved;
    EXPECT_NE(saved.find("Picture=1"), std::string::npos) << saved;
    QG1_Exit(other);
}

} // namespace
