#include "ModelApp.h"

#include "AboutDialog.h"
#include "CommandLine.h"
#include "DocumentationServices.h"
#include "HelpWindow.h"
#include "PlatformViewerSystem.h"
#include "ListPropertyView.h"
#include "MainFrame.h"
#include "MainStatusBar.h"
#include "Messages.h"
#include "ModelDoc.h"
#include "ModelPropertyView.h"
#include "PagePainter.h"
#include "Resources.h"
#include "StartupSplash.h"
#include "StringTable.h"
#include "WidgetPrompter.h"
#include "settings/SettingsStore.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QPalette>
#include <QUrl>

namespace {

const char* const kRecentSection = "Recent File List";
constexpr int kRecentCount = 4;
constexpr ColorRef kDialogBackground = 12632256; // light grey

ColorRef FromQColor(const QColor& c)
{
    return MakeColorRef(c.red(), c.green(), c.blue());
}

// The platform's current system colours, from the application palette.
std::map<std::string, ColorRef> SystemColors()
{
    const QPalette p = QApplication::palette();
    return {
        {"COLOR_WINDOW", FromQColor(p.color(QPalette::Active, QPalette::Base))},
        {"COLOR_WINDOWTEXT", FromQColor(p.color(QPalette::Active, QPalette::Text))},
        {"COLOR_HIGHLIGHT", FromQColor(p.color(QPalette::Active, QPalette::Highlight))},
        {"COLOR_BTNSHADOW", FromQColor(p.color(QPalette::Active, QPalette::Dark))},
        {"COLOR_BTNFACE", FromQColor(p.color(QPalette::Active, QPalette::Button))},
        {"COLOR GRAYTEXT", FromQColor(p.color(QPalette::Disabled, QPalette::Text))},
        {"COLOR_HIGHLIGHTTEXT", FromQColor(p.color(QPalette::Active, QPalette::HighlightedText))},
        {"COLOR_ACTIVECAPTION", FromQColor(p.color(QPalette::Active, QPalette::Highlight))},
        {"COLOR_CAPTIONTEXT", FromQColor(p.color(QPalette::Active, QPalette::HighlightedText))},
        {"COLOR_INACTIVECAPTION", FromQColor(p.color(QPalette::Inactive, QPalette::Button))},
        {"COLOR_INACTIVECAPTIONTEXT",
         FromQColor(p.color(QPalette::Inactive, QPalette::ButtonText))},
    };
}

} // namespace

CModelApp::CModelApp(Options options) : m_options(std::move(options))
{
    const std::string path = m_options.settingsPath.empty()
                                 ? platform::IniSettingsStore::DefaultPath()
                                 : m_options.settingsPath;
    m_store = std::make_unique<platform::IniSettingsStore>(path);
    // Everything is written at exit (and by Save Settings Now) in one atomic save.
    m_store->SetAutoSave(false);
    if (!m_options.prompter) {
        m_widgetPrompter = std::make_unique<WidgetPrompter>();
        m_options.prompter = m_widgetPrompter.get();
    }
    m_context.prompter = m_options.prompter;
    m_context.settings = m_store.get();
    m_document = std::make_unique<CModelDoc>(m_context);
    m_shell.model = &m_context;
    m_shell.document = m_document.get();
    m_shell.colors = &m_colors;
    m_shell.placement = &m_placement;
    m_shell.documentation = &m_docLink;
}

CModelApp::~CModelApp()
{
    if (!m_exited)
        ExitInstance();
    m_frame.reset();
}

// ---------------------------------------------------------------------------------------
// Start-up

void CModelApp::LoadSettings()
{
    if (!m_store->Load()) {
        // Nothing is written this session, so the file that could not be read is not lost.
        m_storeWritable = false;
        platform::Report(*m_context.prompter, 0,
                         "The settings file '" + m_store->Path() + "' cannot be read (" +
                             m_store->LastError() +
                             "). Default settings are used and no setting is saved.",
                         platform::Icon::Exclamation);
    }
    m_programDirectory = QCoreApplication::applicationDirPath();
    LoadRecentFiles();
    m_context.switches.Load(*m_store);
    m_placement.Load(*m_store, m_context.switches.useWindowInfo, CMainFrame::ScreenMetrics());
    m_colors.Load(*m_store, SystemColors());
    m_docLink.SetProgramDirectory(m_programDirectory.toStdString());
    m_docLink.LoadSettings(*m_store);
}

