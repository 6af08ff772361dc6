#include "ColListView.h"

#include "PagePainter.h"
#include "PropertyRows.h"
#include "Resources.h"
#include "ShellContext.h"
#include "ModelContext.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QScrollBar>

namespace {

constexpr int kStripBitmap = 243;

} // namespace

CColListView::CColListView(CShellContext& shell, QWidget* parent)
    : QTreeWidget(parent), m_shell(shell)
{
    setObjectName(QStringLiteral("propertyList"));
    setColumnCount(2);
    setHeaderLabels({QStringLiteral("Attribute"), QStringLiteral("Value")});
    setRootIsDecorated(false);
    setSortingEnabled(false);
    header()->setSectionsClickable(false);
    header()->setStretchLastSection(false);
    setColumnWidth(0, kAttributeWidth);
    setColumnWidth(1, kValueWidth);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(QSize(16, 16));
    setFont(shell.normalFont);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void CColListView::Fill(const std::vector<CPropertyRow>& rows)
{
    setUpdatesEnabled(false);
    clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<int>(rows.size()));
    for (const CPropertyRow& row : rows) {
        auto* item = new QTreeWidgetItem({DisplayText(row.attribute), DisplayText(row.value)});
        item->setIcon(0, RowIcon(row.icon));
        items << item;
    }
    addTopLevelItems(items);
    if (m_shell.model->switches.adjustPropertyColumnWidths == 1) {
        resizeColumnToContents(0);
        resizeColumnToContents(1);
        // The headers count too.
        for (int column = 0; column < 2; ++column) {
            const int headerWidth = header()->sectionSizeHint(column);
            if (columnWidth(column) < headerWidth)
                setColumnWidth(column, headerWidth);
        }
    }
    setUpdatesEnabled(true);
}

const QIcon& CColListView::RowIcon(int icon)
{
    auto found = m_rowIcons.find(icon);
    if (found == m_rowIcons.end())
        found = m_rowIcons.insert(icon, StripIcon(kStripBitmap, icon));
    return *found;
}

void CColListView::Clear()
{
    clear();
}

int CColListView::WantedHeight() const
{
    const int rows = topLevelItemCount();
    if (rows == 0)
        return kEmptyHeight;
    const int rowHeight = std::max(1, sizeHintForRow(0));
    int height = rowHeight * (rows + 1);
    if (columnWidth(0) + columnWidth(1) > viewport()->width())
        height += horizontalScrollBar()->sizeHint().height();
    return height + 5;
}

void CColListView::contextMenuEvent(QContextMenuEvent* event)
{
    emit ContextMenuRequested(event->globalPos());
}
