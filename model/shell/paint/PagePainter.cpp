#include "PagePainter.h"

#include "text/TextDecode.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QPageSize>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QSaveFile>

#include <algorithm>
#include <cstdlib>
#include <functional>

QColor ToQColor(ColorRef color)
{
    return QColor(RedOf(color), GreenOf(color), BlueOf(color));
}

QString DisplayText(const std::string& bytes)
{
    return QString::fromStdString(platform::DecodeToUtf8(bytes));
}

namespace {

bool IsUiFaceName(const std::string& face)
{
    return face.empty() || QString::fromStdString(face).compare(QLatin1String(kUiFontFaceName),
                                                                Qt::CaseInsensitive) == 0;
}

QFont::StyleHint StyleHintOf(std::uint8_t pitchAndFamily)
{
    switch (pitchAndFamily & 0xF0) {
    case 0x10: // roman
        return QFont::Serif;
    case 0x20: // swiss
        return QFont::SansSerif;
    case 0x30: // modern
        return QFont::Monospace;
    case 0x40: // script
        return QFont::Cursive;
    case 0x50: // decorative
        return QFont::Decorative;
    default:
        return QFont::AnyStyle;
    }
}

// A shade of colour that stands out from it: a third darker on a light colour, half way to
// white on a dark one.
QColor ContrastingShade(const QColor& colour)
{
    if (colour.lightness() >= 128)
        return QColor(colour.red() * 2 / 3, colour.green() * 2 / 3, colour.blue() * 2 / 3);
    return QColor(colour.red() + (255 - colour.red()) / 2,
                  colour.green() + (255 - colour.green()) / 2,
                  colour.blue() + (255 - colour.blue()) / 2);
}

QRect ToQRect(const CRectPx& r)
{
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

// Link and symbol kinds 1..4 (P, U, I, L) as colour indices; 4 is the "none" link colour.
int KindIndex(int kind)
{
    return kind >= 1 && kind <= 4 ? kind - 1 : 4;
}

QStaticText MakeStaticText(const QString& text, const QFont& font)
{
    QStaticText laidOut(text);
    laidOut.setTextFormat(Qt::PlainText);
    laidOut.setPerformanceHint(QStaticText::AggressiveCaching);
    laidOut.prepare(QTransform(), font);
    return laidOut;
}

QImage GroupTile()
{
    QImage tile(8, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const bool dark = (((x - y) % 4) + 4) % 4 == 1;
            tile.setPixel(x, y, dark ? qRgb(128, 128, 128) : qRgb(192, 192, 192));
        }
    }
    return tile;
}

// White on the pixels whose x + y is even, black elsewhere: XOR-ed onto a border it inverts
// every other pixel, the dotted focus rectangle.
QImage FocusTile()
{
    QImage tile(2, 2, QImage::Format_RGB32);
    tile.setPixel(0, 0, qRgb(255, 255, 255));
    tile.setPixel(1, 1, qRgb(255, 255, 255));
    tile.setPixel(1, 0, qRgb(0, 0, 0));
    tile.setPixel(0, 1, qRgb(0, 0, 0));
    return tile;
}

} // namespace

QFont FontFromRecord(const CFontRecord& record)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    if (!IsUiFaceName(record.faceName))
        font.setFamilies({DisplayText(record.faceName)});
    const int points = std::abs(record.height);
    if (points > 0)
        font.setPointSize(points);
    font.setWeight(record.weight <= 0
                       ? QFont::Normal
                       : static_cast<QFont::Weight>(std::clamp(record.weight, 1, 1000)));
    font.setItalic(record.italic != 0);
    font.setUnderline(record.underline != 0);
    font.setStrikeOut(record.strikeOut != 0);
    if ((record.pitchAndFamily & 0x03) == 1) // fixed pitch
        font.setFixedPitch(true);
    const QFont::StyleHint hint = StyleHintOf(record.pitchAndFamily);
    if (hint != QFont::AnyStyle)
        font.setStyleHint(hint);
    return font;
}

