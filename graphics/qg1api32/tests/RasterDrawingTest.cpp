// Drawing bilevel images: grey reductions that keep thin strokes, sharp enlargements, only
// the exposed part, and one drawing path for windows and any other painter.

#include "PictureDrawer.h"
#include "TempDir.h"
#include "TiffWriter.h"
#include "qg1api32.h"

#include <QImage>
#include <QPainter>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

QImage Mono(int width, int height)
{
    QImage image(width, height, QImage::Format_Mono);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    image.fill(0);
    return image;
}

void Black(QImage& image, int x, int y)
{
    image.setPixel(x, y, 1);
}

QImage Canvas(int width, int height, QColor colour = Qt::white)
{
    QImage canvas(width, height, QImage::Format_RGB32);
    canvas.fill(colour);
    return canvas;
}

TEST(RasterDrawing, ReducedThinStrokesStayVisible)
{
    // One-pixel lines across a 1200 x 1200 image, shown at 100 x 100.
    QImage image = Mono(1200, 1200);
    for (int i = 0; i < 1200; ++i) {
        Black(image, 605, i);
        Black(image, i, 300);
    }
    for (CGreyCache* cache : {static_cast<CGreyCache*>(nullptr), new CGreyCache}) {
        QImage canvas = Canvas(100, 100);
        {
            QPainter painter(&canvas);
            CPictureDrawer::DrawRaster(painter, image, QRectF(0, 0, 100, 100), 0, QRect(), cache);
        }
        for (int k = 0; k < 100; ++k) {
            EXPECT_LT(qGray(canvas.pixel(50, k)), 200) << k; // the column holding x = 605
            EXPECT_LT(qGray(canvas.pixel(k, 25)), 200) << k;
        }
        EXPECT_EQ(qGray(canvas.pixel(10, 10)), 255);
        EXPECT_EQ(qGray(canvas.pixel(90, 90)), 255);
        if (cache) {
            EXPECT_EQ(cache->size, QSize(100, 100));
            delete cache;
        }
    }
}

TEST(RasterDrawing, BandsAndCellsAgreeWithTheWholeReduction)
{
    QImage image = Mono(517, 311);
    for (int y = 0; y < 311; ++y)
        for (int x = 0; x < 517; ++x)
            if ((x * 7 + y * 13) % 11 < 3 || x == y)
                Black(image, x, y);
    const QSize out(97, 60);
    const QImage whole = CPictureDrawer::ReduceToGrey(image, out, QRect(QPoint(0, 0), out));
    ASSERT_EQ(whole.size(), out);
    const QRect part(13, 7, 41, 29);
    const QImage piece = CPictureDrawer::ReduceToGrey(image, out, part);
    ASSERT_EQ(piece.size(), part.size());
    for (int y = 0; y < part.height(); ++y)
        for (int x = 0; x < part.width(); ++x)
            ASSERT_EQ(piece.pixelIndex(x, y), whole.pixelIndex(part.left() + x, part.top() + y))
                << x << "," << y;
    // Solid black and solid white cells are pure.
    QImage solid = Mono(64, 64);
    solid.fill(1);
    EXPECT_EQ(
        qGray(CPictureDrawer::ReduceToGrey(solid, QSize(8, 8), QRect(0, 0, 8, 8)).pixel(3, 3)), 0);
    EXPECT_TRUE(CPictureDrawer::ReduceToGrey(solid, QSize(65, 8), QRect(0, 0, 8, 8)).isNull());
}

TEST(RasterDrawing, EnlargedPixelsStaySharp)
{
    QImage image = Mono(10, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            if ((x + y) % 2)
                Black(image, x, y);
    QImage canvas = Canvas(80, 80);
    {
        QPainter painter(&canvas);
        CPictureDrawer::DrawRaster(painter, image, QRectF(0, 0, 80, 80), 0);
    }
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 80; ++x)
            ASSERT_EQ(qGray(canvas.pixel(x, y)), ((x / 8 + y / 8) % 2) ? 0 : 255) << x << "," << y;
}

TEST(RasterDrawing, OnlyTheExposedPartIsDrawn)
{
    QImage image = Mono(400, 400);
    image.fill(1);
    for (const double size : {100.0, 400.0, 1600.0}) {
        QImage canvas = Canvas(200, 200, Qt::gray);
        {
            QPainter painter(&canvas);
            CPictureDrawer::DrawRaster(painter, image, QRectF(0, 0, size, size), 0,
                                       QRect(20, 30, 50, 40));
        }
        const QRect drawn =
            QRect(20, 30, 50, 40) & QRect(0, 0, static_cast<int>(size), static_cast<int>(size));
        for (int y = 0; y < 200; y += 3)
            for (int x = 0; x < 200; x += 3)
                ASSERT_EQ(qGray(canvas.pixel(x, y)),
                          drawn.contains(x, y) ? 0 : qGray(QColor(Qt::gray).rgb()))
                    << size << ": " << x << "," << y;
    }
}

