// The graphics window library through its exports, in a headless host window: callbacks on
// clicks and drags, hot-spot look-ups, zoom and coordinate mappings, highlights, printing.

#include "GraphicView.h"
#include "ExportedSymbols.h"
#include "TempDir.h"
#include "TiffWriter.h"
#include "qg2s_api.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

// A 200 x 100 picture with a filled square and three hot spots: "Box" (a rectangle region,
// 20..80), "Wedge" (a polygon, 60..120, overlapping Box) and "Broken" without a region. A
// structure of another type is no hot spot.
const char kHotSpotCgm[] = "BEGMF 'hot spots';\n"
                           "MFVERSION 1;\n"
                           "MFELEMLIST 'DRAWINGPLUS';\n"
                           "BEGPIC 'one';\n"
                           "VDCEXT (0,0) (200,100);\n"
                           "BEGPICBODY;\n"
                           "INTSTYLE SOLID;\n"
                           "FILLCOLR 1;\n"
                           "RECT (20,20) (80,80);\n"
                           "BEGAPS 'box' 'grobject' STLIST;\n"
                           "APSATTR 'name' \"14 1 'Box'\";\n"
                           "APSATTR 'linkuri' \"14 1 'manual.sgml#box'\";\n"
                           "APSATTR 'region' \"5 1 1 16 4 20 20 80 80\";\n"
                           "BEGAPSBODY;\n"
                           "ENDAPS;\n"
                           "BEGAPS 'wedge' 'grobject' STLIST;\n"
                           "APSATTR 'name' \"14 1 'Wedge'\";\n"
                           "APSATTR 'linkuri' \"14 1 'manual.sgml#wedge'\";\n"
                           "APSATTR 'region' \"5 1 3 16 8 60 20 120 20 120 80 60 80\";\n"
                           "BEGAPSBODY;\n"
                           "ENDAPS;\n"
                           "BEGAPS 'broken' 'grobject' STLIST;\n"
                           "APSATTR 'name' \"14 1 'Broken'\";\n"
                           "BEGAPSBODY;\n"
                           "ENDAPS;\n"
                           "BEGAPS 'layer' 'layer' STLIST;\n"
                           "APSATTR 'region' \"5 1 1 16 4 0 0 200 100\";\n"
                           "BEGAPSBODY;\n"
                           "ENDAPS;\n"
                           "ENDPIC;\n"
                           "ENDMF;\n";

// Positions relative to the picture (H): inside both Box and Wedge, in Wedge only, in none.
const QPointF kOverlap(0.35, 0.5);
const QPointF kWedgeOnly(0.5, 0.5);
const QPointF kOutside(0.85, 0.5);

struct CCall
{
    int type = 0;
    void* graphic = nullptr;
    int x = 0, y = 0, x2 = 0, y2 = 0;
    std::string link;
    QG2SHotSpot* hotSpot = nullptr;
};