CFontRecord RecordFromFont(const QFont& font, const CFontRecord& previous)
{
    return RecordFromFont(font, previous, FontFromRecord(previous));
}

CFontRecord RecordFromFont(const QFont& font, const CFontRecord& previous, const QFont& before)
{
    CFontRecord record = previous;
    if (font.family() != before.family()) {
        std::string face = font.family().toStdString();
        if (face.size() > 31)
            face.resize(31);
        record.faceName = face;
    }
    const int points = font.pointSize();
    if (points > 0 && points != before.pointSize())
        record.height = previous.height < 0 ? -points : points;
    if (font.weight() != before.weight())
        record.weight = font.weight();
    if (font.italic() != before.italic())
        record.italic = font.italic() ? 1 : 0;
    if (font.underline() != before.underline())
        record.underline = font.underline() ? 1 : 0;
    if (font.strikeOut() != before.strikeOut())
        record.strikeOut = font.strikeOut() ? 1 : 0;
    return record;
}

QFont DrawnFontOf(const CFontRecord& record)
{
    const QFont wanted = FontFromRecord(record);
    const QFontInfo drawn(wanted);
    QFont font = QFontDatabase::font(drawn.family(), drawn.styleName(), drawn.pointSize());
    if (font.family() != drawn.family()) { // the database does not know the match by name
        font = wanted;
        font.setFamilies({drawn.family()});
    }
    font.setUnderline(wanted.underline());
    font.setStrikeOut(wanted.strikeOut());
    return font;
}

void AddDefaultColors(CColorTable& table)
{
    for (const auto& item : CColorTable::NamedItems())
        table.Add(item.key, item.defaultValue, item.defaultValue, "", CColorTable::FlagNamed);
    for (const auto& item : CColorTable::StoredItems()) {
        table.Add(item.key, item.defaultValue, item.defaultValue,
                  item.displayName ? item.displayName : "", 0);
    }
}

// ---------------------------------------------------------------------------------------
// CFontTextMeasure

CFontTextMeasure::CFontTextMeasure(const QFont& font, const QPaintDevice* device)
    : m_metrics(font, device)
{
}

int CFontTextMeasure::TextWidth(const std::string& text) const
{
    return m_metrics.horizontalAdvance(DisplayText(text));
}

int CFontTextMeasure::TextHeight() const
{
    return m_metrics.height();
}

int CFontTextMeasure::AverageCharWidth() const
{
    return m_metrics.averageCharWidth();
}

// ---------------------------------------------------------------------------------------
// CPagePainter

CPagePainter::CPagePainter(const CColorTable& colors)
    : m_colors(colors), m_metrics(m_font), m_groupBrush(GroupTile()), m_focusBrush(FocusTile())
{
    SetFont(m_font);
}

void CPagePainter::SetFont(const QFont& font)
{
    m_font = font;
    m_metrics = QFontMetrics(m_font);
    m_namesPage = nullptr;
    m_numbers.clear();
    static const char* const letters[4] = {"P", "U", "I", "L"};
    for (int i = 0; i < 4; ++i)
        m_letters[i] = MakeStaticText(QLatin1String(letters[i]), m_font);
}

CCellMetrics CPagePainter::Layout(const CPage& page, const QPaintDevice* device)
{
    m_metrics = QFontMetrics(m_font, device);
    m_numbers.clear();
    m_cells = ComputeCellMetrics(page, CFontTextMeasure(m_font, device));
    m_namesPage = nullptr;
    PrepareNames(page);
    return m_cells;
}

QSize CPagePainter::PageSize(const CPage& page) const
{
    return QSize(PagePixelWidth(page, m_cells), PagePixelHeight(page, m_cells));
}

