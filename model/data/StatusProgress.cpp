#include "StatusProgress.h"

#include <cstdio>

namespace {
constexpr int kBarWidth = 150;
constexpr int kBarMargin = 2; // free pixels above and below the bar
constexpr int kTextGap = 5;   // pixels between the end of the text and the bar
} // namespace

CStatusProgress::CStatusProgress(IStatusBar* statusBar, const std::string& text, bool withBar)
    : m_statusBar(statusBar), m_text(text)
{
    if (!m_statusBar)
        return;
    m_previousText = m_statusBar->Text();
    m_statusBar->SetText(text);
    if (withBar) {
        m_bar = m_statusBar->CreateProgressBar();
        if (m_bar) {
            m_bar->SetVisible(false);
            m_bar->SetRange(0, 0);
            m_bar->SetPosition(0);
        }
    }
}

CStatusProgress::~CStatusProgress()
{
    if (!m_statusBar)
        return;
    m_bar.reset();
    m_statusBar->SetText(m_previousText);
}

CRectPx CStatusProgress::BarRect() const
{
    if (!m_statusBar)
        return {};
    const CRectPx pane = m_statusBar->FirstPaneRect();
    CRectPx rect;
    rect.left = pane.left + m_statusBar->TextWidth(m_text) + kTextGap;
    rect.right = rect.left + kBarWidth;
    rect.top = pane.top + kBarMargin;
    rect.bottom = pane.bottom - kBarMargin;
    return rect;
}

void CStatusProgress::Show(int show)
{
    if (!m_bar)
        return;
    m_bar->Place(BarRect());
    m_bar->SetVisible(show != 0);
}

void CStatusProgress::SetText(const std::string& text)
{
    m_text = text;
    if (m_statusBar)
        m_statusBar->SetText(text);
}

void CStatusProgress::SetPos(int position, int low, int high)
{
    if (low != -1 && high != -1) {
        m_low = low;
        m_high = high;
        if (m_bar)
            m_bar->SetRange(low, high);
    }
    if (position != -1) {
        m_position = position;
        if (m_bar)
            m_bar->SetPosition(position);
    }
}

void CStatusProgress::Complete(int percent)
{
    if (!m_statusBar)
        return;
    if (m_bar) {
        SetPos(percent > 100 ? percent : 100, 0, 100);
        return;
    }
    if (m_baseText.empty())
        m_baseText = m_statusBar->Text();
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, " -- %d%%", percent);
    m_text = m_baseText + suffix;
    m_statusBar->SetText(m_text);
}

void CPercentTracker::Update(unsigned long long position)
{
    if (!m_progress || m_range == 0)
        return;
    const long long percent = static_cast<long long>(position * 100ULL / m_range);
    if (percent == m_last)
        return;
    m_last = percent;
    m_progress->SetPos(static_cast<int>(percent));
}
