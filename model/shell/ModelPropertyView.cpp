#include "ModelPropertyView.h"

#include "ModelContext.h"
#include "ModelDoc.h"
#include "ModelView.h"
#include "PageZoom.h"
#include "Resources.h"
#include "ShellContext.h"
#include "StringUtil.h"
#include "settings/SettingsStore.h"
#include "text/TextDecode.h"

#include <QTabBar>
#include <QTabWidget>

namespace {
constexpr int kPageIconStrip = 244;
constexpr const char* kZoomSection = "ZOOM";
} // namespace

CModelPropertyView::CModelPropertyView(CShellContext& shell, QWidget* parent)
    : CPropertyView(shell, parent)
{
    setObjectName(QStringLiteral("modelSide"));
    SetCaption(QStringLiteral("Model"));
    shell.document->AddView(this);
    connect(this, &CPropertyView::CurrentTabChanged, this, [this](int position) {
        if (position >= 0)
            Shell().document->SetCurrentPage(position);
    });
}

CModelPropertyView::~CModelPropertyView()
{
    RemoveAllTabs();
    Shell().document->RemoveView(this);
}

void CModelPropertyView::SetElementMode(bool elementMode)
{
    if (m_elementMode == elementMode)
        return;
    m_elementMode = elementMode;
    SetCaption(elementMode ? QStringLiteral("Model") : QStringLiteral("Model (with Relations)"));
}

QList<QWidget*> CModelPropertyView::PageViews() const
{
    QList<QWidget*> views;
    for (int i = 0; i < TabCount(); ++i)
        views << ViewAt(i);
    return views;
}

CModelView* CModelPropertyView::CurrentPageView() const
{
    return qobject_cast<CModelView*>(CurrentView());
}

void CModelPropertyView::ShowPageOfElement(const CElement* element)
{
    const int page = Shell().document->PageOfElement(element);
    if (page < 0 || page == CurrentTab())
        return;
    SelectTab(page);
    repaint();
}

void CModelPropertyView::TakeFocus()
{
    TabControl()->tabBar()->setFocus(Qt::OtherFocusReason);
}

void CModelPropertyView::CreatePageTabs()
{
    if (TabCount() > 0)
        return;
    CModelDoc& doc = *Shell().document;
    for (int i = 0; i < doc.PageCount(); ++i) {
        const CPage* page = doc.PageAt(i);
        auto* view = new CModelView(Shell(), *this, i);
        AddView(QString::fromStdString(platform::DecodeToUtf8(page->name)), view,
                StripIcon(kPageIconStrip, page->icon));
    }
    ApplyBorders();
    if (TabCount() > 0) {
        TabControl()->setCurrentIndex(0);
        doc.SetCurrentPage(0);
    }
}

void CModelPropertyView::LoadZooms(const platform::ISettingsStore& store)
{
    const std::vector<int> zooms =
        ParseZooms(store.ReadString(kZoomSection, ToUpperAscii(Shell().document->Title()), ""),
                   static_cast<std::size_t>(TabCount()));
    for (int i = 0; i < TabCount(); ++i)
        static_cast<CModelView*>(ViewAt(i))->SetZoom(zooms[static_cast<std::size_t>(i)]);
}

void CModelPropertyView::SaveZooms(platform::ISettingsStore& store) const
{
    if (TabCount() == 0)
        return;
    std::vector<int> zooms;
    for (QWidget* w : PageViews())
        zooms.push_back(static_cast<CModelView*>(w)->Zoom());
    const std::string text = FormatZooms(zooms);
    store.WriteString(kZoomSection, ToUpperAscii(Shell().document->Title()),
                      text.empty() ? std::nullopt : std::optional<std::string>(text));
}

void CModelPropertyView::ApplyBorders()
{
    for (QWidget* w : PageViews())
        static_cast<CModelView*>(w)->ApplyBorder();
}

void CModelPropertyView::RepaintPages()
{
    // A page view draws on its viewport: updating the scroll area alone repaints only its
    // frame.
    for (QWidget* w : PageViews())
        static_cast<CModelView*>(w)->viewport()->update();
}

void CModelPropertyView::OnUpdate(IModelView* /*sender*/, CUpdateHint& hint)
{
    if (hint.kind == CUpdateHint::KindModelContainer && hint.code == CUpdateHint::CodeCreateTabs)
        CreatePageTabs();
}

bool CModelPropertyView::UpdateCommand(int id, CCommandState& state)
{
    CModelView* view = CurrentPageView();
    switch (id) {
    case ID_INSTANCES:
    case ID_CLEAR_TRACKS:
    case ID_FONT:
    case ID_SET_DEFAULT_FONT:
    case ID_SHOW_NORMAL_MODE:
    case ID_PROPERTIES:
        return view && view->UpdateCommand(id, state);
    case ID_ENTER:
    case ID_NEXT_ITEM:
    case ID_PREVIOUS_ITEM:
        if (Shell().document->PathName().empty())
            return false;
        return view && view->UpdateCommand(id, state);
    default:
        return false;
    }
}

void CModelPropertyView::OnCommand(int id)
{
    CurrentPageView()->ExecuteCommand(id);
}