void CPagePainter::PrepareNames(const CPage& page)
{
    if (m_namesPage == &page && m_names.size() == page.elements.size())
        return;
    m_names.clear();
    m_names.resize(page.elements.size());
    for (std::size_t i = 0; i < page.elements.size(); ++i) {
        NameText& name = m_names[i];
        name.text = DisplayText(page.elements[i]->name);
        name.mnemonic = name.text.contains(QLatin1Char('&'));
        if (!name.mnemonic)
            name.laidOut = MakeStaticText(name.text, m_font);
    }
    m_namesPage = &page;
}

void CPagePainter::ResolvePalette()
{
    auto brush = [this](const char* key) {
        return m_colors.Has(key) ? QBrush(ToQColor(m_colors.Color(key))) : QBrush();
    };
    auto pen = [this](const char* key) { return QPen(ToQColor(m_colors.Color(key))); };
    auto color = [this](const char* key) {
        return m_colors.Has(key) ? ToQColor(m_colors.Color(key)) : QColor();
    };
    Palette& p = m_palette;
    p.background = brush("BACKGROUND MODEL VIEW");
    p.element = brush("BACKGROUND ELEMENT");
    p.relation = brush("BACKGROUND RELATION");
    static const char* const linkBackgrounds[5] = {"BACKGROUND LINK P", "BACKGROUND LINK U",
                                                   "BACKGROUND LINK I", "BACKGROUND LINK L",
                                                   "BACKGROUND LINK N"};
    static const char* const linkTexts[4] = {"TEXT LINK P", "TEXT LINK U", "TEXT LINK I",
                                             "TEXT LINK L"};
    for (int i = 0; i < 5; ++i)
        p.linkBackground[i] = brush(linkBackgrounds[i]);
    for (int i = 0; i < 4; ++i)
        p.linkText[i] = pen(linkTexts[i]);
    for (ECounterState state :
         {ECounterState::Relations, ECounterState::Error, ECounterState::Disabled}) {
        const CCounterColorKeys keys = CounterColorKeys(state);
        p.counterBackground[static_cast<int>(state)] = brush(keys.background);
        p.counterText[static_cast<int>(state)] = pen(keys.text);
    }
    p.gridColor = color("TEXT DISABLED");
    // "Disabled Text" is the model background by default: a grid in it would not show.
    const QColor background = color("BACKGROUND MODEL VIEW");
    if (p.gridColor.isValid() && p.gridColor == background)
        p.gridColor = ContrastingShade(background);
    p.markColor = color("TEXT VISITED");
    p.textDisabled = pen("TEXT DISABLED");
    p.textVisited = pen("TEXT VISITED");
    p.textJump = pen("TEXT JUMP");
    p.textElement = pen("TEXT ELEMENT");
}

void CPagePainter::DrawCentred(QPainter& painter, const QRect& rect, const QStaticText& text)
{
    // Centred on one line like a text drawn with AlignCenter; clipped only when it overflows.
    const QSizeF size = text.size();
    const QPointF at(rect.x() + (rect.width() - size.width()) / 2,
                     rect.y() + (rect.height() - size.height()) / 2);
    if (size.width() <= rect.width() && size.height() <= rect.height()) {
        painter.drawStaticText(at, text);
        return;
    }
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    painter.drawStaticText(at, text);
    painter.restore();
}

void CPagePainter::FillRects(QPainter& painter, const QBrush& brush)
{
    if (brush.style() == Qt::NoBrush)
        return;
    for (const CRectPx& r : m_rects) {
        const QRect rect = ToQRect(r);
        if (rect.intersects(m_area))
            painter.fillRect(rect, brush);
    }
}

