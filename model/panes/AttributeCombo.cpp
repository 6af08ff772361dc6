#include "AttributeCombo.h"

#include "ColorTable.h"
#include "Messages.h"
#include "PagePainter.h"
#include "ShellContext.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QStylePainter>

namespace {

constexpr int kStringNoAttributes = 5026;
constexpr int kStringNoProperties = 5027;
constexpr int kDropDownLines = 7;

} // namespace

CAttributeCombo::CAttributeCombo(CShellContext& shell, QWidget* parent)
    : QComboBox(parent), m_shell(shell)
{
    setObjectName(QStringLiteral("attributeSelector"));
    setEditable(false);
    setFont(shell.normalFont);
    setMaxVisibleItems(kDropDownLines);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
}

void CAttributeCombo::Fill(const std::vector<std::string>& names, const std::string& elementName)
{
    const QSignalBlocker blocker(this);
    clear();
    m_names = names;
    const QString element =
        elementName.empty() ? QStringLiteral("<N/A>") : DisplayText(elementName);
    for (const std::string& name : names)
        addItem(DisplayText(name) + QStringLiteral(" of ") + element);
    setCurrentIndex(-1);
}

const std::string& CAttributeCombo::AttributeName(int index) const
{
    static const std::string empty;
    return index >= 0 && index < static_cast<int>(m_names.size()) ? m_names[index] : empty;
}

void CAttributeCombo::Empty()
{
    const QSignalBlocker blocker(this);
    clear();
    m_names.clear();
}

void CAttributeCombo::paintEvent(QPaintEvent* event)
{
    if (count() > 0) {
        QComboBox::paintEvent(event);
        return;
    }
    // The closed field of an empty selector: "No Properties Loaded!" in grey when it is
    // disabled; while enabled, "No Attributes Loaded!" in the scheme's disabled-text colour.
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                QStyle::SC_ComboBoxEditField, this);
    const bool disabled = !isEnabled();
    painter.setPen(disabled ? palette().color(QPalette::Disabled, QPalette::Text)
                            : ToQColor(m_shell.colors->Color("TEXT DISABLED")));
    painter.setFont(m_shell.normalFont);
    painter.drawText(field.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                     QString::fromUtf8(
                         MessageFormat(disabled ? kStringNoProperties : kStringNoAttributes)));
}
