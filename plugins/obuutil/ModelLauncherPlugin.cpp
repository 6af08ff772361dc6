#include "ModelLauncherPlugin.h"

#include "BrowserInterface.h"
#include "Disclaimer.h"
#include "DisclaimerDialog.h"
#include "ModelLauncher.h"
#include "ObuUtil.h"
#include "PluginFrameExports.h"
#include "shell/ShellOpen.h"
#include "widgets/WidgetPrompter.h"
#include "windows/WindowRegistry.h"

#include <QApplication>
#include <QWidget>

namespace {

// How long a running model browser has to answer the request to come forward.
constexpr int kRaiseTimeoutMs = 2000;

// The library's plug-in object: made when the library is loaded, reached by the exports.
CModelLauncherPlugin g_plugin;

bool HasWidgets()
{
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

} // namespace

CModelLauncherPlugin::~CModelLauncherPlugin()
{
    ReleaseConfigPath();
}

void CModelLauncherPlugin::OnInit()
{
    RegisterHooks(kHookMenu | kHookView);
    ReleaseConfigPath(); // a second start asks again
    m_configPath = ZelConfigPathGet("corvelle.ini");
}

void CModelLauncherPlugin::OnDestroy()
{
    ReleaseConfigPath();
}

void CModelLauncherPlugin::ReleaseConfigPath()
{
    if (m_configPath != nullptr)
        ZelConfigPathRelease(m_configPath);
    m_configPath = nullptr;
}

void CModelLauncherPlugin::OnViewOpened(uintptr_t /*word*/, uintptr_t view)
{
    ZelViewMenuAdd(view, "", kSeparatorFlags, &PluginMenuItemProc, kMenuItemWord);
    ZelViewMenuAdd(view, obuutil::ResourceString(obuutil::kStrModelMenu), kModelItemFlags,
                   &PluginMenuItemProc, kMenuItemWord);
}

void CModelLauncherPlugin::OnMenuItemChosen(const plugins::MenuItemChoice& choice)
{
    if (choice.reason == 2)
        LaunchModel(choice.item);
}

void CModelLauncherPlugin::OnMenuCommand(uintptr_t command)
{
    if (command == m_disclaimerCommand)
        ShowDisclaimer();
}

void CModelLauncherPlugin::LaunchModel(uintptr_t item)
{
    const uintptr_t collectionWindow = ZelCollectionWindowOf(item);
    const uintptr_t collection = collectionWindow != 0 ? ZelCollectionOf(collectionWindow) : 0;
    const char* directory = collection != 0 ? ZelCollectionDirectory(collection) : nullptr;
    if (directory == nullptr)
        return;

    obuutil::LaunchServices services;
    services.collectionName = [this, directory]() -> std::optional<std::string> {
        char name[obuutil::kTextLimit + 1] = {};
        uintptr_t found = 0;
        if (ZelCollectionName(ZelCollectionTable(Context()), directory, name,
                              static_cast<int>(obuutil::kTextLimit), &found) != 0)
            return std::nullopt;
        name[obuutil::kTextLimit] = '\0';
        return std::string(name);
    };
    services.windows = [] { return platform::EnumerateWindows(); };
    services.raise = [](const platform::WindowEntry& window) {
        return platform::BringWindowToFront(window, kRaiseTimeoutMs);
    };
    const std::string folder =
        m_programFolder.empty() ? obuutil::RunningProgramFolder() : m_programFolder;
    services.open = [folder](const std::string& path) {
        platform::ShellOpenOptions options;
        options.fallbackProgram = obuutil::FallbackModelProgram(folder);
        return platform::ShellOpen(path, options);
    };
    const obuutil::LaunchResult result = obuutil::LaunchModel(directory, services);
    if (result.notice)
        obuutil::ShowNotice(Prompter(), *result.notice);
}

void CModelLauncherPlugin::ShowDisclaimer()
{
    const obuutil::DisclaimerLocation location =
        obuutil::LocateDisclaimer(m_configPath != nullptr ? m_configPath : "");
    if (location.notice) {
        obuutil::ShowNotice(Prompter(), *location.notice);
        return;
    }
    // The dialog reads the file as it starts: a failure is said first, then the dialog shows
    // an empty text.
    const obuutil::DisclaimerText text = obuutil::ReadDisclaimer(location.path);
    if (text.notice)
        obuutil::ShowNotice(Prompter(), *text.notice);
    if (!HasWidgets())
        return;
    CDisclaimerDialog dialog(QString::fromUtf8(text.text), OwnerWindow());
    dialog.exec();
}

platform::IPrompter& CModelLauncherPlugin::Prompter()
{
    static platform::CWidgetPrompter widgetPrompter;
    return m_prompter != nullptr ? *m_prompter : widgetPrompter;
}

QWidget* CModelLauncherPlugin::OwnerWindow() const
{
    if (!FoundMainWindow() || !HasWidgets())
        return nullptr;
    // The browser answers its main window as a word; only a top-level widget of this
    // process is taken as one.
    const uintptr_t word = ZelMainWindow(StartRecord()[2]);
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (word != 0 && reinterpret_cast<uintptr_t>(widget) == word)
            return widget;
    return nullptr;
}

void ObuUtilSetPrompter(platform::IPrompter* prompter)
{
    g_plugin.SetPrompter(prompter);
}

void ObuUtilSetProgramFolder(const char* folder)
{
    g_plugin.SetProgramFolder(folder != nullptr ? folder : "");
}
