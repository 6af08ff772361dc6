#pragma once

#include "ColorTable.h"

#include <QComboBox>

#include <array>
#include <optional>

// The colour picker of the Model settings page: a drop-down list without texts whose items
// carry colour values and are drawn as colour swatches. Around each swatch the item is
// filled with the table's "COLOR_WINDOW" colour.
class CColorComboBox : public QComboBox
{
    Q_OBJECT
public:
    // The data role under which every item keeps its colour value.
    static constexpr int kColorRole = Qt::UserRole;

    // colors: the palette that gives "COLOR_WINDOW"; nullptr or a table without the key leaves
    // the surroundings unfilled. The table is not owned and must outlive the box.
    explicit CColorComboBox(const CColorTable* colors, QWidget* parent = nullptr);

    // The sixteen colours of the picker in their order (black, white, red, ... teal).
    static const std::array<ColorRef, 16>& Colors();

    // Adds the sixteen colours, leaving nothing selected. A box that already has items is
    // left as it is.
    void Fill();
    // The colour of the selected item; std::nullopt when nothing is selected.
    std::optional<ColorRef> SelectedColor() const;
    // Selects the first item whose colour equals value. Answers false, leaving the selection
    // as it was, when no item has that colour.
    bool SelectColor(ColorRef value);
    // The colour of item index; std::nullopt for an index out of range.
    std::optional<ColorRef> ColorAt(int index) const;

    // Draws one item into rect: the surroundings, the dotted focus rectangle when selected,
    // the outlined swatch. Shared by the list's delegate and the closed box.
    void DrawItem(QPainter& painter, const QRect& rect, ColorRef color, bool selected) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int ItemHeight() const;

    const CColorTable* m_colors;
};
