#pragma once

#include <QIcon>
#include <QWidget>

class QTabWidget;
struct CShellContext;

// A tabbed pane with a caption strip: the model side (a tab per page) and the information side
// are both built on it. Each tab owns the view it shows.
class CPropertyView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kCaptionHeight = 14;
    static constexpr int kInset = 4;

    CPropertyView(CShellContext& shell, QWidget* parent = nullptr);

    // Appends a tab showing view (the tab takes ownership). Answers the view, or nullptr when
    // there is no view (no tab is added then).
    QWidget* AddView(const QString& label, QWidget* view, const QIcon& icon = QIcon());
    // Destroys the tab's view and deletes the tab; the tab control hides when none is left.
    void RemoveTab(int position);
    void RemoveAllTabs();
    // Shows the tab's view; selecting the current tab again changes nothing.
    void SelectTab(int position);
    int TabCount() const;
    int CurrentTab() const;
    QWidget* CurrentView() const;
    QWidget* ViewAt(int position) const;
    // The tab of a view, or -1.
    int PositionOf(const QWidget* view) const;
    QTabWidget* TabControl() const { return m_tabs; }

    void SetCaption(const QString& caption);
    QString Caption() const { return m_caption; }

    // Active while the keyboard focus is in one of its views; the caption strip shows it.
    void SetActive(bool active);
    bool IsActive() const { return m_active; }

signals:
    void CurrentTabChanged(int position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    CShellContext& Shell() const { return m_shell; }

private:
    void LayoutTabs();

    CShellContext& m_shell;
    QTabWidget* m_tabs;
    QString m_caption;
    bool m_active = false;
};
