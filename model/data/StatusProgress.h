#pragma once

#include <memory>
#include <string>

// A rectangle in pixels (left, top, right, bottom).
struct CRectPx
{
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const CRectPx&) const = default;
};

// A progress bar child of the status bar, made by IStatusBar::CreateProgressBar.
class IProgressBar
{
public:
    virtual ~IProgressBar() = default;
    virtual void Place(const CRectPx& rect) = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual void SetRange(int low, int high) = 0;
    virtual void SetPosition(int position) = 0;
};

// The main frame's status bar as the loaders see it. The GUI implements it on its status
// bar; tools and tests use a recording one.
class IStatusBar
{
public:
    virtual ~IStatusBar() = default;
    // The text of the first pane.
    virtual std::string Text() const = 0;
    // Shows the text in the first pane at once (repaints immediately).
    virtual void SetText(const std::string& text) = 0;
    // The first pane's rectangle and the width of a text in the status bar's font.
    virtual CRectPx FirstPaneRect() const = 0;
    virtual int TextWidth(const std::string& text) const = 0;
    // A new hidden progress bar; owned by the caller, destroyed with it.
    virtual std::unique_ptr<IProgressBar> CreateProgressBar() = 0;
};

// Shows what a long action is doing in the status bar, optionally with a progress bar, and
// puts the previous status text back when it is destroyed. Lives for one action. A null
// status bar makes every operation a no-op (command-line tools without progress).
class CStatusProgress
{
public:
    // Remembers the bar's current text and shows text at once; with withBar, creates a hidden
    // progress bar with range 0..0 and position 0.
    CStatusProgress(IStatusBar* statusBar, const std::string& text, bool withBar = false);
    // Restores the remembered text and destroys the bar.
    ~CStatusProgress();
    CStatusProgress(const CStatusProgress&) = delete;
    CStatusProgress& operator=(const CStatusProgress&) = delete;

    // Places the bar (150 px wide, inside the first pane with 2 px free at top and bottom,
    // 5 px right of the end of the current text) and shows it (1) or hides it (0).
    void Show(int show);
    void SetText(const std::string& text);
    // Sets position and range; -1 leaves a value unchanged; low and high change together.
    void SetPos(int position, int low = -1, int high = -1);
    // With a bar: range 0..100 and position max(100, percent). Without: the status text
    // becomes the base text (the text at the first call) followed by " -- %d%%".
    void Complete(int percent);

    // Where the bar goes for the current text (exposed for tests and the GUI).
    CRectPx BarRect() const;
    bool HasBar() const { return m_bar != nullptr; }

private:
    IStatusBar* m_statusBar;
    std::string m_previousText;
    std::string m_text;
    std::string m_baseText;
    std::unique_ptr<IProgressBar> m_bar;
    int m_low = 0, m_high = 0, m_position = 0;
};

// Sets a progress bar from a byte position only when the percentage changes, so reading a
// large file costs one bar update per percent, not per line.
class CPercentTracker
{
public:
    // A null progress or a range of 0 means "no progress" (nothing is sent).
    CPercentTracker(CStatusProgress* progress, unsigned long long range)
        : m_progress(progress), m_range(range)
    {
    }
    // Sends position * 100 / range (integer division) when it differs from the last value
    // sent.
    void Update(unsigned long long position);

private:
    CStatusProgress* m_progress;
    unsigned long long m_range;
    long long m_last = -1;
};