class Qg2sTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setenv("MB_CGMFILTER_OPTIONS", (dir / "options.ini").c_str(), 1);
        host.resize(400, 300);
        host.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
        graphic = NewGraphic();
        ASSERT_NE(graphic, nullptr);
        view = host.findChild<CGraphicView*>(QStringLiteral("QG2S_GraphicClient"));
        ASSERT_NE(view, nullptr);
        ASSERT_EQ(QG2S_mapGraphic(graphic), 0);
    }
    void TearDown() override
    {
        if (graphic)
            QG2S_destroyGraphic(graphic);
        CGraphicView::SetPrintDialogHook({});
        CGraphicView::SetMenuHook({});
    }

    QG2SGraphic* NewGraphic()
    {
        const QG2SWindowRecord record{&host, 0};
        return QG2S_newGraphicFromGUI(0, &record, 0);
    }

    template <int Type>
    static int Record(void* g, uintptr_t user, uintptr_t a, uintptr_t b, uintptr_t c, uintptr_t d)
    {
        auto* self = reinterpret_cast<Qg2sTest*>(user);
        CCall call;
        call.type = Type;
        call.graphic = g;
        if (Type == 2 || Type == 3 || Type == 4) {
            call.x = *reinterpret_cast<int*>(a);
            call.y = *reinterpret_cast<int*>(b);
        }
        if (Type == 3) {
            call.link = reinterpret_cast<const char*>(c);
            call.hotSpot = reinterpret_cast<QG2SHotSpot*>(d);
        }
        if (Type == 4) {
            call.x2 = *reinterpret_cast<int*>(c);
            call.y2 = *reinterpret_cast<int*>(d);
        }
        self->calls.push_back(call);
        if (Type != 1 && self->destroyInCallback) {
            QG2S_destroyGraphic(static_cast<QG2SGraphic*>(g));
            self->graphic = nullptr;
        }
        return 0;
    }
    void Listen()
    {
        const auto user = reinterpret_cast<uintptr_t>(this);
        QG2S_addGraphicCallback(graphic, 1, &Record<1>, user);
        QG2S_addGraphicCallback(graphic, 2, &Record<2>, user);
        QG2S_addGraphicCallback(graphic, 3, &Record<3>, user);
        QG2S_addGraphicCallback(graphic, 4, &Record<4>, user);
    }

    bool LoadCgm()
    {
        return QG2S_loadGraphicFile(graphic, dir.Write("hot.cgm", kHotSpotCgm).c_str()) == 0;
    }
    bool LoadTiff()
    {
        std::vector<std::uint8_t> rows; // 16 x 8, the left half black
        for (int y = 0; y < 8; ++y)
            rows.insert(rows.end(), {0xFF, 0x00});
        return QG2S_loadGraphicFile(graphic,
                                    dir.Write("half.tif", BilevelTiff(16, 8, rows)).c_str()) == 0;
    }

    QWidget* Port() const { return view->viewport(); }
    QPoint GtoW(const QPointF& g) const
    {
        int x = 0, y = 0;
        EXPECT_EQ(QG2S_graphicCoordTransformGtoW(graphic, g.x(), g.y(), &x, &y), 0);
        return QPoint(x, y);
    }
    QPointF HtoG(const QPointF& h) const
    {
        double x = 0, y = 0;
        EXPECT_EQ(QG2S_graphicCoordTransformHtoG(graphic, h.x(), h.y(), &x, &y), 0);
        return QPointF(x, y);
    }
    QPoint HtoW(const QPointF& h) const { return GtoW(HtoG(h)); }
    // Window pixels per picture unit, measured through the exported mapping.
    double Scale() const { return (GtoW(QPointF(100, 0)).x() - GtoW(QPointF(0, 0)).x()) / 100.0; }
    QRectF Visible() const
    {
        double l = 0, t = 0, r = 0, b = 0;
        EXPECT_EQ(QG2S_graphicVisibleGraphicExtents(graphic, &l, &t, &r, &b), 0);
        return QRectF(QPointF(l, t), QPointF(r, b));
    }
    QG2SHotSpot* Named(const char* name) const
    {
        QG2SHotSpot* spot = nullptr;
        QG2S_findHotSpot(graphic, 0, reinterpret_cast<uintptr_t>(name), 1, 0, &spot);
        return spot;
    }
    QImage Grab() const { return Port()->grab().toImage(); }

    TempDir dir;
    QWidget host;
    QG2SGraphic* graphic = nullptr;
    CGraphicView* view = nullptr;
    std::vector<CCall> calls;
    bool destroyInCallback = false;
};

int DarkPixels(const QImage& image, const QRect& area)
{
    int dark = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            dark += qGray(image.pixel(x, y)) < 96;
    }
    return dark;
}

// ---------------------------------------------------------------------------------------
// The record and its window

TEST_F(Qg2sTest, ViewIsANamedChildOfTheHostWindow)
{
    EXPECT_EQ(view->parentWidget(), &host);
    EXPECT_EQ(view->windowTitle(), QStringLiteral("QG2S_GraphicClient"));
    EXPECT_EQ(view->property("windowClass").toString(), QStringLiteral("QG2S_GraphicClientClass"));
    EXPECT_EQ(view->property("childId").toInt(), 999);
    EXPECT_TRUE(view->isVisible());

    const QG2SGuiRecord* record = QG2S_inqGraphicGUI(graphic);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->view, view);
    EXPECT_EQ(record->reserved0 | record->reserved2 | record->reserved3 | record->reserved4, 0u);
    EXPECT_EQ(QG2S_inqGraphicGUI(graphic), record); // one static record
    EXPECT_EQ(QG2S_inqGraphicGUI(nullptr), nullptr);

    EXPECT_EQ(QG2S_unmapGraphic(graphic), 0);
    EXPECT_FALSE(view->isVisible());
    EXPECT_EQ(view->StatusText(), QStringLiteral("Waiting..."));
}

TEST(Qg2sApi, NewGraphicNeedsAParentWindow)
{
    const QG2SWindowRecord noParent{nullptr, 0};
    EXPECT_EQ(QG2S_newGraphicFromGUI(0, nullptr, 0), nullptr);
    EXPECT_EQ(QG2S_newGraphicFromGUI(0, &noParent, 0), nullptr);
}

