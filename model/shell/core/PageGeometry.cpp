#include "PageGeometry.h"

#include "text/TextDecode.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace {

constexpr long long kPixelLimit = 1LL << 29;

// a * b in pixels, clamped to +-2^29.
int Scale(long long a, long long b)
{
    return static_cast<int>(std::clamp(a * b, -kPixelLimit, kPixelLimit));
}

// a + b in grid units, clamped to the range of int.
int AddGrid(int a, int b)
{
    return static_cast<int>(std::clamp<long long>(1LL * a + b, INT_MIN, INT_MAX));
}

} // namespace

int DisplayLength(const std::string& text)
{
    const std::string decoded = platform::DecodeToUtf8(text);
    int count = 0;
    for (unsigned char c : decoded) {
        if ((c & 0xC0) != 0x80) // not a continuation byte: one code point starts here
            ++count;
    }
    return count;
}

CCellMetrics ComputeCellMetrics(const CPage& page, const ITextMeasure& measure)
{
    int widest = 0;
    int longest = 0;
    for (const auto& element : page.elements) {
        widest = std::max(widest, measure.TextWidth(element->name));
        longest = std::max(longest, DisplayLength(element->name));
    }
    CCellMetrics cells;
    cells.textHeight = measure.TextHeight();
    if (longest > 0)
        cells.cellWidth = (widest + longest - 1) / longest;
    else
        cells.cellWidth = measure.AverageCharWidth();
    cells.cellHeight = (cells.textHeight + 1) / 2;
    cells.cellWidth = std::max(cells.cellWidth, 1);
    cells.cellHeight = std::max(cells.cellHeight, 1);
    return cells;
}

int PagePixelWidth(const CPage& page, const CCellMetrics& cells)
{
    return Scale(page.modelWidth, cells.cellWidth);
}

int PagePixelHeight(const CPage& page, const CCellMetrics& cells)
{
    return Scale(page.modelHeight, cells.cellHeight);
}

CRectPx ElementRect(const CPage& page, const CElement& element, const CCellMetrics& cells)
{
    return CRectPx{Scale(cells.cellWidth, element.x) + 1, Scale(cells.cellHeight, element.y) + 1,
                   Scale(cells.cellWidth, 1LL * element.x + page.elementWidth),
                   Scale(cells.cellHeight, 1LL * element.y + page.elementHeight)};
}

CRectPx GroupRect(const CPage& page, const CGroup& group, const CCellMetrics& cells)
{
    CRectPx united;
    bool first = true;
    for (const CElement* child : group.children) {
        if (!child)
            continue;
        const CRectPx r = ElementRect(page, *child, cells);
        if (first) {
            united = r;
            first = false;
        } else {
            united.left = std::min(united.left, r.left);
            united.top = std::min(united.top, r.top);
            united.right = std::max(united.right, r.right);
            united.bottom = std::max(united.bottom, r.bottom);
        }
    }
    if (first)
        return CRectPx{};
    united.left -= cells.cellWidth;
    united.right += cells.cellWidth;
    united.top -= cells.cellHeight;
    united.bottom += cells.cellHeight;
    return united;
}

void GridLines(int pageWidth, int pageHeight, const CCellMetrics& cells, std::vector<int>& xs,
               std::vector<int>& ys)
{
    auto lines = [](int extent, int step, std::vector<int>& out) {
        out.clear();
        if (extent <= 0 || step <= 0)
            return;
        for (int v = step; v <= extent; v += step)
            out.push_back(v);
        if (out.empty() || out.back() != extent)
            out.push_back(extent);
    };
    lines(pageWidth, cells.cellWidth, xs);
    lines(pageHeight, cells.cellHeight, ys);
}

namespace {

// Direction of an arrow code: along +x, +y, -x or -y.
enum class Direction
{
    East,
    South,
    West,
    North
};

// Adds the pixels at distances kFrom..kTo along the arrow, each spanning lo..hi across it
// (all inclusive), as one rectangle.
void AddAcross(std::vector<CRectPx>& rects, Direction dir, int originX, int originY, int kFrom,
               int kTo, int lo, int hi)
{
    if (kTo < kFrom || hi < lo)
        return;
    switch (dir) {
    case Direction::East:
        rects.push_back({originX + kFrom, originY + lo, originX + kTo + 1, originY + hi + 1});
        break;
    case Direction::West:
        rects.push_back({originX - kTo, originY + lo, originX - kFrom + 1, originY + hi + 1});
        break;
    case Direction::South:
        rects.push_back({originX + lo, originY + kFrom, originX + hi + 1, originY + kTo + 1});
        break;
    case Direction::North:
        rects.push_back({originX + lo, originY - kTo, originX + hi + 1, originY - kFrom + 1});
        break;
    }
}

bool Horizontal(Direction dir)
{
    return dir == Direction::East || dir == Direction::West;
}

// Pixel origin of an arrow: the start point, moved across the direction of travel by half a
// cell height when the half-cell flag is 1.
void ArrowOrigin(const CArrowSpec& arrow, Direction dir, const CCellMetrics& cells, int& x, int& y)
{
    x = Scale(arrow.x, cells.cellWidth);
    y = Scale(arrow.y, cells.cellHeight);
    if (arrow.halfCell == 1) {
        if (Horizontal(dir))
            y += cells.cellHeight / 2;
        else
            x += cells.cellHeight / 2;
    }
}

} // namespace