void CPagePainter::FillHatch(QPainter& painter, const QRegion& area)
{
    const QRect bounds = area.boundingRect();
    if (bounds.isEmpty() || !bounds.intersects(m_area))
        return;
    painter.save();
    painter.setClipRegion(area, Qt::IntersectClip);
    painter.fillRect(bounds, QColor(192, 192, 192));
    // The tile's dark pixels are those with (x - y) mod 4 = 1: bands x = y + c for every c
    // with c mod 4 = 1, each one pixel wide, running down to the right.
    const int top = bounds.top();
    const int bottom = bounds.bottom() + 1;
    int c = bounds.left() - bottom - 1;
    c -= ((c - 1) % 4 + 4) % 4;
    QPainterPath bands;
    for (; c <= bounds.right() - top; c += 4) {
        bands.moveTo(top + c, top);
        bands.lineTo(top + c + 1, top);
        bands.lineTo(bottom + c + 1, bottom);
        bands.lineTo(bottom + c, bottom);
        bands.closeSubpath();
    }
    painter.fillPath(bands, QColor(128, 128, 128));
    painter.restore();
}

void CPagePainter::DrawBox(QPainter& painter, const QRect& rect, const QBrush& brush)
{
    // A rectangle outlined with the one-pixel black pen and filled with brush inside.
    if (rect.width() <= 0 || rect.height() <= 0)
        return;
    const QRect inside = rect.adjusted(1, 1, -1, -1);
    if (inside.width() <= 0 || inside.height() <= 0) {
        painter.fillRect(rect, Qt::black);
        return;
    }
    if (brush.style() != Qt::NoBrush)
        painter.fillRect(inside, brush);
    painter.fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), Qt::black);
    painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), Qt::black);
    painter.fillRect(QRect(rect.left(), inside.top(), 1, inside.height()), Qt::black);
    painter.fillRect(QRect(rect.right(), inside.top(), 1, inside.height()), Qt::black);
}

void CPagePainter::DrawSelectionMark(QPainter& painter, const QRect& rect, bool conventional)
{
    if (rect.width() <= 0 || rect.height() <= 0)
        return;
    // Both marks invert pixels (XOR with white), so drawing one twice removes it; whole
    // pixels only, even on a smoothed page.
    const bool smooth = painter.testRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    if (!conventional) {
        painter.fillRect(rect, Qt::white);
    } else {
        const QPoint origin = painter.brushOrigin();
        painter.setBrushOrigin(rect.topLeft());
        painter.fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), m_focusBrush);
        if (rect.height() > 1)
            painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), m_focusBrush);
        if (rect.height() > 2) {
            painter.fillRect(QRect(rect.left(), rect.top() + 1, 1, rect.height() - 2),
                             m_focusBrush);
            if (rect.width() > 1)
                painter.fillRect(QRect(rect.right(), rect.top() + 1, 1, rect.height() - 2),
                                 m_focusBrush);
        }
        painter.setBrushOrigin(origin);
    }
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setRenderHint(QPainter::Antialiasing, smooth);
}

void CPagePainter::DrawArrow(QPainter& painter, const CArrowSpec& arrow, const QBrush& brush,
                             CGridPoint* end)
{
    const CGridPoint point = ArrowFigure(arrow, m_cells, m_rects);
    if (m_vector && &brush == &m_groupBrush) {
        QRegion area;
        for (const CRectPx& r : m_rects)
            area += ToQRect(r);
        FillHatch(painter, area);
    } else {
        FillRects(painter, brush);
    }
    if (end)
        *end = point;
}

const CPagePainter::NumberText& CPagePainter::Number(int value)
{
    auto it = m_numbers.find(value);
    if (it == m_numbers.end()) {
        if (m_numbers.size() > 4096) // numbers of earlier models
            m_numbers.clear();
        const QString text = QString::number(value);
        it = m_numbers
                 .emplace(value, NumberText{MakeStaticText(text, m_font),
                                            m_metrics.horizontalAdvance(text)})
                 .first;
    }
    return it->second;
}

