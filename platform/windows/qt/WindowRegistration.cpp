#include "windows/qt/WindowRegistration.h"

#include "dde/qt/QtPollDriver.h"

#include <QEvent>

namespace platform {

CWindowRegistration::CWindowRegistration(QWidget* window, const QString& className, QObject* parent)
    : QObject(parent), m_window(window)
{
    if (!window) {
        m_error = QStringLiteral("No window to register.");
        return;
    }
    std::string error;
    if (!m_registration.Register(className.toStdString(), window->windowTitle().toStdString(),
                                 window->isVisible(), window->isMinimized(), error)) {
        m_error = QString::fromStdString(error);
        return;
    }
    m_registration.SetRaiseHandler([this] { Raise(); });
    m_registration.SetRepaintHandler([this] {
        if (m_window)
            m_window->update();
    });
    window->installEventFilter(this);
    connect(window, &QObject::destroyed, this, [this] { m_registration.Unregister(); });
    m_driver = std::make_unique<CQtPollDriver>(m_registration);
}

CWindowRegistration::~CWindowRegistration()
{
    if (m_window)
        m_window->removeEventFilter(this);
    m_driver.reset();
    m_registration.Unregister();
}

bool CWindowRegistration::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window) {
        switch (event->type()) {
        case QEvent::WindowTitleChange:
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::WindowStateChange:
            Refresh();
            break;
        case QEvent::Destroy:
            m_registration.Unregister();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void CWindowRegistration::Refresh()
{
    if (m_window)
        m_registration.Update(m_window->windowTitle().toStdString(), m_window->isVisible(),
                              m_window->isMinimized());
}

void CWindowRegistration::Raise()
{
    if (!m_window)
        return;
    if (m_window->isMinimized())
        m_window->showNormal();
    else
        m_window->show();
    m_window->raise();
    m_window->activateWindow();
    Refresh();
}

} // namespace platform
