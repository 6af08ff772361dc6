#include "ShowCommand.h"

#include <QWidget>

#include <cstdlib>
#include <string_view>

StartShow ParseShowCommand(const char* text)
{
    const std::string_view value(text != nullptr ? text : "");
    if (value == "6")
        return StartShow::Minimised;
    if (value == "3")
        return StartShow::Maximised;
    return StartShow::Normal;
}

StartShow ShowCommandFromEnvironment()
{
    return ParseShowCommand(std::getenv("MODELBROWSER_SHOW_COMMAND"));
}

void ShowMainWindow(QWidget& window, StartShow show)
{
    switch (show) {
    case StartShow::Minimised:
        window.showMinimized();
        break;
    case StartShow::Maximised:
        window.showMaximized();
        break;
    case StartShow::Normal:
        window.show();
        break;
    }
}
