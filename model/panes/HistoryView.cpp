#include "HistoryView.h"

#include "ModelContext.h"
#include "ModelDoc.h"
#include "Resources.h"
#include "RestoreDialogs.h"
#include "text/TextDecode.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QPainter>

namespace {

std::function<bool()> g_shiftQuery;

bool ShiftHeld()
{
    if (g_shiftQuery)
        return g_shiftQuery();
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier);
}

constexpr int kHistoryItemRole = Qt::UserRole;

} // namespace

CHistoryView::CHistoryView(CModelContext& context, CModelDoc& document, QWidget* parent)
    : QTreeWidget(parent), m_context(context), m_document(document), m_history(context, document)
{
    setObjectName(QStringLiteral("historyView"));
    setColumnCount(1);
    setHeaderHidden(true);
    setRootIsDecorated(true);
    setItemsExpandable(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(QSize(16, 16));
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    header()->setStretchLastSection(true);

    m_history.SetObserver(this);
    m_document.AddView(this);
}

CHistoryView::~CHistoryView()
{
    m_document.RemoveView(this);
    m_history.SetObserver(nullptr);
}

void CHistoryView::SetShiftQuery(std::function<bool()> query)
{
    g_shiftQuery = std::move(query);
}

// ---------------------------------------------------------------------------------------
// Recording

int CHistoryView::RecordEvent(IModelView* sender, CElement* element)
{
    return m_history.RecordEvent(sender, element);
}

int CHistoryView::RecordRelations(IModelView* sender, CElement* element, int index,
                                  const CRelationSource* entry)
{
    return m_history.RecordRelations(sender, element, index, entry);
}

int CHistoryView::RecordRelated(IModelView* sender, CRelationCounter* counter, CElement* otherEnd,
                                int count)
{
    return m_history.RecordRelated(sender, counter, otherEnd, count);
}

int CHistoryView::RecordSearch(IModelView* sender, const std::string& word, int hits, int matchCase)
{
    return m_history.RecordSearch(sender, word, hits, matchCase);
}

int CHistoryView::RecordDocumentation(IModelView* sender, CElement* element,
                                      const std::string& entry)
{
    return m_history.RecordDocumentation(sender, element, entry);
}

// ---------------------------------------------------------------------------------------
// The tree mirrors the history

void CHistoryView::ItemAdded(const CHistoryItem& item)
{
    auto* tree = new QTreeWidgetItem;
    tree->setText(0, QString::fromStdString(platform::DecodeToUtf8(item.text)));
    tree->setIcon(0, StripIcon(IDB_HISTORY_ICONS, item.icon));
    tree->setData(0, kHistoryItemRole, QVariant::fromValue(reinterpret_cast<quintptr>(&item)));
    if (item.bold) {
        QFont bold = font();
        bold.setBold(true);
        tree->setFont(0, bold);
    }
    if (item.dimmed)
        tree->setForeground(0, palette().brush(QPalette::Disabled, QPalette::Text));
    if (QTreeWidgetItem* parent = m_items.value(item.parent))
        parent->addChild(tree);
    else
        addTopLevelItem(tree);
    m_items.insert(&item, tree);
}

void CHistoryView::ItemExpanded(const CHistoryItem& item)
{
    if (QTreeWidgetItem* tree = m_items.value(&item))
        tree->setExpanded(true);
}

void CHistoryView::ItemSelected(const CHistoryItem& item)
{
    if (QTreeWidgetItem* tree = m_items.value(&item)) {
        setCurrentItem(tree);
        scrollToItem(tree);
    }
}

void CHistoryView::Cleared()
{
    m_items.clear();
    clear();
}

const CHistoryItem* CHistoryView::SelectedHistoryItem() const
{
    const QList<QTreeWidgetItem*> selected = selectedItems();
    if (selected.isEmpty())
        return nullptr;
    const auto* item = reinterpret_cast<const CHistoryItem*>(
        selected.first()->data(0, kHistoryItemRole).value<quintptr>());
    return m_items.contains(item) ? item : nullptr;
}

// ---------------------------------------------------------------------------------------
// Restore and clear

void CHistoryView::RestoreSelected()
{
    const CHistoryItem* item = SelectedHistoryItem();
    if (!item || CHistory::RestoreDepth() > 0)
        return;
    const CHistory::Chain chain = m_history.BuildChain(item);
    if (chain.empty())
        return;
    CSwitches& switches = m_context.switches;
    CHistory::MarkChain(chain, switches.restoreType);
    if (switches.doNotShowRestoreTypeDialog == 1 && !ShiftHeld()) {
        switches.restoreType = 0;
        CHistory::MarkChain(chain, 0);
    } else {
        CRestoreEventDialog dialog(chain, switches, window());
        connect(&dialog, &CRestoreEventDialog::HelpRequested, this, &CHistoryView::HelpRequested);
        if (dialog.Exec() != CRestoreEventDialog::BeginRestore)
            return;
    }

    CRestoreProgressDialog progress(m_history, window());
    m_progress = &progress;
    m_history.RunChain(chain, progress, this);
    m_progress = nullptr;
}

void CHistoryView::ClearHistory()
{
    m_history.Clear();
}

// ---------------------------------------------------------------------------------------
// Hints, commands, mouse

void CHistoryView::OnUpdate(IModelView* /*sender*/, CUpdateHint& hint)
{
    if (hint.kind == CUpdateHint::KindInformation && hint.code == CUpdateHint::CodeCreateTabs)
        m_history.Reset();
}

bool CHistoryView::UpdateCommand(int id, CCommandState& state)
{
    switch (id) {
    case ID_RESTORE_HISTORY:
        state.enabled = SelectedHistoryItem() != nullptr && CHistory::RestoreDepth() == 0;
        return true;
    case ID_CLEAR_HISTORY:
        state.enabled = !m_history.IsEmpty() && CHistory::RestoreDepth() == 0;
        return true;
    default:
        return false;
    }
}

void CHistoryView::OnCommand(int id)
{
    if (id == ID_RESTORE_HISTORY)
        RestoreSelected();
    else if (id == ID_CLEAR_HISTORY)
        ClearHistory();
}

void CHistoryView::contextMenuEvent(QContextMenuEvent* event)
{
    // The menu acts on the item under the pointer.
    if (event->reason() == QContextMenuEvent::Mouse) {
        if (QTreeWidgetItem* item = itemAt(viewport()->mapFromGlobal(event->globalPos())))
            setCurrentItem(item);
    }
    emit ContextMenuRequested(event->globalPos());
    event->accept();
}

void CHistoryView::drawBranches(QPainter* painter, const QRect& rect,
                                const QModelIndex& index) const
{
    // Dotted lines join every item to its parent and to its next sibling, also at the root;
    // the style draws the expand buttons over them.
    painter->save();
    QPen pen(palette().color(QPalette::Mid));
    pen.setStyle(Qt::DotLine);
    painter->setPen(pen);
    const int indent = indentation();
    const int middleY = rect.center().y();
    int column = rect.right() + 1 - indent;
    int middleX = column + indent / 2;
    const bool hasNext = index.sibling(index.row() + 1, 0).isValid();
    const bool firstRoot = !index.parent().isValid() && index.row() == 0;
    painter->drawLine(middleX, firstRoot ? middleY : rect.top(), middleX,
                      hasNext ? rect.bottom() : middleY);
    painter->drawLine(middleX, middleY, column + indent - 2, middleY);
    for (QModelIndex ancestor = index.parent(); ancestor.isValid(); ancestor = ancestor.parent()) {
        column -= indent;
        middleX = column + indent / 2;
        if (ancestor.sibling(ancestor.row() + 1, 0).isValid())
            painter->drawLine(middleX, rect.top(), middleX, rect.bottom());
    }
    painter->restore();
    QTreeWidget::drawBranches(painter, rect, index);
}
