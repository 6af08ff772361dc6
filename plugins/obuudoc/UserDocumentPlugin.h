#pragma once

// The user-documents plug-in of the documentation browser: "Add &User Doc" in every
// collection window's and view's menu, which adds a reference to a document of the user's
// own to the configured book; user documents opened through the shell; raster figures of
// "orn-raster" scripts shown in graphics windows of the browser.

#include "RasterFigures.h"
#include "UserDocumentFile.h"

#include "PluginFrame.h"
#include "widgets/WidgetPrompter.h"

#include <cstdint>

class QWidget;

namespace obuudoc {

class CAddUserDocDialog;

class CUserDocumentPlugin : public plugins::CPluginFrame
{
public:
    static constexpr const char* kMenuText = "Add &User Doc";
    static constexpr uint32_t kMenuFlags = 0x10002;
    static constexpr const char* kLaunchKind = "user_document";

    CUserDocumentPlugin();
    ~CUserDocumentPlugin() override;

    // The menu item: the "Add User Document" dialog over the browser's main window. 0.
    intptr_t ChooseAddUserDocument();
    // Runs the dialog over owner (a QWidget* as a word; an unknown one: none). 1 when a
    // document was given and added (or its adding reported), 0 when cancelled or when there
    // is no widget toolkit to show it.
    intptr_t RunAddDialog(uintptr_t owner);
    // "&Browse" of the open dialog, or the chooser alone into the dialog's buffers. 1.
    intptr_t LocateDocument();
    // Adds the document to the configured book; a failure is shown as an error owned by the
    // window active now. True when added.
    bool AddDocument(const UserDocumentInput& input);
    // Opens a user document with its associated program; a shell failure is shown as an
    // error owned by the script's browser window. 0.
    intptr_t LaunchDocument(uintptr_t record, const char* file);

    // The prompter of the messages and choosers; nullptr: the plug-in's widget prompter.
    void SetPrompter(platform::IPrompter* prompter) { m_prompter = prompter; }
    platform::IPrompter& Prompter();

    const CRasterFigureList& Figures() const { return m_figures; }

protected:
    void OnInit() override;
    void OnDestroy() override;
    void OnCollectionWindowOpened(uintptr_t collectionWindow) override;
    void OnViewOpened(uintptr_t word, uintptr_t view) override;
    void OnScriptConstructed(const std::string& text, uintptr_t context, uintptr_t view,
                             uintptr_t script, uintptr_t fourth, uintptr_t record) override;
    void OnScriptRefreshed(const std::string& text, uintptr_t view, uintptr_t script,
                           uintptr_t fourth, uintptr_t record) override;
    void OnScriptDestroyed(const std::string& text, uintptr_t view, uintptr_t script,
                           uintptr_t fourth, uintptr_t record) override;
    void OnGraphDestroyed(uintptr_t graph) override;

private:
    // Messages of the widget prompter are owned by window (nullptr: none).
    void SetMessageOwner(QWidget* window);
    // The settings of section [userdoc], read now from the configuration file whose path is
    // fetched on the first adding and kept.
    UserDocumentSettings Settings();

    uintptr_t m_context = 0;
    const char* m_configPath = nullptr;
    CRasterFigureList m_figures;
    platform::CWidgetPrompter m_widgetPrompter;
    platform::IPrompter* m_prompter = nullptr;
    CAddUserDocDialog* m_dialog = nullptr; // the open dialog, if any
};

// The widget behind a word (a QWidget* as a word) when it is a live widget of this
// process; nullptr otherwise or without a widget toolkit.
QWidget* WidgetOfWord(uintptr_t word);

} // namespace obuudoc
