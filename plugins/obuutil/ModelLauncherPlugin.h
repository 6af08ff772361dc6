#pragma once

#include "PluginFrame.h"

#include <cstdint>
#include <string>

class QWidget;

namespace platform {
class IPrompter;
}

// The model launcher plug-in: "Model..." in every document view's menu opens the collection's
// model in the model browser (or brings forward a model browser that shows it already), and
// the browser's disclaimer command shows the product disclaimer. The library's one plug-in
// object; its logic lives in the Qt-free ModelLauncher and Disclaimer.
class CModelLauncherPlugin : public plugins::CPluginFrame
{
public:
    // The browser's menu command that shows the disclaimer.
    static constexpr uintptr_t kDisclaimerCommand = 40001;
    // What a view's menu item hands back to its procedure.
    static constexpr uintptr_t kMenuItemWord = 2;
    static constexpr uint32_t kSeparatorFlags = 0x60000;
    static constexpr uint32_t kModelItemFlags = 0x60002;

    CModelLauncherPlugin() = default;
    ~CModelLauncherPlugin() override;

    // The prompter of the plug-in's messages (nullptr: its own Qt prompter); not owned.
    void SetPrompter(platform::IPrompter* prompter) { m_prompter = prompter; }
    // The folder of the fallback model browser (empty: the running program's folder).
    void SetProgramFolder(std::string folder) { m_programFolder = std::move(folder); }

    // The browser's configuration file as the browser answered it at init; nullptr before
    // init, after destroy, or when the browser has none.
    const char* ConfigPath() const { return m_configPath; }

protected:
    void OnInit() override;
    void OnDestroy() override;
    void OnViewOpened(uintptr_t word, uintptr_t view) override;
    void OnMenuItemChosen(const plugins::MenuItemChoice& choice) override;
    void OnMenuCommand(uintptr_t command) override;

private:
    void ReleaseConfigPath();
    // The collection of the menu item's view, its model, and the model browser.
    void LaunchModel(uintptr_t item);
    // The disclaimer in dialog 101, or the message that says why there is none.
    void ShowDisclaimer();
    platform::IPrompter& Prompter();
    // The browser's main window once the watch thread has found it, else nullptr.
    QWidget* OwnerWindow() const;

    uintptr_t m_disclaimerCommand = kDisclaimerCommand;
    const char* m_configPath = nullptr;
    platform::IPrompter* m_prompter = nullptr;
    std::string m_programFolder;
};