void CModelApp::StartDocumentationLink()
{
    IViewerSystem* system = m_options.viewerSystem;
    if (!system) {
        m_viewerSystem = std::make_unique<CPlatformViewerSystem>(&StartDetachedViewer);
        system = m_viewerSystem.get();
    }
    IQueryLibrary* library = m_options.queryLibrary;
    if (!library) {
        m_queryLibrary = std::make_unique<CObuzelioLibrary>(m_context.prompter);
        library = m_queryLibrary.get();
    }
    m_docLink.Attach(&m_context, system, library);
    m_docLink.StartDocumentationService();
    m_shell.showDocumentation = [this](const CInstanceRecord& instance) {
        m_docLink.ShowDocumentation(instance, m_document->PathName(), m_context.collection);
    };
}

void CModelApp::SetDialogColours()
{
    // Dialogs and message boxes (every QDialog) are light grey with black text, their tab
    // pages and buttons too; fields and lists keep their own colours, and the main window
    // the desktop's.
    QPalette palette = QApplication::palette();
    const QColor grey = ToQColor(kDialogBackground);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Window, grey);
        palette.setColor(group, QPalette::Button, grey);
        if (group != QPalette::Disabled) {
            palette.setColor(group, QPalette::WindowText, Qt::black);
            palette.setColor(group, QPalette::ButtonText, Qt::black);
        }
    }
    QApplication::setPalette(palette, "QDialog");
}

void CModelApp::CreateFonts()
{
    CFontRecord ui;
    ui.height = 8;
    ui.weight = 400;
    m_shell.normalFont = FontFromRecord(ui);
    ui.weight = 700;
    m_shell.boldFont = FontFromRecord(ui);
}

void CModelApp::CreateFrame()
{
    m_frame = std::make_unique<CMainFrame>(m_shell, *this);
    m_context.statusBar = m_frame->StatusBar();
    if (m_widgetPrompter)
        m_widgetPrompter->SetMainWindow(m_frame.get());
    m_frame->SetRecentFiles(m_recentFiles);
    connect(m_frame.get(), &CMainFrame::FileDropped, this,
            [this](const QString& path) { OpenDocumentFile(path.toStdString()); });
    m_document->onOpening = [this] {
        // The page views hold references into the model: they go before it is replaced.
        m_frame->ModelSide()->SaveZooms(*m_store);
        m_frame->ModelSide()->RemoveAllTabs();
        m_frame->InformationSide()->RemovePaneTabs();
        m_frame->ApplyEmptyLayout();
    };
    if (m_options.splash)
        new CStartupSplash(m_frame.get());
}

bool CModelApp::InitInstance(const std::string& commandLine)
{
    SetDialogColours();
    LoadSettings();
    CreateFonts();
    CreateFrame();
    // After the frame: the link reports through its status bar.
    StartDocumentationLink();

    const CCommandLine request = CCommandLine::Resolve(commandLine, *m_store);
    bool started = true;
    if (request.action == CCommandLine::Action::NewEmptyDocument) {
        NewDocument();
    } else {
        if (request.forceNoStartupRelations)
            m_context.switches.loadRelationsOnStartup = 0;
        started = OpenDocumentFile(request.path);
    }
    if (started && m_options.showFrame)
        m_frame->ShowFirstTime();
    m_frame->UpdateAllActions();
    return started;
}

// ---------------------------------------------------------------------------------------
// Documents

bool CModelApp::OpenDocumentFile(const std::string& path)
{
    const bool opened = m_document->OnOpenDocument(path);
    if (opened) {
        AddRecentFile(QString::fromStdString(m_document->PathName()));
    } else {
        RemoveRecentFile(QString::fromStdString(path));
        // A model that stayed open (the new file could not even be read) gets its tabs back.
        if (!m_document->PathName().empty()) {
            m_frame->ModelSide()->CreatePageTabs();
            m_frame->InformationSide()->CreateTabs();
        }
    }
    if (opened || !m_document->PathName().empty()) {
        // Each page opens at the zoom it had when the model was last closed.
        m_frame->ModelSide()->LoadZooms(*m_store);
        m_frame->ApplyModelLayout();
    } else
        m_frame->ApplyEmptyLayout();
    m_frame->UpdateTitle();
    m_frame->UpdateAllActions();
    return opened;
}