int CPagePainter::DrawCounters(QPainter& painter, CSymbol& symbol, const CPageViewState& state)
{
    const CRectPx outer = SymbolOuterSquare(symbol, m_cells);
    const int textHeight = m_metrics.height();
    int drawn = 0;
    for (CRelationCounter& counter : symbol.counters) {
        CRectPx box;
        if (counter.relations < 0) {
            counter.rect = CRectPx{};
            continue;
        }
        const NumberText& number = Number(counter.relations);
        if (!CounterBox(outer, counter.place, number.width, textHeight, box)) {
            counter.rect = CRectPx{};
            continue;
        }
        counter.rect = box;
        ++drawn;
        const QRect rect = ToQRect(box);
        if (!rect.intersects(m_area))
            continue;
        const int stateIndex = static_cast<int>(CounterState(counter));
        DrawBox(painter, rect, m_palette.counterBackground[stateIndex]);
        painter.setPen(m_palette.counterText[stateIndex]);
        // Centred across, at the top of the box shrunk by one pixel.
        const QRect inside = rect.adjusted(1, 1, -1, -1);
        painter.drawStaticText(
            QPointF(inside.x() + (inside.width() - number.laidOut.size().width()) / 2, inside.y()),
            number.laidOut);
        if (&counter == state.focusedCounter && state.hasFocus && !state.elementMode)
            DrawSelectionMark(painter, rect.adjusted(2, 2, -2, -2), state.conventionalFocusRect);
    }
    return drawn;
}

int CPagePainter::Paint(QPainter& painter, CPage& page, const CPageViewState& state)
{
    const QSize size = PageSize(page);
    return Paint(painter, page, state, QRect(QPoint(0, 0), size));
}

int CPagePainter::Paint(QPainter& painter, CPage& page, const CPageViewState& state,
                        const QRect& eraseArea)
{
    ResolvePalette();
    PrepareNames(page);
    m_area = eraseArea;
    const QPaintEngine* engine = painter.paintEngine();
    m_vector =
        engine && (engine->type() == QPaintEngine::Pdf || engine->type() == QPaintEngine::Picture ||
                   engine->type() == QPaintEngine::SVG);
    const Palette& pal = m_palette;

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, state.smooth);
    painter.setBrushOrigin(0, 0);
    painter.setFont(m_font);
    painter.setBackgroundMode(Qt::TransparentMode);

    if (pal.background.style() != Qt::NoBrush)
        painter.fillRect(eraseArea, pal.background);

    // Grid: lines one pixel wide from the page's top (or left) edge to the page's size.
    if (state.drawGrid && pal.gridColor.isValid()) {
        const int width = PagePixelWidth(page, m_cells);
        const int height = PagePixelHeight(page, m_cells);
        GridLines(width, height, m_cells, m_gridX, m_gridY);
        for (int x : m_gridX)
            painter.fillRect(QRect(x, 0, 1, height), pal.gridColor);
        for (int y : m_gridY)
            painter.fillRect(QRect(0, y, width, 1), pal.gridColor);
    }

    for (const auto& group : page.groups) {
        const QRect area = ToQRect(GroupRect(page, *group, m_cells));
        if (m_vector)
            FillHatch(painter, QRegion(area));
        else if (area.intersects(m_area))
            painter.fillRect(area, m_groupBrush);
        DrawArrow(painter,
                  CArrowSpec{group->arrowX, group->arrowY, group->arrowCode, group->arrowLength,
                             group->halfCell, kGroupArrowHalfThickness, kArrowHeadSize},
                  m_groupBrush);
    }

    const bool markSelection = state.hasFocus && state.elementMode;
    for (std::size_t i = 0; i < page.elements.size(); ++i) {
        const CElement& element = *page.elements[i];
        const QRect rect = ToQRect(ElementRect(page, element, m_cells));
        if (!rect.intersects(m_area))
            continue;
        DrawBox(painter, rect, element.relationHighlight ? pal.relation : pal.element);
        const QRect inside = rect.adjusted(1, 1, -1, -1);
        if (&element == state.currentElement && pal.markColor.isValid()) {
            CRectPx rows[7];
            CurrentElementMark(
                CRectPx{inside.left(), inside.top(), inside.right() + 1, inside.bottom() + 1},
                rows);
            for (const CRectPx& row : rows)
                painter.fillRect(ToQRect(row), pal.markColor);
        }
        const QPen& text = !element.enabled   ? pal.textDisabled
                           : element.visited  ? pal.textVisited
                           : element.IsJump() ? pal.textJump
                                              : pal.textElement;
        painter.setPen(text);
        if (inside.width() > 0 && inside.height() > 0) {
            const NameText& name = m_names[i];
            if (name.mnemonic) {
                painter.drawText(
                    inside, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic, name.text);
            } else {
                DrawCentred(painter, inside, name.laidOut);
            }
        }
        if (markSelection && &element == state.selectedElement)
            DrawSelectionMark(painter, inside.adjusted(1, 1, -1, -1), state.conventionalFocusRect);
    }

    for (const auto& link : page.links) {
        const QBrush& brush = pal.linkBackground[KindIndex(link->kind)];
        CGridPoint point{link->startX, link->startY};
        for (const CSegment& segment : link->segments) {
            DrawArrow(painter,
                      CArrowSpec{point.x, point.y, segment.code, segment.length, link->halfCell,
                                 kLinkArrowHalfThickness, kArrowHeadSize},
                      brush, &point);
        }
    }

    int counters = 0;
    for (const auto& symbol : page.symbols) {
        const QRect square = ToQRect(SymbolOuterSquare(*symbol, m_cells));
        // The letter may stand out of a very small square by a pixel or two.
        if (symbol->kind >= 1 && symbol->kind <= 4 &&
            square.adjusted(-4, -4, 4, 4).intersects(m_area)) {
            DrawBox(painter, square, pal.linkBackground[symbol->kind - 1]);
            painter.setPen(pal.linkText[symbol->kind - 1]);
            const CRectPx inner = SymbolInnerSquare(*symbol, m_cells);
            const QSizeF size = m_letters[symbol->kind - 1].size();
            painter.drawStaticText(QPointF(inner.left + (inner.Width() - size.width()) / 2,
                                           inner.top + (inner.Height() - size.height()) / 2),
                                   m_letters[symbol->kind - 1]);
        }
        counters += DrawCounters(painter, *symbol, state);
    }

    painter.restore();
    return counters;
}