// The host deletes the parent window, and the view with it: the record stays until it is
// destroyed, but nothing that needs the view answers or stores anything.
TEST(Qg2sApi, AfterTheParentWindowIsGoneExportsRefuse)
{
    auto* host = new QWidget;
    const QG2SWindowRecord record{host, 0};
    QG2SGraphic* graphic = QG2S_newGraphicFromGUI(0, &record, 0);
    ASSERT_NE(graphic, nullptr);
    QG2SCallback proc = [](void*, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t) { return 0; };
    ASSERT_EQ(QG2S_addGraphicCallback(graphic, QG2S_CB_CLICK, proc, 7), 0);
    delete host;

    EXPECT_EQ(QG2S_addGraphicCallback(graphic, QG2S_CB_HOTSPOT, proc, 8), -1);
    QG2SCallback stored = nullptr;
    uintptr_t user = 0;
    EXPECT_EQ(QG2S_inqGraphicCallback(graphic, QG2S_CB_HOTSPOT, &stored, &user), -1);
    EXPECT_EQ(stored, nullptr);
    EXPECT_EQ(QG2S_setDefaultGraphicGeometry(graphic, 10, 20), -1);
    EXPECT_EQ(QG2S_loadGraphicFile(graphic, "x.cgm"), -1);
    EXPECT_EQ(QG2S_mapGraphic(graphic), -1);
    EXPECT_EQ(QG2S_inqGraphicGUI(graphic), nullptr);
    QG2SHotSpot* spot = nullptr;
    EXPECT_EQ(QG2S_getHotSpot(graphic, 1, &spot), -1);
    EXPECT_EQ(QG2S_highlightHotSpot(graphic, 3, nullptr), -1);
    EXPECT_EQ(QG2S_printGraphic(graphic, nullptr, nullptr, 0), -1);
    EXPECT_EQ(QG2S_destroyGraphic(graphic), 0);
}

TEST(Qg2sApi, LibraryExportsOnlyItsCInterface)
{
    const std::vector<std::string> symbols = ExportedSymbols(QG2S_API_LIBRARY);
    if (symbols.empty())
        GTEST_SKIP() << "nm (binutils) is not installed";
    const std::vector<std::string> others = SymbolsWithout(symbols, "QG2S_");
    EXPECT_GE(symbols.size() - others.size(), 25u);
    EXPECT_TRUE(others.empty()) << others.size() << " others, the first " << others.front();
}

TEST_F(Qg2sTest, CallbacksOnlyForTypesOneToFour)
{
    const auto user = reinterpret_cast<uintptr_t>(this);
    for (int type : {0, 5, -1, 100}) {
        EXPECT_EQ(QG2S_addGraphicCallback(graphic, type, &Record<2>, user), -1) << type;
        QG2SCallback proc = nullptr;
        uintptr_t word = 0;
        EXPECT_EQ(QG2S_inqGraphicCallback(graphic, type, &proc, &word), -1) << type;
    }
    for (int type = 1; type <= 4; ++type) {
        EXPECT_EQ(QG2S_addGraphicCallback(graphic, type, &Record<2>, user + type), 0);
        QG2SCallback proc = nullptr;
        uintptr_t word = 0;
        EXPECT_EQ(QG2S_inqGraphicCallback(graphic, type, &proc, &word), 0);
        EXPECT_EQ(proc, &Record<2>);
        EXPECT_EQ(word, user + type);
        QG2S_addGraphicCallback(graphic, type, nullptr, 0);
    }
    EXPECT_EQ(QG2S_inqGraphicCallback(graphic, 1, nullptr, nullptr), -1);
}

TEST_F(Qg2sTest, WithoutAPictureOrSupportExportsRefuse)
{
    int i = 0;
    double d = 0;
    const std::vector<std::function<int()>> exports = {
        [] { return QG2S_destroyGraphic(nullptr); },
        [] { return QG2S_mapGraphic(nullptr); },
        [&] { return QG2S_graphicCoordTransformGtoW(graphic, 1, 1, &i, &i); }, // nothing loaded
        [&] { return QG2S_graphicCoordTransformWtoG(graphic, 1, 1, &d, &d); },
        [this] { return QG2S_graphicZoom(graphic, 2); },
        [this] { return QG2S_printGraphic(graphic, nullptr, nullptr, 0); },
        [this] { return QG2S_removeGraphicScrollbars(graphic); }, // never supported
        [this] { return QG2S_lowerGraphic(graphic); },
        [this] { return QG2S_raiseGraphic(graphic); },
    };
    for (std::size_t k = 0; k < exports.size(); ++k)
        EXPECT_EQ(exports[k](), -1) << "export #" << k;
}

TEST_F(Qg2sTest, LoadingAnswersByCause)
{
    const std::string garbage = dir.Write("garbage.cgm", "this is neither CGM nor TIFF");
    const struct
    {
        const char* path;
        int expected;
    } cases[] = {
        {"", -1}, {nullptr, -1}, {"/no/such/folder/picture.cgm", -2}, {garbage.c_str(), -2}};
    for (const auto& c : cases)
        EXPECT_EQ(QG2S_loadGraphicFile(graphic, c.path), c.expected)
            << (c.path ? c.path : "(null)");
    EXPECT_EQ(view->StatusText(), QStringLiteral("Import failed!"));

    ASSERT_TRUE(LoadCgm());
    EXPECT_TRUE(view->StatusText().isEmpty());
    // An empty path changes nothing.
    EXPECT_EQ(QG2S_loadGraphicFile(graphic, ""), -1);
    EXPECT_NE(Named("Box"), nullptr);
}

