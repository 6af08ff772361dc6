#pragma once

#include "StatusProgress.h"

#include <QStatusBar>

class QLabel;

// The frame's status bar: the message pane, the find status pane (160 pixels at least) and
// the caps-lock, num-lock and scroll-lock indicators. It is also the status bar the loaders
// report progress on.
class CMainStatusBar : public QStatusBar, public IStatusBar
{
    Q_OBJECT
public:
    explicit CMainStatusBar(QWidget* parent = nullptr);

    // IStatusBar
    std::string Text() const override;
    void SetText(const std::string& text) override;
    CRectPx FirstPaneRect() const override;
    int TextWidth(const std::string& text) const override;
    std::unique_ptr<IProgressBar> CreateProgressBar() override;

    // The find result: " %d matches found, %d/%d selected " when both numbers are not 0,
    // else an empty pane 160 pixels wide.
    void SetFindStatus(int selectedIndex, int matches);
    QString FindStatusText() const;
    QLabel* MessagePane() const { return m_message; }

private:
    QLabel* m_message;
    QLabel* m_find;
};
