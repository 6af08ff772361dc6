#include "ModelListView.h"

#include "ColListView.h"
#include "FindInstanceDialog.h"
#include "InstanceView.h"
#include "FrameRequests.h"
#include "ModelContext.h"
#include "PlacementInfo.h"
#include "ShellContext.h"

#include <QSplitter>
#include <QVBoxLayout>

CModelListView::CModelListView(CShellContext& shell, QWidget* parent)
    : QWidget(parent), m_shell(shell), m_splitter(new QSplitter(Qt::Vertical, this))
{
    setObjectName(QStringLiteral("itemsView"));
    m_splitter->setObjectName(QStringLiteral("itemsSplitter"));
    m_splitter->setChildrenCollapsible(false);
    m_instances = new CInstanceView(shell, m_splitter);
    m_properties = new CColListView(shell, m_splitter);
    m_splitter->addWidget(m_instances);
    m_splitter->addWidget(m_properties);
    m_instances->SetPropertyList(m_properties);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_splitter);
    if (shell.placement) {
        const CSplitterPair rows = shell.placement->Splitter(CPlacementInfo::SplitterList);
        m_splitter->setSizes({rows.first, rows.second});
    }
    connect(m_instances, &CInstanceView::PropertiesFilled, this, &CModelListView::AdjustPropertyPane);
    connect(m_properties, &CColListView::ContextMenuRequested, this, [this](const QPoint& pos) {
        if (m_shell.frame)
            m_shell.frame->ShowContextMenu(m_properties, pos);
    });
}

CModelListView::~CModelListView()
{
    if (m_shell.placement) {
        const QList<int> sizes = m_splitter->sizes();
        if (sizes.size() == 2 && sizes[0] + sizes[1] > 0)
            m_shell.placement->SetSplitter(CPlacementInfo::SplitterList, {sizes[0], sizes[1]});
    }
}

void CModelListView::AdjustPropertyPane()
{
    if (m_shell.model->switches.adjustPropertyPane != 1)
        return;
    const int client = m_splitter->height();
    if (client <= 0)
        return;
    const int top = std::max(0, client - m_properties->WantedHeight() - 7);
    m_splitter->setSizes({top, std::max(0, client - top - m_splitter->handleWidth())});
}

void CModelListView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    AdjustPropertyPane();
}