TEST_F(Qg2sTest, TiffIsShownAndPrinted)
{
    ASSERT_TRUE(LoadTiff());
    int l = -1, t = -1, r = -1, b = -1;
    ASSERT_EQ(QG2S_graphicOverallGraphicExtents(graphic, &l, &t, &r, &b), 0);
    EXPECT_EQ(QRect(QPoint(l, t), QPoint(r, b)), QRect(QPoint(0, 0), QPoint(16, 8)));
    QG2SHotSpot* spot = nullptr;
    EXPECT_EQ(QG2S_getHotSpot(graphic, 1, &spot), -1);

    // On screen: the left half of the picture is black.
    const QImage shown = Grab();
    EXPECT_LT(qGray(shown.pixel(HtoW(QPointF(0.25, 0.5)))), 96);
    EXPECT_GT(qGray(shown.pixel(HtoW(QPointF(0.75, 0.5)))), 160);

    // The library cannot print images itself; they still reach the printer's painter.
    QImage page(160, 80, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    const QG2SPrinterRecord printer{&painter};
    const QG2SRect rect{0, 0, 160, 80};
    EXPECT_EQ(QG2S_printGraphic(graphic, &printer, &rect, 0), 0);
    painter.end();
    EXPECT_EQ(DarkPixels(page, QRect(0, 0, 80, 80)), 80 * 80);
    EXPECT_EQ(DarkPixels(page, QRect(80, 0, 80, 80)), 0);
}

// ---------------------------------------------------------------------------------------
// Hot spots

TEST_F(Qg2sTest, HotSpotsComeFromGraphicObjectStructures)
{
    ASSERT_TRUE(LoadCgm());
    EXPECT_EQ(view->Document()->SkippedHotSpots(), 1); // "Broken" has no region

    std::vector<std::string> names;
    QG2SHotSpot* spot = nullptr;
    for (int result = QG2S_getHotSpot(graphic, 1, &spot); result == 0;
         result = QG2S_getHotSpot(graphic, 2, &spot)) {
        char name[32] = {};
        int size = sizeof name;
        ASSERT_EQ(QG2S_getHotSpotInfo(graphic, spot, 1, 0, name, &size), 0);
        names.push_back(name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Box", "Wedge"}));
    // Starting again needs an empty record.
    EXPECT_EQ(QG2S_getHotSpot(graphic, 1, &spot), -1);
    EXPECT_EQ(QG2S_getHotSpot(graphic, 7, &spot), -1);

    // The rectangle, in picture coordinates, covers the region.
    int32_t rect[4] = {};
    int size = 16;
    ASSERT_EQ(QG2S_getHotSpotInfo(graphic, Named("Box"), 2, 0, rect, &size), 0);
    const QPointF a = HtoG(QPointF(0.1, 0.2)), b = HtoG(QPointF(0.4, 0.8));
    EXPECT_NEAR(rect[0], std::min(a.x(), b.x()), 1.0);
    EXPECT_NEAR(rect[2], std::max(a.x(), b.x()), 1.0);
    EXPECT_NEAR(rect[1], std::min(a.y(), b.y()), 1.0);
    EXPECT_NEAR(rect[3], std::max(a.y(), b.y()), 1.0);
}

TEST_F(Qg2sTest, WalkPositionIsSharedByAllGraphics)
{
    ASSERT_TRUE(LoadCgm());
    QG2SGraphic* other = NewGraphic();
    ASSERT_NE(other, nullptr);
    ASSERT_EQ(QG2S_loadGraphicFile(other, (dir / "hot.cgm").c_str()), 0);

    QG2SHotSpot* first = nullptr;
    QG2SHotSpot* next = nullptr;
    ASSERT_EQ(QG2S_getHotSpot(graphic, 1, &first), 0);
    ASSERT_EQ(QG2S_getHotSpot(other, 2, &next), 0); // continues after the first entry
    char name[16] = {};
    int size = sizeof name;
    ASSERT_EQ(QG2S_getHotSpotInfo(other, next, 1, 0, name, &size), 0);
    EXPECT_STREQ(name, "Wedge");
    // A hot spot of one graphic is no hot spot of the other.
    EXPECT_EQ(QG2S_getHotSpotInfo(graphic, next, 1, 0, name, &size), -1);
    EXPECT_EQ(QG2S_highlightHotSpot(graphic, 1, next), -1);
    QG2S_destroyGraphic(other);
}

TEST_F(Qg2sTest, FindHotSpotByNameLinkAndLinkCount)
{
    ASSERT_TRUE(LoadCgm());
    const std::string wedgeLink = "manual.sgml#wedge";
    const struct
    {
        uintptr_t key;
        int mode, index;
        const char* expected; // nullptr: not found
    } cases[] = {
        {reinterpret_cast<uintptr_t>("Wedge"), 1, 0, "Wedge"},
        {reinterpret_cast<uintptr_t>("wedge"), 1, 0, nullptr}, // names compare exactly
        {reinterpret_cast<uintptr_t>(wedgeLink.c_str()), 3, 1, "Wedge"},
        {reinterpret_cast<uintptr_t>(wedgeLink.c_str()), 3, 2, nullptr}, // only one link
        {1, 4, 0, "Box"},                                                // first with one link
        {2, 4, 0, nullptr},
        {reinterpret_cast<uintptr_t>("Box"), 2, 0, nullptr}, // no such mode
        {0, 1, 0, nullptr},
    };
    for (const auto& c : cases) {
        QG2SHotSpot* spot = reinterpret_cast<QG2SHotSpot*>(this);
        const int result = QG2S_findHotSpot(graphic, 0, c.key, c.mode, c.index, &spot);
        EXPECT_EQ(result, c.expected ? 0 : -1) << "mode " << c.mode;
        EXPECT_EQ(spot, c.expected ? Named(c.expected) : nullptr) << "mode " << c.mode;
    }
}

TEST_F(Qg2sTest, HotSpotInfoSizesAndCopies)
{
    ASSERT_TRUE(LoadCgm());
    QG2SHotSpot* box = Named("Box");
    ASSERT_NE(box, nullptr);
    const struct
    {
        int kind, index, needed;
    } sizes[] = {{1, 0, 4}, {2, 0, 16}, {3, 1, 16}, {4, 0, 4}};
    for (const auto& c : sizes) {
        int size = -7;
        EXPECT_EQ(QG2S_getHotSpotInfo(graphic, box, c.kind, c.index, nullptr, &size), 0) << c.kind;
        EXPECT_EQ(size, c.needed) << c.kind;
    }
    int size = 0;
    EXPECT_EQ(QG2S_getHotSpotInfo(graphic, box, 3, 2, nullptr, &size), -1); // beyond the link count
    EXPECT_EQ(QG2S_getHotSpotInfo(graphic, box, 3, 0, nullptr, &size), -1);
    EXPECT_EQ(QG2S_getHotSpotInfo(graphic, box, 9, 0, nullptr, &size), -1);

    int32_t count = -1;
    size = 4;
    EXPECT_EQ(QG2S_getHotSpotInfo(graphic, box, 4, 0, &count, &size), 0);
    EXPECT_EQ(count, 1);
    size = 8;
    EXPECT_EQ(QG2S_getHotSpotInfo(graphic, box, 4, 0, &count, &size), -1);
    int32_t rect[4];
    size = 12;
    EXPECT_EQ(QG2S_getHotSpotInfo(graphic, box, 2, 0, rect, &size), -1);

    // Texts are cut to the buffer and always end.
    char text[8];
    std::memset(text, 'x', sizeof text);
    size = 7;
    EXPECT_EQ(QG2S_getHotSpotInfo(graphic, box, 3, 1, text, &size), 0);
    EXPECT_STREQ(text, "manual");
    EXPECT_EQ(text[7], 'x');
    size = 0;
    EXPECT_EQ(QG2S_getHotSpotInfo(graphic, box, 1, 0, text, &size), -1);
}

TEST_F(Qg2sTest, HighlightStatesPaintDistinctly)
{
    ASSERT_TRUE(LoadCgm());
    QG2SHotSpot* box = Named("Box");
    const QPoint inWedge = HtoW(kWedgeOnly);
    const QPoint inBox = HtoW(QPointF(0.25, 0.5)); // in Box only, on the black square
    auto colours = [&] {
        const QImage image = Grab();
        return std::pair(image.pixel(inBox), image.pixel(inWedge));
    };
    const auto plain = colours();
    std::vector<QRgb> boxColours{plain.first};
    for (int state : {1, 2}) {
        ASSERT_EQ(QG2S_highlightHotSpot(graphic, state, box), 0);
        const auto now = colours();
        boxColours.push_back(now.first);
        EXPECT_EQ(now.second, plain.second) << "Wedge is untouched by state " << state;
    }
    EXPECT_NE(boxColours[0], boxColours[1]);
    EXPECT_NE(boxColours[0], boxColours[2]);
    EXPECT_NE(boxColours[1], boxColours[2]);

    // 3, 4, 5 set every hot spot to 0, 1, 2.
    ASSERT_EQ(QG2S_highlightHotSpot(graphic, 5, nullptr), 0);
    EXPECT_EQ(colours().first, boxColours[2]);
    EXPECT_NE(colours().second, plain.second);
    ASSERT_EQ(QG2S_highlightHotSpot(graphic, 3, nullptr), 0);
    EXPECT_EQ(colours(), plain);

    EXPECT_EQ(QG2S_highlightHotSpot(graphic, 6, box), -1);
    EXPECT_EQ(QG2S_highlightHotSpot(graphic, 1, nullptr), -1);
}

// ---------------------------------------------------------------------------------------
// Clicks

TEST_F(Qg2sTest, ClicksReachTheirCallbacks)
{
    ASSERT_TRUE(LoadCgm());
    Listen();
    const double scale = Scale();
    const struct
    {
        QPointF h;
        int type;
        const char* hotSpot;
    } cases[] = {
        {kOverlap, 3, "Box"}, // hot spots are searched in list order
        {kWedgeOnly, 3, "Wedge"},
        {kOutside, 2, nullptr},
    };
    for (const auto& c : cases) {
        calls.clear();
        const QPoint w = HtoW(c.h);
        QTest::mouseClick(Port(), Qt::LeftButton, Qt::NoModifier, w);
        ASSERT_EQ(calls.size(), 1u) << c.h.x();
        const CCall& call = calls.front();
        EXPECT_EQ(call.type, c.type);
        EXPECT_EQ(call.graphic, graphic);
        EXPECT_EQ(QPoint(call.x, call.y), w);
        if (c.hotSpot) {
            EXPECT_EQ(call.hotSpot, Named(c.hotSpot));
            EXPECT_EQ(call.link,
                      "manual.sgml#" + QString::fromLatin1(c.hotSpot).toLower().toStdString());
        }
    }
    EXPECT_DOUBLE_EQ(Scale(), scale); // the callbacks took the clicks: no zoom

    // A disabled view ignores clicks.
    calls.clear();
    ASSERT_EQ(QG2S_enableGraphic(graphic, 0), 0);
    QTest::mouseClick(Port(), Qt::LeftButton, Qt::NoModifier, HtoW(kOverlap));
    QTest::mouseClick(Port(), Qt::LeftButton, Qt::NoModifier, HtoW(kOutside));
    EXPECT_TRUE(calls.empty());
}

TEST_F(Qg2sTest, DragOutsideHotSpotsReportsTheRectangle)
{
    ASSERT_TRUE(LoadCgm());
    Listen();
    const double scale = Scale();
    const QPoint from = HtoW(QPointF(0.95, 0.9)), to = HtoW(QPointF(0.7, 0.1));
    QTest::mousePress(Port(), Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(Port(), (from + to) / 2);
    QTest::mouseMove(Port(), to);
    QTest::mouseRelease(Port(), Qt::LeftButton, Qt::NoModifier, to);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].type, 4);
    const QRect band = QRect(from, to).normalized();
    EXPECT_EQ(QRect(QPoint(calls[0].x, calls[0].y), QPoint(calls[0].x2, calls[0].y2)), band);
    EXPECT_DOUBLE_EQ(Scale(), scale); // the callback took the gesture

    // A drag that starts on a hot spot is a click on it.
    calls.clear();
    const QPoint onBox = HtoW(kOverlap);
    QTest::mousePress(Port(), Qt::LeftButton, Qt::NoModifier, onBox);
    QTest::mouseMove(Port(), to);
    QTest::mouseRelease(Port(), Qt::LeftButton, Qt::NoModifier, to);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].type, 3);
}

