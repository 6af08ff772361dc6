// The documentation browser program: "zelio" starts the browser (or brings the running one
// forward), "zelio --execute COMMAND [--service S] [--topic T] [--timeout MS]" sends one DDE
// command to the running browser and exits 0 processed, 1 not processed, 2 no server. The
// main window starts normal, minimised or maximised as MODELBROWSER_SHOW_COMMAND says.
// "zelio --check-plugins" loads the configuration's plug-ins without showing anything, prints
// the path of each one loaded and exits 0 when every configured plug-in loaded, else 1.

#include "BrowserWindow.h"
#include "ExecuteCommand.h"
#include "ShowCommand.h"
#include "prompter/StreamPrompter.h"
#include "widgets/WidgetPrompter.h"
#include "windows/WindowRegistry.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int Usage()
{
    std::fprintf(stderr, "usage: zelio [--execute COMMAND [--service S] [--topic T] "
                         "[--timeout MS]] | --check-plugins\n");
    return kExecuteNoServer;
}

// Handles --execute; -1 when the command line asks for the browser itself.
int ScriptingDoor(int argc, char** argv)
{
    bool execute = false;
    CExecuteRequest request;
    for (int i = 1; i < argc; ++i) {
        const auto value = [&](std::string& target) {
            if (i + 1 >= argc)
                return false;
            target = argv[++i];
            return true;
        };
        if (std::strcmp(argv[i], "--execute") == 0) {
            execute = true;
            if (!value(request.command))
                return Usage();
        } else if (std::strcmp(argv[i], "--service") == 0) {
            if (!value(request.service))
                return Usage();
        } else if (std::strcmp(argv[i], "--topic") == 0) {
            if (!value(request.topic))
                return Usage();
        } else if (std::strcmp(argv[i], "--timeout") == 0) {
            std::string text;
            if (!value(text))
                return Usage();
            request.timeoutMs = std::atoi(text.c_str());
            if (request.timeoutMs <= 0)
                return Usage();
        }
    }
    if (!execute)
        return -1;
    std::string error;
    const int code = SendExecute(request, error);
    if (code != kExecuteProcessed)
        std::fprintf(stderr, "zelio: %s\n", error.c_str());
    return code;
}

// A browser of this user runs already: bring it forward. True when it answered.
bool BringRunningForward()
{
    const auto running = platform::FindWindowByClass("ZELWIN");
    if (!running)
        return false;
    std::string error;
    if (platform::BringWindowToFront(*running, 3000, &error))
        return true;
    std::fprintf(stderr, "zelio: the running browser does not answer (%s); starting anew\n",
                 error.c_str());
    return false;
}

// Loads the plug-ins as the browser does (no DDE service, no window registration, messages
// on standard error) and reports them.
int CheckPlugins(int argc, char** argv)
{
    QApplication app(argc, argv);
    platform::StreamPrompter prompter(stderr);
    CBrowserWindow::Options options;
    options.serveDde = false;
    options.registerWindow = false;
    CBrowserWindow window(prompter, options);
    if (!window.Start())
        return 1;
    const std::vector<std::string> loaded = window.Plugins().LoadedPaths();
    for (const std::string& path : loaded)
        std::printf("%s\n", path.c_str());
    std::fflush(stdout);
    return loaded.size() == window.ConfiguredPlugins().size() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--check-plugins") == 0)
        return CheckPlugins(argc, argv);
    const int door = ScriptingDoor(argc, argv);
    if (door >= 0)
        return door;
    if (BringRunningForward())
        return 0;

    QApplication app(argc, argv);
    QApplication::setApplicationName("Zelio");
    QApplication::setApplicationDisplayName("Zelio");
    QApplication::setWindowIcon(QIcon(":/zelio/zelio.png"));
    platform::CWidgetPrompter prompter;
    CBrowserWindow window(prompter, CBrowserWindow::Options{});
    prompter.SetMainWindow(&window);
    ShowMainWindow(window, ShowCommandFromEnvironment());
    window.Start();
    return app.exec();
}
