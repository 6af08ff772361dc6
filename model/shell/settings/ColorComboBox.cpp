#include "ColorComboBox.h"

#include "PagePainter.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QStyledItemDelegate>

namespace {

constexpr std::array<ColorRef, 16> kPickerColors = {
    0,       16777215, 255, 65280, 16711680, 65535, 16711935, 16776960,
    8421504, 12632256, 128, 32768, 8388608,  32896, 8388736,  8421376,
};

// Draws the items of the open list through the box, so that both look the same.
class CColorItemDelegate : public QStyledItemDelegate
{
public:
    CColorItemDelegate(const CColorComboBox& box, QObject* parent)
        : QStyledItemDelegate(parent), m_box(box)
    {
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        const std::optional<ColorRef> color = m_box.ColorAt(index.row());
        if (!color)
            return;
        painter->save();
        m_box.DrawItem(*painter, option.rect, *color, (option.state & QStyle::State_Selected) != 0);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(m_box.sizeHint().height());
        return size;
    }

private:
    const CColorComboBox& m_box;
};

} // namespace

CColorComboBox::CColorComboBox(const CColorTable* colors, QWidget* parent)
    : QComboBox(parent), m_colors(colors)
{
    setEditable(false);
    setItemDelegate(new CColorItemDelegate(*this, this));
}

const std::array<ColorRef, 16>& CColorComboBox::Colors()
{
    return kPickerColors;
}

void CColorComboBox::Fill()
{
    if (count() > 0)
        return;
    for (ColorRef color : kPickerColors)
        addItem(QString(), QVariant::fromValue<uint>(color));
    // A freshly filled box has no selection until a colour is chosen or selected.
    setCurrentIndex(-1);
}

std::optional<ColorRef> CColorComboBox::ColorAt(int index) const
{
    if (index < 0 || index >= count())
        return std::nullopt;
    const QVariant data = itemData(index, kColorRole);
    if (!data.isValid())
        return std::nullopt;
    return static_cast<ColorRef>(data.toUInt());
}

std::optional<ColorRef> CColorComboBox::SelectedColor() const
{
    return ColorAt(currentIndex());
}

bool CColorComboBox::SelectColor(ColorRef value)
{
    for (int i = 0; i < count(); ++i) {
        if (ColorAt(i) == value) {
            setCurrentIndex(i);
            return true;
        }
    }
    return false;
}

void CColorComboBox::DrawItem(QPainter& painter, const QRect& rect, ColorRef color,
                              bool selected) const
{
    if (m_colors && m_colors->Has("COLOR_WINDOW"))
        painter.fillRect(rect, ToQColor(m_colors->Color("COLOR_WINDOW")));
    if (selected) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect;
        focus.state |= QStyle::State_KeyboardFocusChange;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
    // The swatch: a one-pixel black outline two pixels inside the item, filled inside.
    const QRect swatch = rect.adjusted(2, 2, -2, -2);
    if (swatch.width() <= 0 || swatch.height() <= 0)
        return;
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(swatch.adjusted(0, 0, -1, -1));
    const QRect inside = swatch.adjusted(1, 1, -1, -1);
    if (inside.width() > 0 && inside.height() > 0)
        painter.fillRect(inside, ToQColor(color));
}

int CColorComboBox::ItemHeight() const
{
    return fontMetrics().height() + 4;
}

QSize CColorComboBox::sizeHint() const
{
    QSize size = QComboBox::sizeHint();
    size.setHeight(std::max(size.height(), ItemHeight()));
    size.setWidth(std::max(size.width(), 8 * ItemHeight()));
    return size;
}

QSize CColorComboBox::minimumSizeHint() const
{
    return sizeHint();
}

void CColorComboBox::paintEvent(QPaintEvent* /*event*/)
{
    // The closed box: the style's frame and arrow without any text, then the selected
    // item's swatch in the field. A box without selection shows an empty field.
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const std::optional<ColorRef> color = SelectedColor();
    if (!color)
        return;
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    DrawItem(painter, field, *color, hasFocus());
}
