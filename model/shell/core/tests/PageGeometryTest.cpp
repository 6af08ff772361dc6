#include "PageGeometry.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <set>
#include <utility>

namespace {

// Widths from a table, else 7 pixels per byte; tmHeight 13, average width 6.
class FakeMeasure : public ITextMeasure
{
public:
    std::map<std::string, int> widths;
    int TextWidth(const std::string& text) const override
    {
        auto it = widths.find(text);
        return it != widths.end() ? it->second : 7 * static_cast<int>(text.size());
    }
    int TextHeight() const override { return 13; }
    int AverageCharWidth() const override { return 6; }
};

CElement& AddElement(CPage& page, const std::string& name, int x = 0, int y = 0)
{
    page.elements.push_back(std::make_unique<CElement>());
    CElement& e = *page.elements.back();
    e.name = name;
    e.x = x;
    e.y = y;
    return e;
}

using Pixels = std::set<std::pair<int, int>>;

Pixels Rasterise(const std::vector<CRectPx>& rects)
{
    Pixels pixels;
    for (const CRectPx& r : rects) {
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                pixels.insert({x, y});
    }
    return pixels;
}

// Number of set pixels in column x (or row y when column is false).
int CountAt(const Pixels& pixels, int v, bool column)
{
    int n = 0;
    for (const auto& [x, y] : pixels)
        n += (column ? x : y) == v;
    return n;
}

const CCellMetrics kCells{8, 7, 13};

} // namespace

TEST(PageGeometry, CellWidthIsWidestPixelsOverLongestNameRoundedUp)
{
    CPage page;
    FakeMeasure measure;
    measure.widths = {{"AB", 14}, {"ABCD", 30}};
    AddElement(page, "AB");
    AddElement(page, "ABCD");
    const CCellMetrics cells = ComputeCellMetrics(page, measure);
    EXPECT_EQ(cells.cellWidth, 8);
    EXPECT_EQ(cells.cellHeight, 7); // 13 / 2 rounded up
    EXPECT_EQ(cells.textHeight, 13);
}

TEST(PageGeometry, CellWidthFallsBackToAverageWidthWithoutCharacters)
{
    FakeMeasure measure;
    CPage empty;
    EXPECT_EQ(ComputeCellMetrics(empty, measure).cellWidth, 6);
    CPage blank;
    AddElement(blank, "");
    AddElement(blank, "");
    EXPECT_EQ(ComputeCellMetrics(blank, measure).cellWidth, 6);
}

TEST(PageGeometry, NameLengthCountsCharactersNotBytes)
{
    EXPECT_EQ(DisplayLength("Pump"), 4);
    EXPECT_EQ(DisplayLength("\xC4l"), 2);     // Windows-1252 "Äl"
    EXPECT_EQ(DisplayLength("\xC3\x84l"), 2); // UTF-8 "Äl"
    EXPECT_EQ(DisplayLength(""), 0);
}

TEST(PageGeometry, ElementAndGroupRectangles)
{
    CPage page;
    page.elementWidth = 20;
    page.elementHeight = 4;
    CElement& a = AddElement(page, "A", 10, 2);
    CElement& b = AddElement(page, "B", 40, 12);
    EXPECT_EQ(ElementRect(page, a, kCells), (CRectPx{81, 15, 240, 42}));

    CGroup group;
    group.children = {&a, &b};
    // Union (81, 15, 480, 112) grown by one cell each way.
    EXPECT_EQ(GroupRect(page, group, kCells), (CRectPx{73, 8, 488, 119}));
    EXPECT_EQ(GroupRect(page, CGroup{}, kCells), CRectPx{});
}

TEST(PageGeometry, GridLinesStopAtThePageEdgeAndSkipZero)
{
    struct Case
    {
        int width;
        std::vector<int> expected;
    };
    const Case cases[] = {{20, {8, 16, 20}}, {16, {8, 16}}, {5, {5}}, {0, {}}, {-3, {}}};
    for (const Case& c : cases) {
        std::vector<int> xs, ys;
        GridLines(c.width, 14, kCells, xs, ys);
        EXPECT_EQ(xs, c.expected) << "width " << c.width;
        EXPECT_EQ(ys, (std::vector<int>{7, 14}));
    }
}

