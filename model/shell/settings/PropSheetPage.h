#pragma once

#include <QString>
#include <QWidget>

class QCheckBox;

// One page of the settings sheet. A page fills its controls from the settings the first time
// it is shown and writes them back when the sheet is closed with OK; a page that was never
// shown writes nothing. Cancel discards the page's edits.
class CPropSheetPage : public QWidget
{
    Q_OBJECT
public:
    explicit CPropSheetPage(const QString& caption, QWidget* parent = nullptr);

    // The caption of the page's tab.
    const QString& Caption() const { return m_caption; }
    // Whether the page has been shown (and so has filled its controls).
    bool IsInitialized() const { return m_initialized; }
    // Fills the controls the first time; later calls do nothing.
    void Activate();

    // Writes the page's edits back; the sheet calls it on OK for every page that was shown.
    virtual void OnOK() {}
    // The sheet is closing without OK. Default: nothing to undo.
    virtual void OnCancel() {}

protected:
    // A check box with its caption and object name (tests find controls by name), owned by
    // parent.
    static QCheckBox* MakeCheckBox(const char* caption, const char* name, QWidget* parent);

    // Fills the controls from the settings (called once, when the page is first shown).
    virtual void OnInitPage() = 0;

private:
    QString m_caption;
    bool m_initialized = false;
};