TEST_F(Qg2sTest, WithoutCallbacksClicksZoom)
{
    ASSERT_TRUE(LoadCgm());
    const double scale = Scale();
    QTest::mouseClick(Port(), Qt::LeftButton, Qt::NoModifier, HtoW(kOverlap)); // hot spot: nothing
    EXPECT_DOUBLE_EQ(Scale(), scale);

    // A click zooms in at the point, which stays under the pointer.
    const QPoint at = HtoW(kOutside);
    double gx = 0, gy = 0;
    ASSERT_EQ(QG2S_graphicCoordTransformWtoG(graphic, at.x(), at.y(), &gx, &gy), 0);
    QTest::mouseClick(Port(), Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_NEAR(Scale(), 2 * scale, 0.02);
    int wx = 0, wy = 0;
    ASSERT_EQ(QG2S_graphicCoordTransformGtoW(graphic, gx, gy, &wx, &wy), 0);
    EXPECT_NEAR(wx, at.x(), 2);
    EXPECT_NEAR(wy, at.y(), 2);

    // A drag zooms to the rectangle.
    ASSERT_EQ(QG2S_graphicZoomReset(graphic), 0);
    const QPoint from = HtoW(QPointF(0.6, 0.25)), to = HtoW(QPointF(0.9, 0.75));
    QTest::mousePress(Port(), Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(Port(), to);
    QTest::mouseRelease(Port(), Qt::LeftButton, Qt::NoModifier, to);
    const QRectF visible = Visible();
    const QPointF a = HtoG(QPointF(0.6, 0.25)), b = HtoG(QPointF(0.9, 0.75));
    EXPECT_TRUE(visible.adjusted(-1, -1, 1, 1).contains(QRectF(a, b).normalized()))
        << visible.width();
    EXPECT_LT(visible.width(), QRectF(a, b).normalized().width() * 1.6);
}

TEST_F(Qg2sTest, ModifierGesturesZoomWithoutCallbacks)
{
    ASSERT_TRUE(LoadCgm());
    Listen();
    const struct
    {
        Qt::MouseButton button;
        Qt::KeyboardModifiers modifiers;
        double factor;
    } cases[] = {
        {Qt::LeftButton, Qt::ControlModifier, 2.0},
        {Qt::RightButton, Qt::ControlModifier, 0.5},
        {Qt::LeftButton, Qt::ShiftModifier, 0.5},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(QG2S_graphicZoomReset(graphic), 0);
        const double scale = Scale();
        QTest::mouseClick(Port(), c.button, c.modifiers, HtoW(kOverlap));
        EXPECT_NEAR(Scale() / scale, c.factor, 0.02) << c.modifiers.toInt();
    }
    // Ctrl+Drag zooms to the rectangle, even from a hot spot.
    ASSERT_EQ(QG2S_graphicZoomReset(graphic), 0);
    const double scale = Scale();
    const QPoint from = HtoW(QPointF(0.3, 0.3)), to = HtoW(QPointF(0.55, 0.7));
    QTest::mousePress(Port(), Qt::LeftButton, Qt::ControlModifier, from);
    QTest::mouseMove(Port(), to);
    QTest::mouseRelease(Port(), Qt::LeftButton, Qt::ControlModifier, to);
    EXPECT_GT(Scale(), 1.9 * scale);
    EXPECT_TRUE(calls.empty());
}

TEST_F(Qg2sTest, GraphicMayBeDestroyedFromItsCallback)
{
    ASSERT_TRUE(LoadCgm());
    Listen();
    destroyInCallback = true;
    QTest::mouseClick(Port(), Qt::LeftButton, Qt::NoModifier, HtoW(kWedgeOnly));
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].type, 3);
    EXPECT_EQ(calls[1].type, 1); // destruction is announced
    EXPECT_EQ(graphic, nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(host.findChild<CGraphicView*>(), nullptr);
}

// ---------------------------------------------------------------------------------------
// Zoom and coordinates

TEST_F(Qg2sTest, CoordinatesRoundTripAtEveryZoom)
{
    ASSERT_TRUE(LoadCgm());
    double hx = 0, hy = 0;
    int l = 0, t = 0, r = 0, b = 0;
    ASSERT_EQ(QG2S_graphicOverallGraphicExtents(graphic, &l, &t, &r, &b), 0);
    ASSERT_EQ(QG2S_graphicCoordTransformGtoH(graphic, l, t, &hx, &hy), 0);
    EXPECT_DOUBLE_EQ(hx, 0.0);
    EXPECT_DOUBLE_EQ(hy, 0.0);
    ASSERT_EQ(QG2S_graphicCoordTransformGtoH(graphic, r, b, &hx, &hy), 0);
    EXPECT_DOUBLE_EQ(hx, 1.0);
    EXPECT_DOUBLE_EQ(hy, 1.0);

    for (double zoom : {1.0, 2.0, 8.0, 1000.0 /* limited to 64 */}) {
        ASSERT_EQ(QG2S_graphicZoomReset(graphic), 0);
        ASSERT_EQ(QG2S_graphicZoom(graphic, zoom), 0);
        const double scale = Scale();
        for (const QPointF h : {QPointF(0.5, 0.5), QPointF(0.1, 0.9), QPointF(0.75, 0.25)}) {
            const QPointF g = HtoG(h);
            const QPoint w = GtoW(g);
            double gx = 0, gy = 0;
            ASSERT_EQ(QG2S_graphicCoordTransformWtoG(graphic, w.x(), w.y(), &gx, &gy), 0);
            EXPECT_NEAR(gx, std::trunc(g.x()), 1.0 / scale) << zoom;
            EXPECT_NEAR(gy, std::trunc(g.y()), 1.0 / scale) << zoom;
        }
    }
    ASSERT_EQ(QG2S_graphicZoomReset(graphic), 0);
    const double fit = Scale();
    ASSERT_EQ(QG2S_graphicZoom(graphic, 1000), 0);
    EXPECT_NEAR(Scale() / fit, 64.0, 0.5);
    ASSERT_EQ(QG2S_graphicZoom(graphic, 1e-9), 0);
    EXPECT_NEAR(Scale() / fit, 0.25, 0.01);
    EXPECT_EQ(QG2S_graphicZoom(graphic, 0), -1);
    EXPECT_EQ(QG2S_graphicZoom(graphic, -2), -1);
}

TEST_F(Qg2sTest, ZoomToRegionsAndBack)
{
    ASSERT_TRUE(LoadCgm());
    int l = 0, t = 0, r = 0, b = 0;
    ASSERT_EQ(QG2S_graphicOverallGraphicExtents(graphic, &l, &t, &r, &b), 0);
    const QRectF whole = QRectF(QPointF(l, t), QPointF(r, b));
    EXPECT_EQ(Visible(), whole); // at the start the whole picture shows

    const QPointF a = HtoG(QPointF(0.25, 0.25)), c = HtoG(QPointF(0.5, 0.75));
    ASSERT_EQ(QG2S_graphicZoomToGraphicRegion(graphic, a.x(), a.y(), c.x(), c.y()), 0);
    const QRectF region = QRectF(a, c).normalized();
    QRectF visible = Visible();
    EXPECT_TRUE(visible.adjusted(-1, -1, 1, 1).contains(region));
    // The region fills the view in one direction.
    EXPECT_TRUE(std::abs(visible.width() - region.width()) < 1.5 ||
                std::abs(visible.height() - region.height()) < 1.5);

    // The window extents are the view's client area now.
    ASSERT_EQ(QG2S_graphicWindowExtents(graphic, &l, &t, &r, &b), 0);
    EXPECT_EQ(QRect(QPoint(l, t), QPoint(r, b)),
              QRect(QPoint(0, 0), QPoint(Port()->width(), Port()->height())));

    // A region of the window: its top left quarter.
    const double scale = Scale();
    ASSERT_EQ(QG2S_graphicZoomToRegion(graphic, 0, 0, Port()->width() / 2, Port()->height() / 2),
              0);
    EXPECT_NEAR(Scale() / scale, 2.0, 0.05);

    EXPECT_EQ(QG2S_graphicZoomToGraphicRegion(graphic, 5, 5, 5, 40), -1); // no area
    ASSERT_EQ(QG2S_graphicZoomReset(graphic), 0);
    EXPECT_EQ(Visible(), whole);
}

TEST_F(Qg2sTest, ContextMenuZoomsAndPrints)
{
    ASSERT_TRUE(LoadCgm());
    QStringList texts;
    int chosen = CGraphicView::CmdZoomIn;
    CGraphicView::SetMenuHook([&](QMenu& menu, const QPoint&) -> QAction* {
        texts.clear();
        QAction* pick = nullptr;
        for (QAction* action : menu.actions()) {
            if (!action->isSeparator())
                texts << action->text();
            if (action->data().toInt() == chosen)
                pick = action;
        }
        return pick;
    });
    const double scale = Scale();
    // The platform turns a right click into this event.
    auto rightClick = [this](const QPoint& w) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, w, Port()->mapToGlobal(w));
        QApplication::sendEvent(Port(), &event);
    };
    rightClick(HtoW(kOutside));
    EXPECT_EQ(texts, (QStringList{"Zoom &In", "Zoom &Out", "&Whole Picture", "&Print..."}));
    EXPECT_NEAR(Scale() / scale, 2.0, 0.02);

    const std::string pdf = dir / "menu.pdf";
    CGraphicView::SetPrintDialogHook([&](QPrinter& printer, QWidget*) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        return true;
    });
    chosen = CGraphicView::CmdPrint;
    rightClick(HtoW(kOutside));
    EXPECT_EQ(TempDir::Read(pdf).substr(0, 5), "%PDF-");
}

