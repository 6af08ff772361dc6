#include "ObuDde.h"

#include "DdeTopicPlugin.h"
#include "widgets/WidgetPrompter.h"

#include <QApplication>
#include <QWidget>

namespace {

// Brings the browser's main window to the top. The window word is a top-level widget of
// this process; anything else is left alone.
void RaiseMainWindow(uintptr_t window)
{
    if (!window || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (reinterpret_cast<uintptr_t>(widget) != window)
            continue;
        if (widget->isMinimized())
            widget->showNormal();
        widget->raise();
        widget->activateWindow();
        return;
    }
}

platform::CWidgetPrompter& WidgetPrompter()
{
    static platform::CWidgetPrompter prompter;
    return prompter;
}

} // namespace

extern "C" uintptr_t KBL_PLUGINinit(uintptr_t /*startWord*/, const uintptr_t* startRecord)
{
    SetDefaultObuPrompter(&WidgetPrompter());
    SetObuWindowRaiser(RaiseMainWindow);
    return reinterpret_cast<uintptr_t>(StartDdeTopicPlugin(startRecord));
}

extern "C" intptr_t KBL_PLUGINdestroy(uintptr_t record)
{
    StopDdeTopicPlugin(reinterpret_cast<CDdeTopicPlugin*>(record));
    return 0;
}

void ObuDdeSetPrompter(platform::IPrompter* prompter)
{
    SetObuPrompter(prompter);
}