void CModelApp::NewDocument()
{
    m_frame->ModelSide()->SaveZooms(*m_store);
    m_frame->ModelSide()->RemoveAllTabs();
    m_frame->InformationSide()->RemovePaneTabs();
    m_document->OnCloseDocument();
    m_document->OnNewDocument();
    m_frame->ApplyEmptyLayout();
    m_frame->UpdateTitle();
    m_frame->UpdateAllActions();
}

void CModelApp::OpenWithDialog()
{
    platform::FileDialogSpec spec;
    spec.mode = platform::FileDialogSpec::Mode::Open;
    spec.title = "Open";
    spec.filter = "Model Files (*.mdl)|*.mdl|All Files (*.*)|*.*||";
    spec.defaultExt = "mdl";
    spec.fileMustExist = true;
    const std::optional<std::string> path = m_context.prompter->ChooseFile(spec);
    if (path)
        OpenDocumentFile(*path);
}

// ---------------------------------------------------------------------------------------
// Recent files

void CModelApp::LoadRecentFiles()
{
    m_recentFiles.clear();
    for (int i = 1; i <= kRecentCount; ++i) {
        const std::string file =
            m_store->ReadString(kRecentSection, "File" + std::to_string(i), "");
        if (!file.empty())
            m_recentFiles << QString::fromStdString(file);
    }
}

void CModelApp::SaveRecentFiles()
{
    for (int i = 1; i <= kRecentCount; ++i) {
        const std::string key = "File" + std::to_string(i);
        if (i <= m_recentFiles.size())
            m_store->WriteString(kRecentSection, key, m_recentFiles[i - 1].toStdString());
        else
            m_store->WriteString(kRecentSection, key, std::nullopt);
    }
}

void CModelApp::AddRecentFile(const QString& path)
{
    m_recentFiles.removeAll(path);
    m_recentFiles.prepend(path);
    while (m_recentFiles.size() > kRecentCount)
        m_recentFiles.removeLast();
    if (m_frame)
        m_frame->SetRecentFiles(m_recentFiles);
}

void CModelApp::RemoveRecentFile(const QString& path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (m_recentFiles.removeAll(path) + m_recentFiles.removeAll(absolute) > 0 && m_frame)
        m_frame->SetRecentFiles(m_recentFiles);
}

// ---------------------------------------------------------------------------------------
// Settings

void CModelApp::SaveAllSettings()
{
    if (!m_storeWritable)
        return;
    m_context.switches.Save(*m_store);
    m_docLink.SaveSettings(1, *m_store);
    m_placement.Save(*m_store, m_context.switches.useWindowInfo);
    m_colors.Save(*m_store);
    SaveRecentFiles();
    if (m_frame) {
        m_frame->SaveRecentFindWords(*m_store);
        m_frame->ModelSide()->SaveZooms(*m_store);
    }
    if (m_context.switches.useSavedFont == 1 && !m_document->PathName().empty())
        m_document->SaveFont();
    if (!m_store->Save()) {
        platform::Report(*m_context.prompter, 0,
                         "The settings could not be saved to '" + m_store->Path() + "' (" +
                             m_store->LastError() + ").",
                         platform::Icon::Exclamation);
    }
}

void CModelApp::SaveSettingsNow()
{
    m_context.prompter->SetWaitCursor(true);
    if (m_context.switches.useWindowInfo == 1)
        m_frame->CapturePlacement();
    const int mode = m_frame->ModeFromSplitter(false);
    if (mode != 0)
        m_placement.SetMode(mode);
    SaveAllSettings();
    m_context.prompter->SetWaitCursor(false);
}

void CModelApp::ExitInstance()
{
    if (m_exited)
        return;
    m_exited = true;
    SaveAllSettings();
    if (m_helpWindow)
        m_helpWindow->close();
    if (m_frame) {
        m_frame->ModelSide()->RemoveAllTabs();
        m_frame->InformationSide()->RemovePaneTabs();
    }
    m_document->OnNewDocument();
    m_docLink.StopDocumentationService();
}