// ---------------------------------------------------------------------------------------
// Export

namespace {

// Sides up to 32767 pixels and at most 2^27 pixels (512 MB) in all.
constexpr int kMaxImageSide = 32767;
constexpr long long kMaxImagePixels = 1LL << 27;

void SetError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

} // namespace

QSize LayoutForExport(CPagePainter& painter, CPage& page, QString* error)
{
    // Measure with an image's resolution, so the cells fit the text drawn into it.
    const QImage probe(1, 1, QImage::Format_RGB32);
    painter.Layout(page, &probe);
    const QSize size = painter.PageSize(page);
    if (size.width() <= 0 || size.height() <= 0) {
        SetError(error, QStringLiteral("the page has no area (%1 x %2 pixels)")
                            .arg(size.width())
                            .arg(size.height()));
        return QSize();
    }
    return size;
}

QImage RenderPageImage(CPagePainter& painter, CPage& page, const CPageViewState& state,
                       QString* error)
{
    const QSize size = LayoutForExport(painter, page, error);
    if (size.isEmpty())
        return QImage();
    if (size.width() > kMaxImageSide || size.height() > kMaxImageSide ||
        1LL * size.width() * size.height() > kMaxImagePixels) {
        SetError(error, QStringLiteral("the page is too large to render (%1 x %2 pixels)")
                            .arg(size.width())
                            .arg(size.height()));
        return QImage();
    }
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull()) {
        SetError(error, QStringLiteral("not enough memory for an image of %1 x %2 pixels")
                            .arg(size.width())
                            .arg(size.height()));
        return QImage();
    }
    image.fill(Qt::white);
    QPainter p(&image);
    painter.Paint(p, page, state);
    p.end();
    return image;
}