CGridPoint ArrowFigure(const CArrowSpec& arrow, const CCellMetrics& cells,
                       std::vector<CRectPx>& rects)
{
    rects.clear();
    if (arrow.code < 1 || arrow.code > 16)
        return CGridPoint{};
    const Direction dir = static_cast<Direction>((arrow.code - 1) / 4);
    const int heads = (arrow.code - 1) % 4; // 0 end, 1 start, 2 both, 3 none
    const bool startHead = heads == 1 || heads == 2;
    const bool endHead = heads == 0 || heads == 2;

    int x0 = 0, y0 = 0;
    ArrowOrigin(arrow, dir, cells, x0, y0);
    const int len = Scale(arrow.length, Horizontal(dir) ? cells.cellWidth : cells.cellHeight);
    const int h = arrow.headSize;
    const int c = arrow.halfThickness;

    if (startHead) {
        for (int k = 0; k < h; ++k)
            AddAcross(rects, dir, x0, y0, k, k, -(h - k), h - k);
    }
    AddAcross(rects, dir, x0, y0, startHead ? h : 0, endHead ? len - h - 1 : len, -c, c);
    if (endHead) {
        // The half-length starts at h and shrinks by one per step: a point at k = len.
        for (int k = len - h; k <= len; ++k)
            AddAcross(rects, dir, x0, y0, k, k, -(len - k), len - k);
    }

    switch (dir) {
    case Direction::East:
        return {AddGrid(arrow.x, arrow.length), arrow.y};
    case Direction::South:
        return {arrow.x, AddGrid(arrow.y, arrow.length)};
    case Direction::West:
        return {AddGrid(arrow.x, -std::max(arrow.length, -INT_MAX)), arrow.y};
    case Direction::North:
        return {arrow.x, AddGrid(arrow.y, -std::max(arrow.length, -INT_MAX))};
    }
    return CGridPoint{};
}

void SymbolCentre(const CSymbol& symbol, const CCellMetrics& cells, int& cx, int& cy)
{
    const int half = cells.cellHeight / 2;
    cx = Scale(symbol.x, cells.cellWidth) + (symbol.hShift == 1 ? half : 0);
    cy = Scale(symbol.y, cells.cellHeight) + (symbol.vShift == 1 ? half : 0);
}

namespace {

CRectPx SquareAround(int cx, int cy, int radius)
{
    return CRectPx{cx - radius, cy - radius, cx + radius + 1, cy + radius + 1};
}

} // namespace

CRectPx SymbolInnerSquare(const CSymbol& symbol, const CCellMetrics& cells)
{
    int cx = 0, cy = 0;
    SymbolCentre(symbol, cells, cx, cy);
    return SquareAround(cx, cy, cells.textHeight / 2);
}

CRectPx SymbolOuterSquare(const CSymbol& symbol, const CCellMetrics& cells)
{
    int cx = 0, cy = 0;
    SymbolCentre(symbol, cells, cx, cy);
    return SquareAround(cx, cy, cells.textHeight / 2 * 3 / 2);
}

bool CounterBox(const CRectPx& outer, int place, int textWidth, int textHeight, CRectPx& box)
{
    const int l = outer.left, t = outer.top, r = outer.right, b = outer.bottom;
    const int w = textWidth, h = textHeight;
    const int wide = std::max(w, r - l);
    int left = 0, top = 0;
    switch (place) {
    case 0:
        left = l + (r - l) / 2 - wide / 2;
        top = t - h - 3;
        break;
    case 1:
        left = r + 2;
        top = t - h - 1;
        break;
    case 2:
        left = r + 3;
        top = t + (b - t) / 2 - h / 2;
        break;
    case 3:
        left = r + 2;
        top = b + 1;
        break;
    case 4:
        left = l + (r - l) / 2 - wide / 2;
        top = b + 3;
        break;
    case 5:
        left = l - wide - 3;
        top = b + 1;
        break;
    case 6:
        // Right edge at l - 4 before growing, whatever the text's width.
        left = l - wide - 4;
        top = t + (b - t) / 2 - h / 2;
        break;
    case 7:
        left = l - wide - 3;
        top = t - h - 1;
        break;
    default:
        box = CRectPx{};
        return false;
    }
    box = CRectPx{left - 2, top - 1, left + wide + 2, top + h + 1};
    if (r - l < wide)
        box.right += 1;
    return true;
}

