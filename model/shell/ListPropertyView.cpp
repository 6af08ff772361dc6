#include "FindInstanceDialog.h"
#include "ListPropertyView.h"

#include "FrameRequests.h"
#include "HistoryView.h"
#include "InstanceView.h"
#include "ModelDoc.h"
#include "ModelListView.h"
#include "Resources.h"
#include "ShellContext.h"

namespace {

constexpr int kTabStrip = 243;

} // namespace

CListPropertyView::CListPropertyView(CShellContext& shell, QWidget* parent)
    : CPropertyView(shell, parent)
{
    setObjectName(QStringLiteral("informationSide"));
    SetCaption(QStringLiteral("Information"));
    shell.document->AddView(this);
}

CListPropertyView::~CListPropertyView()
{
    RemovePaneTabs();
    Shell().document->RemoveView(this);
}

void CListPropertyView::CreateTabs()
{
    if (TabCount() > 0)
        return;
    CShellContext& shell = Shell();
    auto* items = new CModelListView(shell);
    AddView(QStringLiteral("Items"), items, StripIcon(kTabStrip, SMALL_ICON_ITEMS));
    connect(items->InstanceView(), &CInstanceView::ShowItemsRequested, this,
            [this] { SelectTab(TabItems); });
    auto* history = new CHistoryView(*shell.model, *shell.document);
    AddView(QStringLiteral("History"), history, StripIcon(kTabStrip, SMALL_ICON_HISTORY));
    shell.history = &history->History();
    connect(history, &CHistoryView::ContextMenuRequested, this, [this, history](QPoint pos) {
        if (Shell().frame)
            Shell().frame->ShowContextMenu(history, pos);
    });
    connect(history, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (Shell().frame)
            Shell().frame->CommandStateChanged();
    });
    SelectTab(TabItems);
}

void CListPropertyView::RemovePaneTabs()
{
    Shell().history = nullptr;
    RemoveAllTabs();
}

CModelListView* CListPropertyView::ItemsView() const
{
    return qobject_cast<CModelListView*>(ViewAt(TabItems));
}

CInstanceView* CListPropertyView::InstanceView() const
{
    CModelListView* items = ItemsView();
    return items ? items->InstanceView() : nullptr;
}

CHistoryView* CListPropertyView::HistoryView() const
{
    return qobject_cast<CHistoryView*>(ViewAt(TabHistory));
}

void CListPropertyView::OnUpdate(IModelView* /*sender*/, CUpdateHint& hint)
{
    // The panes in the tabs are views of the document themselves and take their own hints.
    if (hint.kind == CUpdateHint::KindInformation && hint.code == CUpdateHint::CodeCreateTabs)
        CreateTabs();
}

bool CListPropertyView::UpdateCommand(int id, CCommandState& state)
{
    switch (id) {
    case ID_RELATED_INSTANCES:
    case ID_ALL_RELATED_INSTANCES:
    case ID_DOCUMENTATION:
    case ID_FIND_INSTANCE:
    case ID_FIND_NEXT_INSTANCE:
    case ID_ENTER:
        if (CInstanceView* view = InstanceView(); view && ItemsCurrent())
            return view->UpdateCommand(id, state);
        state.enabled = false;
        return true;
    case ID_PROPERTIES:
    case ID_NEXT_ITEM:
    case ID_PREVIOUS_ITEM:
        if (CInstanceView* view = InstanceView())
            return view->UpdateCommand(id, state);
        return false;
    case ID_RESTORE_HISTORY:
        if (CHistoryView* view = HistoryView()) {
            view->UpdateCommand(id, state);
            state.enabled = state.enabled && HistoryCurrent();
            return true;
        }
        state.enabled = false;
        return true;
    case ID_CLEAR_HISTORY:
        if (CHistoryView* view = HistoryView())
            return view->UpdateCommand(id, state);
        state.enabled = false;
        return true;
    default:
        return false;
    }
}

void CListPropertyView::OnCommand(int id)
{
    switch (id) {
    case ID_RESTORE_HISTORY:
    case ID_CLEAR_HISTORY:
        if (CHistoryView* view = HistoryView())
            view->ExecuteCommand(id);
        break;
    default:
        if (CInstanceView* view = InstanceView())
            view->ExecuteCommand(id);
        break;
    }
}
