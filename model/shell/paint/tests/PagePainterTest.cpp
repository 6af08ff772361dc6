#include "PagePainter.h"

#include "TempDir.h"

#include <QFile>
#include <QFontDatabase>
#include <QPainter>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

constexpr ColorRef kBackground = MakeColorRef(10, 20, 30);
constexpr ColorRef kGrid = MakeColorRef(200, 100, 50);
const CCellMetrics kCells{8, 7, 13};

QRgb Rgb(ColorRef c)
{
    return ToQColor(c).rgb() & 0xFFFFFF;
}
QRgb At(const QImage& image, int x, int y)
{
    return image.pixel(x, y) & 0xFFFFFF;
}
QRect ToQRectForTest(const CRectPx& r)
{
    return QRect(r.left, r.top, r.Width(), r.Height());
}

// The smallest rectangle holding every pixel of colour rgb inside area.
QRect Ink(const QImage& image, const QRect& area, QRgb rgb)
{
    QRect ink;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (At(image, x, y) == rgb)
                ink |= QRect(x, y, 1, 1);
    return ink;
}

int Count(const QImage& image, const QRect& area, QRgb rgb)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += At(image, x, y) == rgb;
    return n;
}

class PagePainterTest : public ::testing::Test
{
protected:
    PagePainterTest()
    {
        AddDefaultColors(colors);
        colors.Set("BACKGROUND MODEL VIEW", kBackground);
        colors.Set("TEXT DISABLED", kGrid);
        QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        font.setPointSize(9);
        font.setStyleStrategy(QFont::NoAntialias); // text pixels in their exact colour
        painter.SetFont(font);
        painter.SetCells(kCells);
        page.modelWidth = 40;
        page.modelHeight = 30;
        page.elementWidth = 10;
        page.elementHeight = 4;
    }

    CElement& AddElement(const std::string& name, int x, int y)
    {
        page.elements.push_back(std::make_unique<CElement>());
        CElement& e = *page.elements.back();
        e.name = name;
        e.x = x;
        e.y = y;
        e.enabled = 1;
        return e;
    }

    QImage Paint(const CPageViewState& state = {}, int* counters = nullptr)
    {
        QImage image(painter.PageSize(page), QImage::Format_RGB32);
        image.fill(Qt::magenta);
        QPainter p(&image);
        const int drawn = painter.Paint(p, page, state);
        if (counters)
            *counters = drawn;
        return image;
    }

    CColorTable colors;
    CPagePainter painter{colors};
    CPage page;
};

} // namespace

TEST_F(PagePainterTest, LinkSegmentsChainAndUseTheKindColour)
{
    page.links.push_back(std::make_unique<CLink>());
    CLink& link = *page.links.back();
    link.kind = 1;
    link.startX = 2;
    link.startY = 5;
    link.segments = {{4, 3}, {8, 2}};
    const QImage image = Paint();
    const QRgb teal = Rgb(colors.Color("BACKGROUND LINK P"));
    // First segment: (16, 34) .. (40, 36); the second runs south from (40, 35) for 14 pixels.
    EXPECT_EQ(Count(image, QRect(16, 34, 25, 3), teal), 75);
    EXPECT_EQ(Count(image, QRect(39, 35, 3, 15), teal), 45);
    EXPECT_EQ(Count(image, image.rect(), teal), 75 + 45 - 4); // 2 x 2 pixels overlap
    EXPECT_EQ(At(image, 0, 0), Rgb(kBackground));
}

