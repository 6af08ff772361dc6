#include "GraphWindow.h"

#include "qg2s_api.h"

#include <QCloseEvent>
#include <QVBoxLayout>

CGraphWindow::CGraphWindow(const QString& title, QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(title);
    setObjectName("graphicsWindow");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    const QG2SWindowRecord host{this, 0};
    m_graphic = QG2S_newGraphicFromGUI(0, &host, 0);
    if (const QG2SGuiRecord* gui = m_graphic != nullptr ? QG2S_inqGraphicGUI(m_graphic) : nullptr)
        m_view = gui->view;
    if (m_view != nullptr)
        layout->addWidget(m_view);
    resize(640, 480);
}

CGraphWindow::~CGraphWindow()
{
    if (m_graphic != nullptr)
        QG2S_destroyGraphic(m_graphic);
}

bool CGraphWindow::Load(const std::string& path)
{
    if (m_graphic == nullptr || path.empty() || QG2S_loadGraphicFile(m_graphic, path.c_str()) != 0)
        return false;
    m_path = path;
    QG2S_graphicZoomReset(m_graphic);
    QG2S_mapGraphic(m_graphic);
    return true;
}

void CGraphWindow::Refresh()
{
    if (m_view != nullptr)
        m_view->update();
    update();
}

void CGraphWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    CloseNow();
}

void CGraphWindow::CloseNow()
{
    if (m_closed)
        return;
    m_closed = true;
    hide();
    emit Closing(this);
}
