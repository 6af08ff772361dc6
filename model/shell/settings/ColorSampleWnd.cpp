#include "ColorSampleWnd.h"

#include "PageGeometry.h"
#include "PagePainter.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace {

const char* const kElementTexts[4] = {"Element", "Jump >>", "Tracks", "Disabled"};
const char* const kElementTextColors[4] = {"Element Text", "Jump Text", "Visited Text",
                                           "Disabled Text"};
// The bars left to right: P, U, I, L.
const char* const kLinkLetters[4] = {"P", "U", "I", "L"};
const char* const kLinkBackgrounds[4] = {"Is part of link background", "Uses link background",
                                         "Implements link background",
                                         "Is located in link background"};
const char* const kLinkTexts[4] = {"Is Part of link Text", "Uses link Text", "Implements link Text",
                                   "Is located in link Text"};
const char* const kCounterBackgrounds[3] = {"Relation background", "Disabled relation background",
                                            "Error background"};
const char* const kCounterTexts[3] = {"Relation Text", "Disabled Text", "Error Text"};

constexpr int kTracksBox = 2;
constexpr int kBarWidth = 4;

} // namespace

CColorSampleWnd::CColorSampleWnd(ColorLookup colorOf, const QFont& boldFont, QWidget* parent)
    : QWidget(parent), m_colorOf(std::move(colorOf)), m_font(boldFont)
{
    setFont(m_font);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CColorSampleWnd::Layout CColorSampleWnd::ComputeLayout() const
{
    Layout layout;
    const QFontMetrics metrics(m_font, this);
    const int tw = metrics.horizontalAdvance(QStringLiteral("Disabled"));
    const int th = metrics.height();
    const int w = width();
    const int h = height();
    layout.textHeight = th;

    // Element boxes in a column at the right.
    const int x = w - 2 * th - tw;
    const int boxHeight = std::min(2 * th, h / 4 + 9);
    layout.elementX = x;
    for (int i = 0; i < 4; ++i)
        layout.elements[i] = QRect(x, i * (2 * th + 3), 2 * th + tw, boxHeight);

    // Link bars across the area left of the boxes, from the top down to linkBottom.
    const int linkBottom = 4 * th + 6;
    const int d = (2 * th) / 3;
    const int q = (x - 3) / 4;
    for (int i = 0; i < 4; ++i) {
        const QRect bar(d + i * q, 0, kBarWidth, linkBottom);
        layout.linkBars[i] = bar;
        const QString letter = QString::fromLatin1(kLinkLetters[i]);
        const int side = 3 * std::max(metrics.horizontalAdvance(letter), metrics.height()) / 2;
        const int left = bar.left() + kBarWidth / 2 - side / 2;
        // P and I hang from the top, U and L stand on the bottom.
        const bool top = i == 0 || i == 2;
        const int labelTop = top ? 3 : linkBottom - 3 - side;
        layout.linkLabels[i] = QRect(left, labelTop, side, side);
    }

    // Relation counters in the area below the links, shrunk by 3 on every side.
    const QRect area =
        QRect(QPoint(0, linkBottom + 3), QPoint(x - 3 - 1, h - 1)).adjusted(3, 3, -3, -3);
    const QSize counter(metrics.horizontalAdvance(QStringLiteral("123")) + 4, th + 2);
    const int areaWidth = std::max(0, area.width());
    const int areaHeight = std::max(0, area.height());
    for (int i = 0; i < 3; ++i) {
        layout.counters[i] = QRect(
            QPoint(area.left() + i * areaWidth / 3, area.top() + i * areaHeight / 3), counter);
    }
    return layout;
}

void CColorSampleWnd::DrawBox(QPainter& painter, const QRect& rect, ColorRef fill) const
{
    // Outlined with the one-pixel black pen, filled inside.
    if (rect.width() <= 0 || rect.height() <= 0)
        return;
    painter.fillRect(rect, Qt::black);
    const QRect inside = rect.adjusted(1, 1, -1, -1);
    if (inside.width() > 0 && inside.height() > 0)
        painter.fillRect(inside, ToQColor(fill));
}

void CColorSampleWnd::DrawText(QPainter& painter, const QRect& rect, const QString& text,
                               ColorRef color) const
{
    painter.setPen(ToQColor(color));
    painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, text);
}

void CColorSampleWnd::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setFont(m_font);
    painter.fillRect(rect(), ToQColor(m_colorOf(QStringLiteral("Model background"))));
    const Layout layout = ComputeLayout();

    const ColorRef elementBackground = m_colorOf(QStringLiteral("Element background"));
    for (int i = 0; i < 4; ++i) {
        const QRect& box = layout.elements[i];
        DrawBox(painter, box, elementBackground);
        const ColorRef textColor = m_colorOf(QString::fromLatin1(kElementTextColors[i]));
        if (i == kTracksBox) {
            const QRect inside = box.adjusted(1, 1, -1, -1);
            CRectPx rows[7];
            CurrentElementMark(
                CRectPx{inside.left(), inside.top(), inside.right() + 1, inside.bottom() + 1},
                rows);
            for (const CRectPx& row : rows) {
                painter.fillRect(
                    QRect(row.left, row.top, row.right - row.left, row.bottom - row.top),
                    ToQColor(textColor));
            }
        }
        DrawText(painter, box, QString::fromLatin1(kElementTexts[i]), textColor);
    }

    for (int i = 0; i < 4; ++i) {
        const ColorRef background = m_colorOf(QString::fromLatin1(kLinkBackgrounds[i]));
        painter.fillRect(layout.linkBars[i], ToQColor(background));
        DrawBox(painter, layout.linkLabels[i], background);
        DrawText(painter, layout.linkLabels[i], QString::fromLatin1(kLinkLetters[i]),
                 m_colorOf(QString::fromLatin1(kLinkTexts[i])));
    }

    for (int i = 0; i < 3; ++i) {
        DrawBox(painter, layout.counters[i],
                m_colorOf(QString::fromLatin1(kCounterBackgrounds[i])));
        DrawText(painter, layout.counters[i], QStringLiteral("123"),
                 m_colorOf(QString::fromLatin1(kCounterTexts[i])));
    }
}
