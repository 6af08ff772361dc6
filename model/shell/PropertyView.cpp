#include "PropertyView.h"

#include "ColorTable.h"
#include "PagePainter.h"
#include "ShellContext.h"

#include <QPainter>
#include <QTabBar>
#include <QTabWidget>

CPropertyView::CPropertyView(CShellContext& shell, QWidget* parent)
    : QWidget(parent), m_shell(shell), m_tabs(new QTabWidget(this))
{
    m_tabs->setDocumentMode(false);
    m_tabs->tabBar()->setFont(shell.normalFont);
    m_tabs->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 6px 8px; }"));
    m_tabs->hide();
    connect(m_tabs, &QTabWidget::currentChanged, this, &CPropertyView::CurrentTabChanged);
}

QWidget* CPropertyView::AddView(const QString& label, QWidget* view, const QIcon& icon)
{
    if (!view)
        return nullptr;
    m_tabs->addTab(view, icon, label);
    m_tabs->show();
    LayoutTabs();
    return view;
}

void CPropertyView::RemoveTab(int position)
{
    QWidget* view = m_tabs->widget(position);
    if (!view)
        return;
    m_tabs->removeTab(position);
    delete view;
    if (m_tabs->count() == 0) {
        m_tabs->hide();
        update();
    }
}

void CPropertyView::RemoveAllTabs()
{
    while (m_tabs->count() > 0)
        RemoveTab(m_tabs->count() - 1);
}

void CPropertyView::SelectTab(int position)
{
    if (position < 0 || position >= m_tabs->count() || position == m_tabs->currentIndex())
        return;
    m_tabs->setCurrentIndex(position);
}

int CPropertyView::TabCount() const
{
    return m_tabs->count();
}

int CPropertyView::CurrentTab() const
{
    return m_tabs->currentIndex();
}

QWidget* CPropertyView::CurrentView() const
{
    return m_tabs->currentWidget();
}

QWidget* CPropertyView::ViewAt(int position) const
{
    return m_tabs->widget(position);
}

int CPropertyView::PositionOf(const QWidget* view) const
{
    return view ? m_tabs->indexOf(const_cast<QWidget*>(view)) : -1;
}

void CPropertyView::SetCaption(const QString& caption)
{
    m_caption = caption;
    update(0, 0, width(), kCaptionHeight);
}

void CPropertyView::SetActive(bool active)
{
    if (m_active == active)
        return;
    m_active = active;
    update(0, 0, width(), kCaptionHeight);
}

void CPropertyView::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    const CColorTable& colors = *m_shell.colors;
    painter.fillRect(rect(), ToQColor(colors.Color("BACKGROUND PROPERTY VIEW")));
    if (m_tabs->count() == 0)
        return;
    const QRect strip(0, 0, width(), kCaptionHeight);
    const char* back = m_active ? "COLOR_ACTIVECAPTION" : "COLOR_INACTIVECAPTION";
    const char* text = m_active ? "COLOR_CAPTIONTEXT" : "COLOR_INACTIVECAPTIONTEXT";
    painter.fillRect(strip, ToQColor(colors.Color(back)));
    painter.setPen(ToQColor(colors.Color("COLOR_WINDOWTEXT")));
    painter.drawLine(0, kCaptionHeight - 1, width() - 1, kCaptionHeight - 1);
    painter.setFont(m_shell.boldFont);
    painter.setPen(ToQColor(colors.Color(text)));
    painter.drawText(QRect(4, 0, width() - 4, kCaptionHeight - 1),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_caption);
}

void CPropertyView::resizeEvent(QResizeEvent* /*event*/)
{
    LayoutTabs();
}

void CPropertyView::LayoutTabs()
{
    m_tabs->setGeometry(kInset, kCaptionHeight + kInset, std::max(0, width() - 2 * kInset),
                        std::max(0, height() - kCaptionHeight - 2 * kInset));
}
