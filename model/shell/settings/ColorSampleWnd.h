#pragma once

#include "ColorTable.h"

#include <QFont>
#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>

// The preview of the Model settings page: a small model (four element boxes, four link bars
// with their letters, three relation counters) painted with the colours being edited, which
// it asks for by display name ("Element background", "Jump Text", ...). All texts use the
// bold UI font.
class CColorSampleWnd : public QWidget
{
    Q_OBJECT
public:
    // The colour of a display name; the page answers from its working copy.
    using ColorLookup = std::function<ColorRef(const QString& displayName)>;

    CColorSampleWnd(ColorLookup colorOf, const QFont& boldFont, QWidget* parent = nullptr);

    // Where the parts of the sample lie for the current size; the painting uses them too.
    struct Layout
    {
        int textHeight = 0; // height of the font
        int elementX = 0;   // left of the element boxes
        QRect elements[4];  // "Element", "Jump >>", "Tracks", "Disabled"
        QRect linkBars[4];  // P, U, I, L
        QRect linkLabels[4];
        QRect counters[3]; // relation, disabled relation, error
    };
    Layout ComputeLayout() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void DrawBox(QPainter& painter, const QRect& rect, ColorRef fill) const;
    void DrawText(QPainter& painter, const QRect& rect, const QString& text, ColorRef color) const;

    ColorLookup m_colorOf;
    QFont m_font;
};
