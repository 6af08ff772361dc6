#pragma once

#include "prompter/Prompter.h"

#include <QString>
#include <QStringList>

class QWidget;

// The prompter of the running program: message boxes, beeps, file and font dialogs and the
// wait cursor on Qt Widgets. Dialogs are owned by the given owner window, else by the main
// window set with SetMainWindow.
class WidgetPrompter : public platform::IPrompter
{
public:
    void SetMainWindow(QWidget* window) { m_mainWindow = window; }

    void MessageBeep(platform::BeepType type) override;
    platform::Answer
    ShowMessage(int number, const std::string& text, platform::Icon icon, platform::Buttons buttons,
                const std::string& caption = std::string(),
                std::optional<platform::Answer> defaultButton = std::nullopt) override;
    std::optional<std::string> ChooseFile(const platform::FileDialogSpec& spec) override;
    std::optional<platform::FontDialogSpec>
    ChooseFont(const platform::FontDialogSpec& initial) override;
    void SetWaitCursor(bool on) override;

private:
    QWidget* Owner(void* owner) const;
    QWidget* m_mainWindow = nullptr;
    int m_waitDepth = 0;
};

// "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||" as a Qt name filter list
// ("Text Files (*.txt);;All Files (*.*)").
QString QtNameFilters(const std::string& filter);

// The suffix (lower case, without the dot) of each filter's first pattern, in filter order:
// "*.png" gives "png"; a pattern without one ("*.*") gives "".
QStringList FilterSuffixes(const std::string& filter);
