#include "StartupSplash.h"

#include "Resources.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTimer>

CStartupSplash::CStartupSplash(QWidget* owner)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_owner(owner),
      m_pixmap(SplashPixmap())
{
    setObjectName(QStringLiteral("startupSplash"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(m_pixmap.size());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    qApp->installEventFilter(this);
    QTimer::singleShot(kTimeoutMs, this, &CStartupSplash::Finish);
    show();
}

CStartupSplash::~CStartupSplash()
{
    qApp->removeEventFilter(this);
}

void CStartupSplash::Finish()
{
    if (m_finished)
        return;
    m_finished = true;
    qApp->removeEventFilter(this);
    close();
    if (m_owner)
        m_owner->repaint();
}

void CStartupSplash::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_pixmap);
}

bool CStartupSplash::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::NonClientAreaMouseButtonPress:
        Finish();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}