TEST(PageGeometry, PlainShaftIsLengthPlusOnePixelsAndThreeThick)
{
    std::vector<CRectPx> rects;
    const CGridPoint end = ArrowFigure({2, 5, 4, 3, 0, 1, 6}, kCells, rects);
    EXPECT_EQ(end, (CGridPoint{5, 5}));
    const Pixels pixels = Rasterise(rects);
    EXPECT_EQ(pixels.size(), (3u * 8 + 1) * 3);
    EXPECT_EQ(Rasterise({{16, 34, 16 + 25, 37}}), pixels);
}

TEST(PageGeometry, EndHeadEndsInOnePointAtTheEndPoint)
{
    std::vector<CRectPx> rects;
    const CGridPoint end = ArrowFigure({2, 5, 1, 3, 0, 1, 6}, kCells, rects);
    EXPECT_EQ(end, (CGridPoint{5, 5}));
    const Pixels pixels = Rasterise(rects);
    const int tipX = 5 * 8, y = 35;
    EXPECT_EQ(CountAt(pixels, tipX, true), 1);
    EXPECT_TRUE(pixels.count({tipX, y}));
    EXPECT_EQ(CountAt(pixels, tipX + 1, true), 0);
    EXPECT_EQ(CountAt(pixels, tipX - 6, true), 13); // widest column of the head
    EXPECT_EQ(CountAt(pixels, tipX - 7, true), 3);  // last column of the shaft
    EXPECT_EQ(CountAt(pixels, 16, true), 3);        // the start has no head
}

TEST(PageGeometry, BothHeadsPointInTheDirectionOfTravel)
{
    std::vector<CRectPx> rects;
    ArrowFigure({0, 0, 3, 4, 0, 1, 6}, kCells, rects);
    const Pixels pixels = Rasterise(rects);
    // Start head: 13, 11, ..., 3 pixels from x = 0 to 5; end head 13 .. 1 from x = 26 to 32.
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(CountAt(pixels, k, true), 13 - 2 * k) << k;
    for (int k = 6; k < 26; ++k)
        EXPECT_EQ(CountAt(pixels, k, true), 3) << k;
    for (int k = 26; k <= 32; ++k)
        EXPECT_EQ(CountAt(pixels, k, true), 2 * (32 - k) + 1) << k;
    EXPECT_EQ(CountAt(pixels, -1, true), 0);
    EXPECT_EQ(CountAt(pixels, 33, true), 0);
}

TEST(PageGeometry, OtherDirectionsAreTheSameFigureTurned)
{
    // Square cells so that every direction has the same length in pixels.
    const CCellMetrics cells{8, 8, 16};
    for (int heads = 1; heads <= 4; ++heads) {
        std::vector<CRectPx> rects;
        ArrowFigure({10, 10, heads, 3, 0, 1, 6}, cells, rects);
        Pixels east;
        for (const auto& [x, y] : Rasterise(rects))
            east.insert({x - 80, y - 80}); // (along, across) from the origin

        struct Turn
        {
            int code;
            CGridPoint end;
            int ax, ay, cx, cy; // pixel = origin + along*(ax, ay) + across*(cx, cy)
        };
        const Turn turns[] = {{heads + 4, {10, 13}, 0, 1, 1, 0},
                              {heads + 8, {7, 10}, -1, 0, 0, 1},
                              {heads + 12, {10, 7}, 0, -1, 1, 0}};
        for (const Turn& t : turns) {
            Pixels expected;
            for (const auto& [k, a] : east)
                expected.insert({80 + k * t.ax + a * t.cx, 80 + k * t.ay + a * t.cy});
            EXPECT_EQ(ArrowFigure({10, 10, t.code, 3, 0, 1, 6}, cells, rects), t.end);
            EXPECT_EQ(Rasterise(rects), expected) << "code " << t.code;
        }
    }
}

TEST(PageGeometry, HalfCellShiftMovesAcrossByHalfACellHeight)
{
    // Cell 8 x 7: half a cell height is 3 for both orientations.
    struct Case
    {
        int code;
        int dx, dy;
    };
    for (const Case& c : {Case{4, 0, 3}, Case{12, 0, 3}, Case{8, 3, 0}, Case{16, 3, 0}}) {
        std::vector<CRectPx> plain, shifted;
        const CGridPoint a = ArrowFigure({4, 4, c.code, 2, 0, 1, 6}, kCells, plain);
        const CGridPoint b = ArrowFigure({4, 4, c.code, 2, 1, 1, 6}, kCells, shifted);
        EXPECT_EQ(a, b);
        Pixels moved;
        for (const auto& [x, y] : Rasterise(plain))
            moved.insert({x + c.dx, y + c.dy});
        EXPECT_EQ(Rasterise(shifted), moved) << "code " << c.code;
    }
}

