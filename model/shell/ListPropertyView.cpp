#include "ListPropertyView.h"

#include "ModelDoc.h"
#include "ShellContext.h"

CListPropertyView::CListPropertyView(CShellContext& shell, QWidget* parent)
    : CPropertyView(shell, parent)
{
    setObjectName(QStringLiteral("informationSide"));
    SetCaption(QStringLiteral("Information"));
    shell.document->AddView(this);
}

CListPropertyView::~CListPropertyView()
{
    RemoveAllTabs();
    Shell().document->RemoveView(this);
}

void CListPropertyView::OnUpdate(IModelView* /*sender*/, CUpdateHint& /*hint*/)
{
    // The instance and history panes answer the information side's hints; until they are
    // part of the program the side lists nothing and leaves every result as it was sent.
}

bool CListPropertyView::UpdateCommand(int /*id*/, CCommandState& /*state*/)
{
    return false;
}

void CListPropertyView::OnCommand(int /*id*/) {}