// ---------------------------------------------------------------------------------------
// Help

std::string CModelApp::HelpTopicTitle(int context)
{
    switch (context & 0xFFFF) {
    case 209:
        return LoadResourceString(IDS_HELP_GENERAL);
    case 210:
        return LoadResourceString(IDS_HELP_LIST);
    case 211:
        return LoadResourceString(IDS_HELP_DOCUMENTATION);
    case 215:
        return LoadResourceString(IDS_HELP_MODEL);
    case 225:
    case 229:
        return LoadResourceString(IDS_HELP_CONNECTION);
    case 28676:
        return LoadResourceString(IDS_HELP_OPEN);
    case 28678:
        return LoadResourceString(IDS_HELP_FONT);
    case 28682:
        return LoadResourceString(IDS_HELP_FIND);
    default:
        return std::string();
    }
}

void CModelApp::WinHelp(int context)
{
    if (m_context.switches.helpEngine == 1) {
        m_lastHelp = m_options.manualPath.isEmpty() ? ManualPath() : m_options.manualPath;
        if (m_lastHelp.isEmpty() || !QFileInfo(m_lastHelp).isFile()) {
            platform::Report(*m_context.prompter, 0,
                             "The user manual is not installed" +
                                 (m_lastHelp.isEmpty()
                                      ? std::string(".")
                                      : " ('" + m_lastHelp.toStdString() + "' is missing)."),
                             platform::Icon::Exclamation);
            return;
        }
        if (!m_options.showFrame)
            return;
        const QUrl manual = QUrl::fromLocalFile(m_lastHelp);
        const bool opened = m_options.openOnDesktop ? m_options.openOnDesktop(manual)
                                                    : QDesktopServices::openUrl(manual);
        if (opened)
            return;
        // No desktop handler for the manual: the program shows it itself.
        if (!m_helpWindow) {
            m_helpWindow = std::make_unique<CHelpWindow>();
            m_helpWindow->setAttribute(Qt::WA_QuitOnClose, false);
        }
        if (!m_helpWindow->ShowPage(manual)) {
            platform::Report(*m_context.prompter, 0,
                             "The user manual '" + m_lastHelp.toStdString() + "' cannot be read.",
                             platform::Icon::Exclamation);
        }
        return;
    }
    const std::string title = HelpTopicTitle(context);
    m_lastHelp = QStringLiteral("viewer:") + QString::fromStdString(title);
    m_docLink.ShowHelp(title);
}

void CModelApp::ShowAbout()
{
    CAboutDialog dialog(m_frame.get());
    dialog.exec();
}

// ---------------------------------------------------------------------------------------
// Commands

bool CModelApp::UpdateCommand(int id, CCommandState& state)
{
    switch (id) {
    case ID_FILE_NEW:
    case ID_FILE_OPEN:
    case ID_HELP_CONTENTS:
    case ID_APP_ABOUT:
    case ID_APP_EXIT:
        state.enabled = true;
        return true;
    case ID_SAVE_SETTINGS_NOW:
        state.enabled = !m_document->PathName().empty() && m_context.switches.useWindowInfo == 1;
        return true;
    default:
        if (id >= ID_FILE_MRU_FILE1 && id <= ID_FILE_MRU_FILE4) {
            state.enabled = id - ID_FILE_MRU_FILE1 < m_recentFiles.size();
            return true;
        }
        return false;
    }
}

void CModelApp::OnCommand(int id)
{
    switch (id) {
    case ID_FILE_NEW:
        NewDocument();
        break;
    case ID_FILE_OPEN:
        OpenWithDialog();
        break;
    case ID_HELP_CONTENTS:
        WinHelp(0);
        break;
    case ID_APP_ABOUT:
        ShowAbout();
        break;
    case ID_APP_EXIT:
        m_frame->close();
        break;
    case ID_SAVE_SETTINGS_NOW:
        SaveSettingsNow();
        break;
    default: {
        const QString path = m_recentFiles.value(id - ID_FILE_MRU_FILE1);
        OpenDocumentFile(path.toStdString());
        break;
    }
    }
}