TEST(PageGeometry, CodeOutsideRangeDrawsNothing)
{
    for (int code : {0, 17, -1, 1000}) {
        std::vector<CRectPx> rects{{1, 1, 2, 2}};
        EXPECT_EQ(ArrowFigure({3, 4, code, 5, 1, 1, 6}, kCells, rects), (CGridPoint{0, 0}));
        EXPECT_TRUE(rects.empty()) << code;
    }
}

TEST(PageGeometry, SymbolSquares)
{
    CSymbol symbol;
    symbol.x = 10;
    symbol.y = 4;
    // Centre (80, 28); r = 6, R = 9.
    EXPECT_EQ(SymbolInnerSquare(symbol, kCells), (CRectPx{74, 22, 87, 35}));
    EXPECT_EQ(SymbolOuterSquare(symbol, kCells), (CRectPx{71, 19, 90, 38}));
    symbol.hShift = 1;
    symbol.vShift = 1;
    EXPECT_EQ(SymbolOuterSquare(symbol, kCells), (CRectPx{74, 22, 93, 41}));
}

TEST(PageGeometry, CounterBoxesAroundTheSymbol)
{
    const CRectPx outer{100, 100, 121, 121};
    struct Case
    {
        int place, textWidth;
        CRectPx box;
    };
    const Case cases[] = {
        {0, 8, {98, 83, 123, 98}},
        {1, 8, {121, 85, 146, 100}},
        {2, 8, {122, 103, 147, 118}},
        {3, 8, {121, 121, 146, 136}},
        {4, 8, {98, 123, 123, 138}},
        {5, 8, {74, 121, 99, 136}},
        {6, 8, {73, 103, 98, 118}},
        {7, 8, {74, 85, 99, 100}},
        // Text wider than the square: the box grows one more pixel on the right.
        {0, 30, {93, 83, 128, 98}},
        {2, 30, {122, 103, 157, 118}},
        {6, 30, {64, 103, 99, 118}},
    };
    for (const Case& c : cases) {
        CRectPx box;
        EXPECT_TRUE(CounterBox(outer, c.place, c.textWidth, 13, box));
        EXPECT_EQ(box, c.box) << "place " << c.place << " width " << c.textWidth;
    }
    CRectPx box{1, 2, 3, 4};
    EXPECT_FALSE(CounterBox(outer, 8, 8, 13, box));
    EXPECT_FALSE(CounterBox(outer, -1, 8, 13, box));
    EXPECT_EQ(box, CRectPx{});
}

namespace {

struct CounterFixture
{
    CElement a, b;
    CLink link;
    CRelationCounter counter;
    CounterFixture()
    {
        a.name = "Pumps";
        b.name = "Motors";
        a.enabled = b.enabled = 1;
        link.first = &a;
        link.second = &b;
        link.kind = 2;
        counter.link = &link;
    }
};

} // namespace

TEST(PageGeometry, CounterColoursByState)
{
    struct Case
    {
        const char* what;
        bool secondEnabled;
        int secondType;
        int relations;
        int error;
        const char* background;
        const char* text;
    };
    const Case cases[] = {
        {"counted", true, 0, 3, 0, "BACKGROUND RELATION", "TEXT RELATION"},
        {"counted, old error", true, 0, 3, 1, "BACKGROUND RELATION", "TEXT RELATION"},
        {"none found", true, 0, 0, 0, "BACKGROUND DISABLED RELATION", "TEXT DISABLED"},
        {"file not found", true, 0, 0, 1, "BACKGROUND ERROR", "TEXT ERROR"},
        {"not counted, error", true, 0, -1, 1, "BACKGROUND ERROR", "TEXT ERROR"},
        {"end disabled", false, 0, 3, 1, "BACKGROUND DISABLED RELATION", "TEXT DISABLED"},
        {"end is a jump", true, 1, 3, 0, "BACKGROUND DISABLED RELATION", "TEXT DISABLED"},
    };
    for (const Case& c : cases) {
        CounterFixture f;
        f.b.enabled = c.secondEnabled;
        f.b.type = c.secondType;
        f.counter.relations = c.relations;
        f.link.errorFlag = c.error;
        const CCounterColorKeys keys = CounterColorKeys(f.counter);
        EXPECT_STREQ(keys.background, c.background) << c.what;
        EXPECT_STREQ(keys.text, c.text) << c.what;
    }
    CRelationCounter orphan;
    orphan.relations = 4;
    EXPECT_STREQ(CounterColorKeys(orphan).background, "BACKGROUND DISABLED RELATION");
}