bool CounterRelationValid(const CRelationCounter& counter)
{
    return counter.link && counter.link->IsRelationCapable();
}

bool CounterRelationInError(const CRelationCounter& counter)
{
    return counter.link && counter.link->errorFlag != 0;
}

ECounterState CounterState(const CRelationCounter& counter)
{
    const bool valid = CounterRelationValid(counter);
    if (valid && counter.relations >= 1)
        return ECounterState::Relations;
    if (valid && CounterRelationInError(counter))
        return ECounterState::Error;
    return ECounterState::Disabled;
}

CCounterColorKeys CounterColorKeys(ECounterState state)
{
    switch (state) {
    case ECounterState::Relations:
        return {"BACKGROUND RELATION", "TEXT RELATION"};
    case ECounterState::Error:
        return {"BACKGROUND ERROR", "TEXT ERROR"};
    case ECounterState::Disabled:
        break;
    }
    return {"BACKGROUND DISABLED RELATION", "TEXT DISABLED"};
}

void CurrentElementMark(const CRectPx& shrunk, CRectPx (&rows)[7])
{
    // Eight lines from (left + 2, top + 1 + i) to (left + 2 + i, top + 1), each without its
    // end pixel, fill the rows top + 2 .. top + 8 with 7, 6, ... 1 pixels from left + 2.
    for (int dy = 1; dy <= 7; ++dy) {
        const int y = shrunk.top + 1 + dy;
        rows[dy - 1] = CRectPx{shrunk.left + 2, y, shrunk.left + 2 + 8 - dy, y + 1};
    }
}

CRectPx GroupToolBand(const CGroup& group, const CCellMetrics& cells)
{
    if (group.arrowCode < 1 || group.arrowCode > 16)
        return CRectPx{};
    const Direction dir = static_cast<Direction>((group.arrowCode - 1) / 4);
    CArrowSpec arrow;
    arrow.x = group.arrowX;
    arrow.y = group.arrowY;
    arrow.halfCell = group.halfCell;
    int x = 0, y = 0;
    ArrowOrigin(arrow, dir, cells, x, y);
    const int cw = cells.cellWidth, ch = cells.cellHeight;
    const int len = Scale(group.arrowLength, Horizontal(dir) ? cw : ch);
    int x1 = 0, x2 = 0, y1 = 0, y2 = 0; // inclusive corners before ordering
    switch (dir) {
    case Direction::East:
        x1 = x - cw, x2 = x + len, y1 = y - 2 * ch, y2 = y + 2 * ch;
        break;
    case Direction::West:
        x1 = x + cw, x2 = x - len, y1 = y - 2 * ch, y2 = y + 2 * ch;
        break;
    case Direction::South:
        y1 = y - ch, y2 = y + len, x1 = x - 2 * cw, x2 = x + 2 * cw;
        break;
    case Direction::North:
        y1 = y + ch, y2 = y - len, x1 = x - 2 * cw, x2 = x + 2 * cw;
        break;
    }
    return CRectPx{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2) + 1, std::max(y1, y2) + 1};
}

std::string ElementToolTip(const CElement& element, bool details)
{
    std::string text = element.name;
    if (details)
        text += element.IsJump() ? " = Jump" : " = Element";
    return text;
}

std::string SymbolToolTip(const CSymbol& symbol, bool details)
{
    std::string text = LinkKindName(symbol.kind);
    if (details)
        text += " = Relation Type";
    return text;
}

std::string GroupToolTip()
{
    return "IS A/IS AN";
}

std::string CounterToolTip(const CRelationCounter& counter, bool details)
{
    const CLink* link = counter.link;
    std::string text = link && link->first ? link->first->name : std::string();
    text += ' ';
    text += link ? LinkKindName(link->kind) : std::string();
    text += ' ';
    text += link && link->second ? link->second->name : std::string();
    if (details) {
        if (counter.relations > 0)
            text += " = " + std::to_string(counter.relations) + " Relations";
        else if (CounterRelationValid(counter) && CounterRelationInError(counter))
            text += " = File Not Found";
        else
            text += " = No Relations";
    }
    return text;
}
