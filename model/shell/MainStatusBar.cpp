#include "MainStatusBar.h"

#include "text/TextDecode.h"

#include <QFontMetrics>
#include <QLabel>
#include <QProgressBar>

namespace {

constexpr int kFindPaneMinWidth = 160;

class StatusProgressBar : public IProgressBar
{
public:
    explicit StatusProgressBar(QWidget* parent) : m_bar(new QProgressBar(parent))
    {
        m_bar->setTextVisible(false);
        m_bar->hide();
    }
    ~StatusProgressBar() override { delete m_bar; }
    void Place(const CRectPx& r) override { m_bar->setGeometry(r.left, r.top, r.Width(), r.Height()); }
    void SetVisible(bool visible) override
    {
        m_bar->setVisible(visible);
        if (visible)
            m_bar->repaint();
    }
    void SetRange(int low, int high) override { m_bar->setRange(low, high); }
    void SetPosition(int position) override
    {
        m_bar->setValue(position);
        if (m_bar->isVisible())
            m_bar->repaint();
    }

private:
    QProgressBar* m_bar;
};

QLabel* MakeIndicator(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(text) + 8);
    // Lock states cannot be read portably on every desktop; the indicators stay dimmed.
    label->setEnabled(false);
    return label;
}

} // namespace

CMainStatusBar::CMainStatusBar(QWidget* parent)
    : QStatusBar(parent), m_message(new QLabel(this)), m_find(new QLabel(this))
{
    setObjectName(QStringLiteral("statusBar"));
    m_message->setObjectName(QStringLiteral("messagePane"));
    m_find->setObjectName(QStringLiteral("findPane"));
    m_find->setMinimumWidth(kFindPaneMinWidth);
    addWidget(m_message, 1);
    addPermanentWidget(m_find);
    addPermanentWidget(MakeIndicator(QStringLiteral("CAP"), this));
    addPermanentWidget(MakeIndicator(QStringLiteral("NUM"), this));
    addPermanentWidget(MakeIndicator(QStringLiteral("SCRL"), this));
    m_message->setText(QStringLiteral("Ready"));
}

std::string CMainStatusBar::Text() const
{
    return m_message->property("rawText").isValid()
               ? m_message->property("rawText").toByteArray().toStdString()
               : m_message->text().toStdString();
}

void CMainStatusBar::SetText(const std::string& text)
{
    // The raw bytes are kept so that a text put back later is exactly what was there.
    m_message->setProperty("rawText", QByteArray::fromStdString(text));
    m_message->setText(QString::fromStdString(platform::DecodeToUtf8(text)));
    m_message->repaint();
}

CRectPx CMainStatusBar::FirstPaneRect() const
{
    const QRect r = m_message->geometry();
    return CRectPx{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
}

int CMainStatusBar::TextWidth(const std::string& text) const
{
    return m_message->fontMetrics().horizontalAdvance(
        QString::fromStdString(platform::DecodeToUtf8(text)));
}

std::unique_ptr<IProgressBar> CMainStatusBar::CreateProgressBar()
{
    return std::make_unique<StatusProgressBar>(this);
}

void CMainStatusBar::SetFindStatus(int selectedIndex, int matches)
{
    if (selectedIndex != 0 && matches != 0) {
        const QString text = QString::asprintf(" %d matches found, %d/%d selected ", matches,
                                               selectedIndex, matches);
        m_find->setText(text);
        m_find->setMinimumWidth(
            std::max(kFindPaneMinWidth, m_find->fontMetrics().horizontalAdvance(text)));
    } else {
        m_find->clear();
        m_find->setMinimumWidth(kFindPaneMinWidth);
    }
}

QString CMainStatusBar::FindStatusText() const
{
    return m_find->text();
}
