#pragma once

class QWidget;

// How the browser shows its main window at start. A program that starts the browser says so
// in the environment variable MODELBROWSER_SHOW_COMMAND: 1 normal, 6 minimised, 3 maximised.
enum class StartShow
{
    Normal = 1,
    Maximised = 3,
    Minimised = 6
};

// The show command of a variable's text: "3" Maximised, "6" Minimised; anything else, and no
// text (nullptr), Normal.
StartShow ParseShowCommand(const char* text);
// The show command of MODELBROWSER_SHOW_COMMAND in this process's environment.
StartShow ShowCommandFromEnvironment();
// Shows the window as the command says.
void ShowMainWindow(QWidget& window, StartShow show);