// A window's paint event and a painter of any device draw the same pixels.
TEST(RasterDrawing, WindowsAndOtherPaintersShareOneDrawing)
{
    TempDir dir;
    setenv("MB_CGMFILTER_OPTIONS", (dir / "options.ini").c_str(), 1);
    std::vector<std::uint8_t> rows(40 * 30, 0);
    for (std::size_t i = 0; i < rows.size(); i += 7)
        rows[i] = static_cast<std::uint8_t>(0x81 + i);
    QG1Instance* instance = QG1_Init("");
    int kind = 0;
    QG1GrObj* object =
        QG1_GrObjLoad(instance, dir.Write("in.tif", BilevelTiff(320, 30, rows)).c_str(), &kind);
    QG1Pict* picture = QG1_CreatePict(object);
    ASSERT_NE(picture, nullptr);

    for (const QSize size : {QSize(160, 15), QSize(640, 60)}) {
        struct Window : QWidget
        {
            QG1Pict* picture = nullptr;
            void paintEvent(QPaintEvent*) override
            {
                const QG1Rect rect{0, 0, width(), height()};
                QG1_View(picture, this, &rect, 4);
            }
        } window;
        window.picture = picture;
        window.resize(size);
        QImage shown = Canvas(size.width(), size.height());
        window.render(&shown);
        QImage rendered = Canvas(size.width(), size.height());
        {
            QPainter painter(&rendered);
            const QG1Rect rect{0, 0, size.width(), size.height()};
            EXPECT_EQ(QG1_Render(picture, &painter, &rect, 4), 0);
        }
        EXPECT_EQ(shown, rendered) << size.width();
    }
    const unsigned char* bits = nullptr;
    int width = 0, height = 0, stride = 0;
    ASSERT_EQ(QG1_GetRasterImage(picture, &bits, &width, &height, &stride), 0);
    EXPECT_EQ(width, 320);
    EXPECT_EQ(height, 30);
    for (int y = 0; y < 30; ++y)
        EXPECT_EQ(std::memcmp(bits + y * stride, rows.data() + y * 40, 40), 0) << y;
    EXPECT_EQ(QG1_GetRasterImage(picture, &bits, nullptr, &height, &stride), 4);
    QG1_DestroyPict(picture);
    QG1_GrObjUnload(object);
    QG1_Exit(instance);
}

} // namespace

namespace {

// Vector lines thinner than a device pixel are drawn one pixel wide and solid; their dashes
// stay a visible pattern; lines wider than a pixel keep their width.
TEST(VectorLines, ThinLinesStayOnePixelWideAndDark)
{
    QPicture picture;
    {
        QPainter recorder(&picture);
        recorder.setRenderHint(QPainter::Antialiasing);
        QPen thin(Qt::black, 0.5);
        recorder.setPen(thin);
        recorder.drawLine(QPointF(0, 100.5), QPointF(1000, 100.5));
        thin.setStyle(Qt::DashLine);
        recorder.setPen(thin);
        recorder.drawLine(QPointF(0, 500.5), QPointF(1000, 500.5));
        recorder.setPen(QPen(Qt::black, 40));
        recorder.drawLine(QPointF(0, 800), QPointF(1000, 800));
    }
    // Drawn at a tenth: the thin lines are 0.05 pixels wide.
    QImage canvas(100, 100, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        painter.setRenderHint(QPainter::Antialiasing);
        CPictureDrawer::DrawVector(painter, picture, QRectF(0, 0, 1000, 1000),
                                   QRectF(0, 0, 100, 100), 0);
    }
    auto darkest = [&](int x, int y0, int y1) {
        int value = 255;
        for (int y = y0; y <= y1; ++y)
            value = std::min(value, qGray(canvas.pixel(x, y)));
        return value;
    };
    int solid = 0, dashDark = 0, dashLight = 0;
    for (int x = 2; x < 98; ++x) {
        solid += darkest(x, 9, 11) < 80;
        const int dash = darkest(x, 49, 51);
        dashDark += dash < 80;
        dashLight += dash > 200;
    }
    EXPECT_GE(solid, 94);
    EXPECT_GT(dashDark, 40);
    EXPECT_GT(dashLight, 15);
    // The wide line stays four pixels wide.
    int wide = 0;
    for (int y = 70; y < 90; ++y)
        wide += qGray(canvas.pixel(50, y)) < 128;
    EXPECT_GE(wide, 3);
    EXPECT_LE(wide, 5);
}

} // namespace