// ---------------------------------------------------------------------------------------
// Printing

TEST_F(Qg2sTest, PrintingThroughThePrinterRecordOrTheViewsCommand)
{
    ASSERT_TRUE(LoadCgm());
    QImage page(400, 200, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    const QG2SPrinterRecord printer{&painter};
    const QG2SRect rect{0, 0, 400, 200};
    ASSERT_EQ(QG2S_printGraphic(graphic, &printer, &rect, 0), 0);
    painter.end();
    // The square covers (20..80) x (20..80) of the 200 x 100 picture.
    EXPECT_GT(DarkPixels(page, QRect(60, 60, 80, 80)), 80 * 80 * 9 / 10);
    EXPECT_EQ(DarkPixels(page, QRect(200, 0, 200, 200)), 0);

    const std::string pdfPath = dir / "record.pdf";
    {
        QPdfWriter writer(QString::fromStdString(pdfPath));
        QPainter pdfPainter(&writer);
        const QG2SPrinterRecord pdfPrinter{&pdfPainter};
        const QG2SRect pdfRect{0, 0, 2000, 1000};
        EXPECT_EQ(QG2S_printGraphic(graphic, &pdfPrinter, &pdfRect, 0), 0);
    }
    EXPECT_GT(TempDir::Read(pdfPath).size(), 500u);

    const QG2SPrinterRecord noPainter{nullptr};
    EXPECT_EQ(QG2S_printGraphic(graphic, &noPainter, &rect, 0), -1);

    // Without a printer record the view's own command asks the print dialog.
    int asked = 0;
    CGraphicView::SetPrintDialogHook([&](QPrinter&, QWidget* parent) {
        ++asked;
        EXPECT_EQ(parent, view);
        return false; // cancelled
    });
    EXPECT_EQ(QG2S_printGraphic(graphic, nullptr, &rect, 0), -1);
    EXPECT_EQ(asked, 1);
}

} // namespace