TEST_F(PagePainterTest, KindsWithoutColourDrawNothing)
{
    CColorTable sparse; // no colour at all: nothing has a brush
    CPagePainter bare(sparse);
    bare.SetCells(kCells);
    page.links.push_back(std::make_unique<CLink>());
    page.links.back()->kind = 1;
    page.links.back()->segments = {{4, 3}};
    QImage image(bare.PageSize(page), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter p(&image);
    bare.Paint(p, page, {});
    p.end();
    EXPECT_EQ(Count(image, image.rect(), qRgb(255, 0, 255) & 0xFFFFFF),
              image.width() * image.height());

    // Kind 7 uses the "none" colour.
    page.links.back()->kind = 7;
    EXPECT_EQ(Count(Paint(), QRect(0, 0, 40, 10), Rgb(colors.Color("BACKGROUND LINK N"))), 25 * 2);
}

TEST_F(PagePainterTest, GridLinesAtEveryCellButNotAtZero)
{
    AddElement("A", 30, 25); // outside the rows and columns looked at
    CPageViewState state;
    EXPECT_EQ(Count(Paint(state), QRect(0, 0, 320, 210), Rgb(kGrid)), 0);
    state.drawGrid = true;
    const QImage image = Paint(state);
    EXPECT_EQ(At(image, 0, 3), Rgb(kBackground));
    EXPECT_EQ(At(image, 3, 0), Rgb(kBackground));
    EXPECT_EQ(At(image, 8, 3), Rgb(kGrid));
    EXPECT_EQ(At(image, 3, 7), Rgb(kGrid));
    EXPECT_EQ(At(image, 9, 3), Rgb(kBackground));
    EXPECT_EQ(Count(image, QRect(8, 0, 1, 210), Rgb(kGrid)), 210); // full page height
}

TEST_F(PagePainterTest, GridInTheBackgroundColourTakesAContrastingShade)
{
    AddElement("A", 30, 25);
    CPageViewState state;
    state.drawGrid = true;
    struct Case
    {
        ColorRef both;
        QRgb grid;
    };
    // Light backgrounds get a darker shade, dark ones a lighter.
    const Case cases[] = {{MakeColorRef(192, 192, 192), qRgb(128, 128, 128)},
                          {MakeColorRef(255, 255, 255), qRgb(170, 170, 170)},
                          {MakeColorRef(0, 0, 0), qRgb(127, 127, 127)},
                          {MakeColorRef(0, 0, 128), qRgb(127, 127, 191)}};
    for (const Case& c : cases) {
        colors.Set("BACKGROUND MODEL VIEW", c.both);
        colors.Set("TEXT DISABLED", c.both);
        const QImage image = Paint(state);
        EXPECT_EQ(At(image, 8, 3), c.grid & 0xFFFFFF) << c.both;
        EXPECT_EQ(At(image, 9, 3), Rgb(c.both)) << c.both;
        EXPECT_EQ(colors.Color("TEXT DISABLED"), c.both); // the stored colour is kept
    }
}

TEST_F(PagePainterTest, GroupsAreHatched)
{
    CElement& child = AddElement("Child", 10, 10);
    page.groups.push_back(std::make_unique<CGroup>());
    page.groups.back()->children = {&child};
    const QImage image = Paint();
    // Element (81, 71, 160, 98) grown by a cell: (73, 64) .. (167, 104).
    for (const QPoint& pt : {QPoint(73, 64), QPoint(74, 64), QPoint(75, 64), QPoint(166, 103),
                             QPoint(80, 99), QPoint(81, 99)}) {
        const bool dark = (((pt.x() - pt.y()) % 4) + 4) % 4 == 1;
        EXPECT_EQ(At(image, pt.x(), pt.y()),
                  dark ? qRgb(128, 128, 128) & 0xFFFFFF : qRgb(192, 192, 192) & 0xFFFFFF)
            << pt.x() << "," << pt.y();
    }
    EXPECT_EQ(At(image, 72, 64), Rgb(kBackground));
    EXPECT_EQ(At(image, 168, 105), Rgb(kBackground));
}

TEST_F(PagePainterTest, ElementBoxTextColourAndCurrentMark)
{
    struct Case
    {
        const char* what;
        int enabled, visited, type;
        const char* textKey;
    };
    const Case cases[] = {
        {"disabled", 0, 1, 1, "TEXT DISABLED"},
        {"visited", 1, 1, 1, "TEXT VISITED"},
        {"jump", 1, 0, 1, "TEXT JUMP"},
        {"normal", 1, 0, 0, "TEXT ELEMENT"},
    };
    colors.Set("TEXT ELEMENT", MakeColorRef(0, 120, 0)); // apart from the black outline
    for (const Case& c : cases) {
        page.elements.clear();
        CElement& e = AddElement("WWW", 2, 2);
        e.enabled = c.enabled;
        e.visited = c.visited;
        e.type = c.type;
        const QImage image = Paint();
        const QRect box(17, 15, 80 + 16 - 17, 42 - 15); // (17, 15) .. (95, 41)
        EXPECT_EQ(At(image, box.left(), box.top()), 0u) << c.what;
        EXPECT_EQ(At(image, box.right(), box.bottom()), 0u) << c.what;
        EXPECT_EQ(At(image, box.right() + 1, box.bottom()), Rgb(kBackground)) << c.what;
        EXPECT_EQ(At(image, box.left() + 1, box.top() + 1), 0xFFFFFFu) << c.what;
        EXPECT_GT(Count(image, box.adjusted(1, 1, -1, -1), Rgb(colors.Color(c.textKey))), 10)
            << c.what;
    }

    CElement& e = *page.elements.front(); // the normal element of the last case
    colors.Set("TEXT VISITED", MakeColorRef(0, 0, 250));
    CPageViewState state;
    state.currentElement = &e;
    const QImage marked = Paint(state);
    // Shrunk rectangle starts at (18, 16): rows 18..24 carry 7 .. 1 pixels from x = 20.
    const QRgb blue = qRgb(0, 0, 250) & 0xFFFFFF;
    EXPECT_EQ(Count(marked, QRect(18, 16, 12, 10), blue), 28);
    EXPECT_EQ(At(marked, 20, 18), blue);
    EXPECT_EQ(At(marked, 26, 18), blue);
    EXPECT_EQ(At(marked, 27, 18), 0xFFFFFFu);
    EXPECT_EQ(At(marked, 20, 24), blue);
    EXPECT_EQ(At(marked, 20, 17), 0xFFFFFFu);
    EXPECT_EQ(Count(Paint(), QRect(18, 16, 12, 10), blue), 0);
}

TEST_F(PagePainterTest, AmpersandUnderlinesInsteadOfShowing)
{
    // "&W" draws as an underlined W: no ampersand glyph beside it, a line below it.
    CElement& e = AddElement("&W", 2, 2);
    const QImage mnemonic = Paint();
    e.name = "W";
    painter.Layout(page); // names are decoded at layout
    painter.SetCells(kCells);
    const QImage plain = Paint();
    const QRect inside(18, 16, 76, 25);
    const QRect inkMnemonic = Ink(mnemonic, inside, 0);
    const QRect inkPlain = Ink(plain, inside, 0);
    ASSERT_FALSE(inkPlain.isEmpty());
    EXPECT_LE(inkMnemonic.width(), inkPlain.width() + 2);
    EXPECT_GT(inkMnemonic.bottom(), inkPlain.bottom());
}

TEST_F(PagePainterTest, SelectionMarkNeedsFocusAndElementMode)
{
    CElement& e = AddElement("", 2, 2); // empty name: the inside stays white
    // Twice-shrunk rectangle: (19, 17) .. (93, 39).
    struct Case
    {
        bool focus, elementMode, conventional;
        QRgb atCorner, besideCorner, inside;
    };
    const Case cases[] = {
        {true, true, false, 0, 0, 0},              // inverted rectangle
        {true, true, true, 0, 0xFFFFFF, 0xFFFFFF}, // dotted focus rectangle
        {false, true, false, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF},
        {true, false, false, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF},
    };
    for (const Case& c : cases) {
        CPageViewState state;
        state.selectedElement = &e;
        state.hasFocus = c.focus;
        state.elementMode = c.elementMode;
        state.conventionalFocusRect = c.conventional;
        const QImage image = Paint(state);
        EXPECT_EQ(At(image, 19, 17), c.atCorner);
        EXPECT_EQ(At(image, 20, 17), c.besideCorner);
        EXPECT_EQ(At(image, 21, 17), c.atCorner);
        EXPECT_EQ(At(image, 50, 28), c.inside);
        EXPECT_EQ(At(image, 18, 16), 0xFFFFFFu); // the once-shrunk edge is never touched
    }
}

namespace {

struct SymbolPage
{
    CElement a, b;
    CLink link;
    SymbolPage()
    {
        a.enabled = b.enabled = 1;
        link.first = &a;
        link.second = &b;
        link.kind = 2;
    }
};

} // namespace

TEST_F(PagePainterTest, SymbolSquareAndCountersByState)
{
    SymbolPage ends;
    page.symbols.push_back(std::make_unique<CSymbol>());
    CSymbol& symbol = *page.symbols.back();
    symbol.x = 20;
    symbol.y = 15;
    symbol.kind = 2;
    for (int place = 0; place < 8; ++place) {
        CRelationCounter counter;
        counter.link = &ends.link;
        counter.place = place;
        counter.relations = place == 7 ? -1 : place; // 7 not counted yet
        counter.rect = {1, 1, 5, 5};
        symbol.counters.push_back(counter);
    }
    ends.link.errorFlag = 1;
    int drawn = 0;
    const QImage image = Paint({}, &drawn);
    EXPECT_EQ(drawn, 7);

    // Outer square (151, 96) .. (169, 114), outlined, filled purple.
    const QRect outer = ToQRectForTest(SymbolOuterSquare(symbol, kCells));
    EXPECT_EQ(outer, QRect(151, 96, 19, 19));
    EXPECT_EQ(At(image, 151, 96), 0u);
    EXPECT_EQ(At(image, 152, 97), Rgb(colors.Color("BACKGROUND LINK U")));

    const QFontMetrics metrics(painter.Font());
    for (int place = 0; place < 7; ++place) {
        const CRelationCounter& counter = symbol.counters[place];
        CRectPx expected;
        ASSERT_TRUE(CounterBox(SymbolOuterSquare(symbol, kCells), place,
                               metrics.horizontalAdvance(QString::number(place)), metrics.height(),
                               expected));
        EXPECT_EQ(counter.rect, expected) << place;
        const char* background =
            place == 0 ? "BACKGROUND ERROR" : "BACKGROUND RELATION"; // 0 with the error flag
        EXPECT_EQ(At(image, expected.left + 1, expected.top + 1), Rgb(colors.Color(background)))
            << place;
        EXPECT_EQ(At(image, expected.left, expected.top), 0u) << place;
    }
    EXPECT_EQ(symbol.counters[7].rect, CRectPx{});

    // Without the error, a counter of 0 is disabled.
    ends.link.errorFlag = 0;
    Paint();
    const CRectPx& zero = symbol.counters[0].rect;
    EXPECT_EQ(At(Paint(), zero.left + 1, zero.top + 1),
              Rgb(colors.Color("BACKGROUND DISABLED RELATION")));
}

TEST_F(PagePainterTest, FocusedCounterMarkedOnlyInRelationMode)
{
    SymbolPage ends;
    page.symbols.push_back(std::make_unique<CSymbol>());
    CSymbol& symbol = *page.symbols.back();
    symbol.x = 20;
    symbol.y = 15;
    symbol.kind = 9; // no square
    CRelationCounter counter;
    counter.link = &ends.link;
    counter.place = 2;
    counter.relations = 5;
    symbol.counters.push_back(counter);
    CPageViewState state;
    state.focusedCounter = &symbol.counters[0];
    state.hasFocus = true;
    state.elementMode = false;
    const QImage marked = Paint(state);
    const CRectPx box = symbol.counters[0].rect;
    const QRgb yellow = Rgb(colors.Color("BACKGROUND RELATION"));
    EXPECT_EQ(At(marked, box.left + 1, box.top + 1), yellow);
    EXPECT_EQ(At(marked, box.left + 2, box.top + 2), ~yellow & 0xFFFFFF);
    state.elementMode = true;
    EXPECT_EQ(At(Paint(state), box.left + 2, box.top + 2), yellow);
    // No square for a kind outside 1..4.
    EXPECT_EQ(Count(marked, QRect(151, 96, 19, 19), Rgb(kBackground)), 19 * 19);
}

TEST_F(PagePainterTest, LayoutMeasuresTheNames)
{
    AddElement("Pumps", 1, 1);
    AddElement("Centrifugal Pumps", 1, 8);
    const CCellMetrics cells = painter.Layout(page);
    const QFontMetrics metrics(painter.Font());
    const int widest = std::max(metrics.horizontalAdvance("Pumps"),
                                metrics.horizontalAdvance("Centrifugal Pumps"));
    EXPECT_EQ(cells.cellWidth, (widest + 16) / 17);
    EXPECT_EQ(cells.cellHeight, (metrics.height() + 1) / 2);
    EXPECT_EQ(painter.PageSize(page), QSize(40 * cells.cellWidth, 30 * cells.cellHeight));
}

TEST(FontMapping, DefaultRecordIsAnEightPointUiFont)
{
    const CFontRecord record = CFontRecord::ModelDefault();
    const QFont font = FontFromRecord(record);
    EXPECT_EQ(font.family(), QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
    EXPECT_EQ(font.pointSize(), 8);
    EXPECT_EQ(font.weight(), QFont::ExtraBold);
    EXPECT_FALSE(font.italic());
    EXPECT_EQ(RecordFromFont(font, record), record);
}

TEST(FontMapping, RoundTripKeepsEveryNumber)
{
    CFontRecord record;
    record.height = -11;
    record.width = 5;
    record.escapement = 900;
    record.weight = 650;
    record.italic = 1;
    record.strikeOut = 1;
    record.charSet = 238;
    record.quality = 2;
    record.pitchAndFamily = 0x22;
    record.faceName = "MS SANS SERIF";
    EXPECT_EQ(RecordFromFont(FontFromRecord(record), record), record);
}

TEST(FontMapping, ChangedValuesTakeTheFontsNumbers)
{
    const CFontRecord previous = CFontRecord::ModelDefault();
    QFont font = FontFromRecord(previous);
    font.setPointSize(12);
    font.setWeight(QFont::Normal);
    font.setUnderline(true);
    font.setFamily("Courier");
    const CFontRecord record = RecordFromFont(font, previous);
    EXPECT_EQ(record.height, 12);
    EXPECT_EQ(record.weight, 400);
    EXPECT_EQ(record.underline, 1);
    EXPECT_EQ(record.faceName, "Courier");

    CFontRecord negative = previous;
    negative.height = -8;
    QFont bigger = FontFromRecord(negative);
    bigger.setPointSize(10);
    EXPECT_EQ(RecordFromFont(bigger, negative).height, -10);
}

TEST(ColorConversion, RedIsInTheLowestByte)
{
    EXPECT_EQ(ToQColor(255), QColor(255, 0, 0));
    EXPECT_EQ(ToQColor(8421376), QColor(0, 128, 128));
    EXPECT_EQ(ToQColor(0xFF123456), QColor(0x56, 0x34, 0x12));
}

TEST_F(PagePainterTest, ExportWritesPngAndPdfAndRefusesTheRest)
{
    AddElement("Pumps", 2, 2);
    TempDir dir;
    QString error;
    const QString png = QString::fromStdString(dir / "page.PNG");
    ASSERT_TRUE(ExportPageImage(painter, page, png, &error)) << error.toStdString();
    const QImage rendered = RenderPageImage(painter, page, {}, &error);
    QImage read(png);
    ASSERT_FALSE(read.isNull());
    EXPECT_EQ(read.convertToFormat(QImage::Format_RGB32), rendered);

    const QString pdf = QString::fromStdString(dir / "page.pdf");
    ASSERT_TRUE(ExportPageImage(painter, page, pdf, &error)) << error.toStdString();
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    EXPECT_FALSE(bytes.contains("/Subtype /Image")); // drawn, not a picture of the page

    EXPECT_FALSE(ExportPageImage(painter, page, QString::fromStdString(dir / "page.bmp"), &error));
    EXPECT_TRUE(error.contains("unknown file type"));
    EXPECT_FALSE(std::filesystem::exists(dir / "page.bmp"));

    EXPECT_FALSE(
        ExportPageImage(painter, page, QString::fromStdString(dir / "missing/page.png"), &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(PagePainterTest, ExportRefusesEmptyAndHugePages)
{
    AddElement("Pumps", 2, 2);
    QString error;
    page.modelWidth = 0;
    EXPECT_TRUE(RenderPageImage(painter, page, {}, &error).isNull());
    EXPECT_TRUE(error.contains("no area"));
    page.modelWidth = 100000;
    page.modelHeight = 100000;
    EXPECT_TRUE(RenderPageImage(painter, page, {}, &error).isNull());
    EXPECT_TRUE(error.contains("too large"));
}

TEST_F(PagePainterTest, PartialPaintStillPlacesEveryCounter)
{
    SymbolPage ends;
    AddElement("Pumps", 2, 2);
    page.symbols.push_back(std::make_unique<CSymbol>());
    CSymbol& symbol = *page.symbols.back();
    symbol.x = 30;
    symbol.y = 20;
    symbol.kind = 1;
    CRelationCounter counter;
    counter.link = &ends.link;
    counter.place = 4;
    counter.relations = 12;
    symbol.counters.push_back(counter);

    const QImage full = Paint();
    const CRectPx placed = symbol.counters[0].rect;
    symbol.counters[0].rect = CRectPx{};

    // Only the top-left quarter is painted; the symbol lies outside it.
    QImage image(painter.PageSize(page), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter p(&image);
    const QRect area(0, 0, 160, 105);
    EXPECT_EQ(painter.Paint(p, page, {}, area), 1);
    p.end();
    EXPECT_EQ(symbol.counters[0].rect, placed);
    EXPECT_EQ(image.copy(area), full.copy(area));
    EXPECT_EQ(Count(image, QRect(200, 120, 120, 90), qRgb(255, 0, 255) & 0xFFFFFF), 120 * 90);
}
