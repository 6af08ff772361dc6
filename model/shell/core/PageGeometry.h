#pragma once

// Geometry of a model page: cell size, element, group and symbol rectangles, the pixels of an
// arrow, relation counter boxes and colours, tool-tip texts. Qt-free, so the page painter,
// the page widget (hit testing, tool tips) and the tests all share one set of numbers.
//
// Grid units come from a hand-written file; every product of grid units and cell sizes is
// computed wide and clamped to +-2^29 pixels, so no value overflows and sums of two stay in
// range.
//
// Rectangles are CRectPx with left/top inclusive and right/bottom exclusive, as the platform's
// rectangles are: a rectangle (2, 3, 5, 4) covers the pixels x = 2, 3, 4 on row y = 3.

#include "ModelTypes.h"
#include "StatusProgress.h"

#include <string>
#include <vector>

// Measures texts in the model font. The painter implements it with font metrics; tests use a
// fixed-width fake.
class ITextMeasure
{
public:
    virtual ~ITextMeasure() = default;
    // Width in pixels of the bytes as read from the model file (decoded for display).
    virtual int TextWidth(const std::string& text) const = 0;
    // The font's height (ascent + descent), the platform's tmHeight.
    virtual int TextHeight() const = 0;
    // The font's average character width.
    virtual int AverageCharWidth() const = 0;
};

// What one page view needs to turn grid units into pixels.
struct CCellMetrics
{
    int cellWidth = 1;  // one grid unit across, pixels
    int cellHeight = 1; // one grid unit down, pixels
    int textHeight = 0; // tmHeight of the model font; sizes the relation symbols
    bool operator==(const CCellMetrics&) const = default;
};

// A point in grid units.
struct CGridPoint
{
    int x = 0;
    int y = 0;
    bool operator==(const CGridPoint&) const = default;
};

// Number of characters of a name as shown: code points of its decoded text.
int DisplayLength(const std::string& text);

// Cell width = widest element name in pixels / longest name in characters, rounded up; cell
// height = tmHeight / 2, rounded up. When no element name has a character (or the page has
// no elements) the cell width is the font's average character width. Both are at least 1, so
// a degenerate font never yields an empty page.
CCellMetrics ComputeCellMetrics(const CPage& page, const ITextMeasure& measure);

// The page's full size in pixels: model width x cell width, model height x cell height.
int PagePixelWidth(const CPage& page, const CCellMetrics& cells);
int PagePixelHeight(const CPage& page, const CCellMetrics& cells);

// The element's box: (cw*x + 1, ch*y + 1, cw*(x + element width), ch*(y + element height)).
// Drawing and hit testing both use it (shifted by the scroll position).
CRectPx ElementRect(const CPage& page, const CElement& element, const CCellMetrics& cells);

// The union of the group's children's element rectangles grown by one cell on every side.
// A group without children gives an empty rectangle (all zero).
CRectPx GroupRect(const CPage& page, const CGroup& group, const CCellMetrics& cells);

// The grid: vertical lines at x = k*cw (k = 1, 2, ...) up to the page width and one at the
// page width; horizontal lines likewise. No line at 0; a line is never listed twice.
void GridLines(int pageWidth, int pageHeight, const CCellMetrics& cells, std::vector<int>& xs,
               std::vector<int>& ys);

// One arrow: a start point in grid units, a code 1..16 (direction and heads), a length in grid
// units, the half-cell shift flag, the half-thickness of the shaft and the head size.
struct CArrowSpec
{
    int x = 0, y = 0;
    int code = 0;
    int length = 0;
    int halfCell = 0;
    int halfThickness = 1;
    int headSize = 6;
};

// The pixels of an arrow as filled rectangles, written into rects (cleared first, so a caller
// can reuse one buffer for a whole page). The shaft is one rectangle; each head is one
// rectangle per pixel column (or row) across the direction of travel. Returns the arrow's end
// point in grid units. A code outside 1..16 gives no rectangles and the point (0, 0).
CGridPoint ArrowFigure(const CArrowSpec& arrow, const CCellMetrics& cells,
                       std::vector<CRectPx>& rects);

// Arrow geometry shared by the groups and the links of a page.
constexpr int kGroupArrowHalfThickness = 3;
constexpr int kLinkArrowHalfThickness = 1;
constexpr int kArrowHeadSize = 6;

// The pixel centre of a symbol (shifted by half a cell height per set shift flag).
void SymbolCentre(const CSymbol& symbol, const CCellMetrics& cells, int& cx, int& cy);
// The square its letter is centred in: centre -r .. centre +r (inclusive), r = tmHeight / 2.
CRectPx SymbolInnerSquare(const CSymbol& symbol, const CCellMetrics& cells);
// The square that is drawn: centre -R .. centre +R (inclusive), R = r * 3 / 2.
CRectPx SymbolOuterSquare(const CSymbol& symbol, const CCellMetrics& cells);

// The box of a relation counter at place 0..7 (N, NE, E, SE, S, SW, W, NW) around a symbol's
// outer square, for a counter text of extent (textWidth, textHeight). Grown by 2 pixels left
// and right and 1 above and below, one more on the right when the text is wider than the
// square. False (box left empty) for a place outside 0..7: such a counter is not drawn.
bool CounterBox(const CRectPx& outer, int place, int textWidth, int textHeight, CRectPx& box);

// A counter's relation is valid when the counter has a link whose both ends are enabled
// normal elements (the links whose relation files are read at all); it is in error when the
// link's relation file could not be read while counting (the link's error flag).
bool CounterRelationValid(const CRelationCounter& counter);
bool CounterRelationInError(const CRelationCounter& counter);

// How a counter is coloured: valid with at least one relation; else valid and in error; else
// disabled.
enum class ECounterState
{
    Relations,
    Error,
    Disabled
};
ECounterState CounterState(const CRelationCounter& counter);

// Colour-table keys of a counter box.
struct CCounterColorKeys
{
    const char* background;
    const char* text;
};
// Relations: "BACKGROUND RELATION"/"TEXT RELATION"; Error: "BACKGROUND ERROR"/"TEXT ERROR";
// Disabled: "BACKGROUND DISABLED RELATION"/"TEXT DISABLED".
CCounterColorKeys CounterColorKeys(ECounterState state);
inline CCounterColorKeys CounterColorKeys(const CRelationCounter& counter)
{
    return CounterColorKeys(CounterState(counter));
}

// The current-element mark: a small triangle in the top-left corner of the (once shrunk)
// element rectangle, as seven horizontal runs of pixels (rows top+2 .. top+8).
void CurrentElementMark(const CRectPx& shrunk, CRectPx (&rows)[7]);

// Tool area of a group: the band along its arrow for the arrow's length, widened by two cells
// on each side and lengthened by one cell behind the start. Empty for a code outside 1..16.
CRectPx GroupToolBand(const CGroup& group, const CCellMetrics& cells);

// Tool-tip texts. With details: an element's name + " = Element" / " = Jump"; a symbol's kind
// name + " = Relation Type"; a counter's "FIRST KIND SECOND" + " = N Relations", " = File Not
// Found" (valid and in error) or " = No Relations". A group's text is "IS A/IS AN".
std::string ElementToolTip(const CElement& element, bool details);
std::string SymbolToolTip(const CSymbol& symbol, bool details);
std::string GroupToolTip();
std::string CounterToolTip(const CRelationCounter& counter, bool details);
