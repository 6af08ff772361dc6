#pragma once

#include "prompter/Prompter.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace platform {

// The prompter of a Qt Widgets program or library: message boxes, beeps, file dialogs and the
// wait cursor. Message boxes are owned by the main window set with SetMainWindow (none: a box
// without an owner); file dialogs by the owner the request names, else by that main window.
// Without a QApplication (a library loaded by a program that has none) messages are written to
// stderr, the dialogs answer "cancelled" and the cursor stays as it is.
class CWidgetPrompter : public IPrompter
{
public:
    void SetMainWindow(QWidget* window) { m_mainWindow = window; }
    // The caption of message boxes shown without one; empty (the default) stands for the
    // application's display name.
    void SetDefaultCaption(QString caption) { m_defaultCaption = std::move(caption); }

    void MessageBeep(BeepType type) override;
    Answer ShowMessage(int number, const std::string& text, Icon icon, Buttons buttons,
                       const std::string& caption = std::string(),
                       std::optional<Answer> defaultButton = std::nullopt) override;
    std::optional<std::string> ChooseFile(const FileDialogSpec& spec) override;
    void SetWaitCursor(bool on) override;

protected:
    // The window a dialog belongs to: the given one, else the main window.
    QWidget* Owner(void* owner) const;
    // True when a QApplication runs, so that widgets can be made.
    static bool HasWidgets();

private:
    QWidget* m_mainWindow = nullptr;
    QString m_defaultCaption;
    int m_waitDepth = 0;
};

// "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||" as a Qt name filter list
// ("Text Files (*.txt);;All Files (*.*)").
QString QtNameFilters(const std::string& filter);

// The suffix (lower case, without the dot) of each filter's first pattern, in filter order:
// "*.png" gives "png"; a pattern without one ("*.*") gives "".
QStringList FilterSuffixes(const std::string& filter);

} // namespace platform
