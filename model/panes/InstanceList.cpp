#include "InstanceList.h"

#include "ColorTable.h"
#include "InstanceStore.h"
#include "Messages.h"
#include "PagePainter.h"
#include "ShellContext.h"

#include <QAccessible>
#include <QContextMenuEvent>
#include <QPainter>

namespace {

constexpr int kTextInset = 2;
constexpr int kStringAttributeNotFound = 5030;

} // namespace

// ---------------------------------------------------------------------------------------
// Item model

CInstanceListModel::CInstanceListModel(const CInstanceStore& store, QObject* parent)
    : QAbstractListModel(parent), m_store(store)
{
}

int CInstanceListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_store.Count());
}

QString CInstanceListModel::DisplayValue(int position) const
{
    std::string value;
    if (position < 0 || !m_store.Value(static_cast<std::size_t>(position), std::max(0, m_attribute), value))
        return QString::fromUtf8(MessageFormat(kStringAttributeNotFound));
    return DisplayText(value);
}

QVariant CInstanceListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: return DisplayValue(index.row());
    case Qt::ToolTipRole: return DisplayText(std::string(m_store.Text(index.row())));
    case RelationSourceRole: return index.row() == m_relationSource;
    default: return QVariant();
    }
}

void CInstanceListModel::Reload()
{
    beginResetModel();
    m_relationSource = -1;
    endResetModel();
}

void CInstanceListModel::SetAttribute(int attributeIndex)
{
    m_attribute = attributeIndex;
    if (rowCount() > 0)
        emit dataChanged(index(0), index(rowCount() - 1), {Qt::DisplayRole});
}

void CInstanceListModel::SetRelationSource(int position)
{
    const int old = m_relationSource;
    m_relationSource = position;
    for (int row : {old, position}) {
        if (row >= 0 && row < rowCount())
            emit dataChanged(index(row), index(row));
    }
}

// ---------------------------------------------------------------------------------------
// Drawing

CInstanceItemDelegate::CInstanceItemDelegate(CShellContext& shell, QObject* parent)
    : QStyledItemDelegate(parent), m_shell(shell)
{
}

QSize CInstanceItemDelegate::sizeHint(const QStyleOptionViewItem& /*option*/,
                                      const QModelIndex& /*index*/) const
{
    // Fixed item height: the taller of the two fonts, with a pixel above and below.
    const int height = std::max(QFontMetrics(m_shell.normalFont).height(),
                                QFontMetrics(m_shell.boldFont).height()) + 2;
    return QSize(1, height);
}

void CInstanceItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const
{
    const CColorTable& colors = *m_shell.colors;
    const bool selected = option.state & QStyle::State_Selected;
    const bool source = index.data(CInstanceListModel::RelationSourceRole).toBool();
    const QRect r = option.rect;

    QColor background, text;
    if (selected) {
        background = ToQColor(colors.Color("COLOR_HIGHLIGHT"));
        text = ToQColor(colors.Color("COLOR_HIGHLIGHTTEXT"));
    } else if (source) {
        background = ToQColor(colors.Color("BACKGROUND RELATION"));
        text = ToQColor(colors.Color("TEXT RELATION"));
    } else {
        background = ToQColor(colors.Color("COLOR_WINDOW"));
        text = ToQColor(colors.Color("COLOR_WINDOWTEXT"));
    }
    if (!(option.state & QStyle::State_Enabled))
        text = option.palette.color(QPalette::Disabled, QPalette::Text);

    painter->save();
    painter->fillRect(r, background);
    if (source && !selected) {
        // Dotted one-pixel lines across the full width at the entry's top and bottom edges.
        QPen pen(ToQColor(colors.Color("COLOR_WINDOWTEXT")), 1, Qt::DotLine);
        painter->setPen(pen);
        painter->drawLine(r.left(), r.top(), r.right(), r.top());
        painter->drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    }
    painter->setFont(source ? m_shell.boldFont : m_shell.normalFont);
    painter->setPen(text);
    const QRect textRect = r.adjusted(kTextInset, 0, 0, 0);
    QString value = index.data(Qt::DisplayRole).toString();
    value.replace(QLatin1Char('\t'), QStringLiteral("    "));
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, value);
    if (option.state & QStyle::State_HasFocus) {
        // The focus rectangle: a dotted outline in the contrasting text colour.
        QPen focus(selected ? ToQColor(colors.Color("COLOR_HIGHLIGHTTEXT"))
                            : ToQColor(colors.Color("COLOR_WINDOWTEXT")),
                   1, Qt::DotLine);
        painter->setPen(focus);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(r.adjusted(0, 0, -1, -1));
    }
    painter->restore();
}

// ---------------------------------------------------------------------------------------
// List

CInstanceList::CInstanceList(CShellContext& shell, CInstanceListModel& model, QWidget* parent)
    : QListView(parent), m_model(model)
{
    setObjectName(QStringLiteral("instanceList"));
    setModel(&model);
    setItemDelegate(new CInstanceItemDelegate(shell, this));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFont(shell.normalFont);
    setLayoutMode(QListView::SinglePass);
}

void CInstanceList::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                                const QList<int>& roles)
{
    if (topLeft == bottomRight) {
        QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
        return;
    }
    viewport()->update();
#if QT_CONFIG(accessibility)
    if (QAccessible::isActive()) {
        QAccessibleTableModelChangeEvent event(this, QAccessibleTableModelChangeEvent::DataChanged);
        event.setFirstRow(topLeft.row());
        event.setFirstColumn(topLeft.column());
        event.setLastRow(bottomRight.row());
        event.setLastColumn(bottomRight.column());
        QAccessible::updateAccessibility(&event);
    }
#endif
}

void CInstanceList::selectionChanged(const QItemSelection& selected,
                                     const QItemSelection& deselected)
{
    QListView::selectionChanged(selected, deselected);
    emit SelectionMoved(SelectedPosition());
}

int CInstanceList::SelectedPosition() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void CInstanceList::SelectPosition(int position)
{
    if (position < 0 || position >= m_model.rowCount()) {
        clearSelection();
        return;
    }
    const QModelIndex index = m_model.index(position);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index);
}

void CInstanceList::contextMenuEvent(QContextMenuEvent* event)
{
    emit ContextMenuRequested(event->globalPos());
}

void CInstanceList::mouseDoubleClickEvent(QMouseEvent* event)
{
    QListView::mouseDoubleClickEvent(event);
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid())
        emit EntryDoubleClicked(index.row());
}