TEST(PageGeometry, CurrentElementMarkIsTheEightLineTriangle)
{
    const CRectPx shrunk{50, 60, 120, 90};
    CRectPx rows[7];
    CurrentElementMark(shrunk, rows);
    // Line i from (left + 2, top + 1 + i) towards (left + 2 + i, top + 1), end pixel excluded.
    Pixels expected;
    for (int i = 0; i < 8; ++i)
        for (int j = 0; j < i; ++j)
            expected.insert({shrunk.left + 2 + j, shrunk.top + 1 + i - j});
    EXPECT_EQ(Rasterise(std::vector<CRectPx>(std::begin(rows), std::end(rows))), expected);
    EXPECT_EQ(expected.size(), 28u);
}

TEST(PageGeometry, GroupToolBandCoversTheArrow)
{
    CGroup group;
    group.arrowX = 10;
    group.arrowY = 4;
    group.arrowCode = 5; // north to south
    group.arrowLength = 9;
    // Origin (80, 28), 63 pixels down; one cell behind, two cells either side.
    EXPECT_EQ(GroupToolBand(group, kCells), (CRectPx{64, 21, 97, 92}));
    group.arrowCode = 11; // east to west
    EXPECT_EQ(GroupToolBand(group, kCells), (CRectPx{8, 14, 89, 43}));
    group.arrowCode = 0;
    EXPECT_EQ(GroupToolBand(group, kCells), CRectPx{});
}

TEST(PageGeometry, ToolTipTexts)
{
    CElement normal, jump;
    normal.name = "Pumps";
    jump.name = "Drives";
    jump.type = 1;
    EXPECT_EQ(ElementToolTip(normal, false), "Pumps");
    EXPECT_EQ(ElementToolTip(normal, true), "Pumps = Element");
    EXPECT_EQ(ElementToolTip(jump, true), "Drives = Jump");

    CSymbol symbol;
    symbol.kind = 4;
    EXPECT_EQ(SymbolToolTip(symbol, false), "IS LOCATED IN");
    EXPECT_EQ(SymbolToolTip(symbol, true), "IS LOCATED IN = Relation Type");
    EXPECT_EQ(GroupToolTip(), "IS A/IS AN");

    struct Case
    {
        int relations, error;
        bool details;
        const char* text;
    };
    const Case cases[] = {
        {12, 0, true, "Pumps USES Motors = 12 Relations"},
        {0, 1, true, "Pumps USES Motors = File Not Found"},
        {0, 0, true, "Pumps USES Motors = No Relations"},
        {-1, 0, true, "Pumps USES Motors = No Relations"},
        {12, 0, false, "Pumps USES Motors"},
    };
    for (const Case& c : cases) {
        CounterFixture f;
        f.counter.relations = c.relations;
        f.link.errorFlag = c.error;
        EXPECT_EQ(CounterToolTip(f.counter, c.details), c.text);
    }
}

TEST(PageGeometry, HugeGridValuesAreClampedNotOverflowed)
{
    CPage page;
    page.modelWidth = INT_MAX;
    page.elementWidth = INT_MAX;
    page.elementHeight = 4;
    CElement& e = AddElement(page, "A", INT_MAX, 0);
    EXPECT_EQ(PagePixelWidth(page, kCells), 1 << 29);
    EXPECT_EQ(ElementRect(page, e, kCells).right, 1 << 29);
    std::vector<CRectPx> rects;
    EXPECT_EQ(ArrowFigure({INT_MAX, 0, 4, INT_MAX, 0, 1, 6}, kCells, rects),
              (CGridPoint{INT_MAX, 0}));
    // INT_MIN - INT_MIN would overflow: the length counts as -INT_MAX.
    EXPECT_EQ(ArrowFigure({INT_MIN, 0, 12, INT_MIN, 0, 1, 6}, kCells, rects).x, -1);
}