namespace {

bool RefuseUnknownType(const QString& path, QString* error)
{
    SetError(error, QStringLiteral("'%1': unknown file type (use .png or .pdf)").arg(path));
    return false;
}

const char* SuffixOf(EPageFileType type)
{
    switch (type) {
    case EPageFileType::Png:
        return ".png";
    case EPageFileType::Pdf:
        return ".pdf";
    case EPageFileType::Unknown:
        break;
    }
    return "";
}

// Writes path through a temporary that write fills and that is renamed into place, so a
// failure leaves no partial file; false with the reason in *error.
bool WriteAtomically(const QString& path, QString* error,
                     const std::function<bool(QIODevice&)>& write)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        SetError(error, QStringLiteral("cannot write '%1': %2").arg(path, file.errorString()));
        return false;
    }
    if (!write(file)) {
        file.cancelWriting();
        SetError(error, QStringLiteral("cannot write '%1'").arg(path));
        return false;
    }
    if (!file.commit()) {
        SetError(error, QStringLiteral("cannot write '%1': %2").arg(path, file.errorString()));
        return false;
    }
    return true;
}

// One PDF page of size pixels at 96 pixels per inch, drawn by draw in pixels.
bool WritePdf(QIODevice& device, const QSize& size, const QString& title,
              const std::function<void(QPainter&)>& draw)
{
    QPdfWriter writer(&device);
    writer.setResolution(96);
    writer.setPageSize(
        QPageSize(QSizeF(size.width() * 72.0 / 96, size.height() * 72.0 / 96), QPageSize::Point));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Model"));
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    draw(painter);
    return painter.end();
}

bool WriteImageFile(const QImage& image, const QString& path, EPageFileType type, QString* error)
{
    if (image.isNull()) {
        SetError(error, QStringLiteral("nothing to write to '%1'").arg(path));
        return false;
    }
    return WriteAtomically(path, error, [&image, type](QIODevice& file) {
        if (type != EPageFileType::Pdf)
            return image.save(&file, "PNG");
        // The image drawn 1:1 on a page of its size.
        return WritePdf(file, image.size(), QString(),
                        [&image](QPainter& p) { p.drawImage(QPoint(0, 0), image); });
    });
}

} // namespace

EPageFileType PageFileTypeOf(const QString& path)
{
    if (path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
        return EPageFileType::Png;
    if (path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        return EPageFileType::Pdf;
    return EPageFileType::Unknown;
}

QString WithPageFileSuffix(const QString& path, EPageFileType type)
{
    if (type == EPageFileType::Unknown || PageFileTypeOf(path) == type)
        return path;
    const QString base = PageFileTypeOf(path) == EPageFileType::Unknown ? path : path.chopped(4);
    return base + QLatin1String(SuffixOf(type));
}

bool WritePagePdf(CPagePainter& painter, CPage& page, const QString& path, QString* error)
{
    const QSize size = LayoutForExport(painter, page, error);
    if (size.isEmpty())
        return false;
    return WriteAtomically(path, error, [&](QIODevice& file) {
        return WritePdf(file, size, DisplayText(page.name),
                        [&](QPainter& p) { painter.Paint(p, page, CPageViewState{}); });
    });
}

bool ExportPageFile(CPagePainter& painter, CPage& page, const QString& path, EPageFileType type,
                    QString* error)
{
    if (type == EPageFileType::Unknown)
        return RefuseUnknownType(path, error);
    if (type == EPageFileType::Pdf)
        return WritePagePdf(painter, page, path, error);
    const QImage image = RenderPageImage(painter, page, CPageViewState{}, error);
    if (image.isNull())
        return false;
    return WriteImageFile(image, path, type, error);
}

bool ExportPageImage(CPagePainter& painter, CPage& page, const QString& path, QString* error)
{
    return ExportPageFile(painter, page, path, PageFileTypeOf(path), error);
}

bool SavePageImage(const QImage& image, const QString& path, QString* error)
{
    const EPageFileType type = PageFileTypeOf(path);
    if (type == EPageFileType::Unknown)
        return RefuseUnknownType(path, error);
    return WriteImageFile(image, path, type, error);
}
