#pragma once

#include "ColorTable.h"
#include "CommandIds.h"
#include "DocumentationLink.h"
#include "ModelContext.h"
#include "PlacementInfo.h"
#include "ShellContext.h"

#include <QObject>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <memory>
#include <string>

namespace platform {
class IniSettingsStore;
class IPrompter;
} // namespace platform
class CModelDoc;
class CMainFrame;
class CHelpWindow;
class WidgetPrompter;

// The application object of the model browser: owns the settings store, the switches, the
// palette, the placement record, the documentation link, the document and the main frame;
// runs the start-up sequence and saves everything at exit.
class CModelApp : public QObject, public ICommandTarget
{
    Q_OBJECT
public:
    struct Options
    {
        std::string settingsPath;                // empty: the per-user default
        platform::IPrompter* prompter = nullptr; // nullptr: message boxes and dialogs
        bool splash = true;                      // show the start-up splash
        bool showFrame = true;                   // show the main window once started
        // Opens a URL on the desktop; false when the desktop cannot. Unset: the desktop's
        // own handler (QDesktopServices).
        std::function<bool(const QUrl&)> openOnDesktop;
        QString manualPath; // the user manual's first page; empty: the installed one
        // What the documentation link works through; nullptr: the platform's windows, DDE
        // and programs, and the query library.
        IViewerSystem* viewerSystem = nullptr;
        IQueryLibrary* queryLibrary = nullptr;
    };

    explicit CModelApp(Options options);
    ~CModelApp() override;

    // The whole start-up: settings, palette, fonts, frame, then the command line (empty, a
    // model path, or COLLECTION=name). False when a model named on the command line cannot
    // be opened: the program then ends.
    bool InitInstance(const std::string& commandLine);
    // Writes every setting (switches, documentation link, placement, colours, recent files,
    // the model's font) and empties the document.
    void ExitInstance();

    // Opens a model, then lays the panes out: the model layout when it opened or a model with
    // a path is still open, else the empty layout. Answers whether it opened.
    bool OpenDocumentFile(const std::string& path);
    // A new empty document and the empty layout.
    void NewDocument();
    // Writes every setting now (the placement first taken from the frame).
    void SaveSettingsNow();
    // Help for a context (a dialog id, or 0): the user manual with "HELP ENGINE" 1, else the
    // documentation link's help for the context's topic title. The manual opens on the
    // desktop, else in the program's own help window; a missing or unreadable manual is
    // reported.
    void WinHelp(int context);
    // The program's own help window, once help has needed it (else nullptr).
    CHelpWindow* HelpWindow() const { return m_helpWindow.get(); }

    CModelDoc& Document() { return *m_document; }
    CMainFrame* Frame() { return m_frame.get(); }
    CModelContext& Context() { return m_context; }
    CShellContext& Shell() { return m_shell; }
    CColorTable& Colors() { return m_colors; }
    CPlacementInfo& Placement() { return m_placement; }
    CDocumentationLink& DocumentationLink() { return m_docLink; }
    platform::IniSettingsStore& Store() { return *m_store; }
    const QStringList& RecentFiles() const { return m_recentFiles; }
    // The help topic title of a help context (the low 16 bits name a dialog); "" for others.
    static std::string HelpTopicTitle(int context);
    // What the last help request did: the manual's path, or "viewer:<topic>".
    const QString& LastHelpRequest() const { return m_lastHelp; }

    bool UpdateCommand(int id, CCommandState& state) override;

protected:
    void OnCommand(int id) override;

private:
    void LoadSettings();
    void SetDialogColours();
    void SaveAllSettings();
    void CreateFonts();
    void CreateFrame();
    void LoadRecentFiles();
    void SaveRecentFiles();
    void AddRecentFile(const QString& path);
    void RemoveRecentFile(const QString& path);
    void OpenWithDialog();
    void ShowAbout();
    void StartDocumentationLink();

    Options m_options;
    std::unique_ptr<platform::IniSettingsStore> m_store;
    bool m_storeWritable = true;
    std::unique_ptr<WidgetPrompter> m_widgetPrompter;
    CModelContext m_context;
    CColorTable m_colors;
    CPlacementInfo m_placement;
    CDocumentationLink m_docLink;
    std::unique_ptr<CModelDoc> m_document;
    CShellContext m_shell;
    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<CHelpWindow> m_helpWindow;
    std::unique_ptr<IViewerSystem> m_viewerSystem;
    std::unique_ptr<IQueryLibrary> m_queryLibrary;
    QStringList m_recentFiles;
    QString m_programDirectory;
    QString m_lastHelp;
    bool m_exited = false;
};
