#include "UserDocumentPlugin.h"

#include "AddUserDocDialog.h"
#include "ObuMessages.h"
#include "ObuUDoc.h"

#include "BrowserInterface.h"
#include "shell/ShellOpen.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

#include <ctime>

namespace obuudoc {

QWidget* WidgetOfWord(uintptr_t word)
{
    if (word == 0 || qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
        return nullptr;
    for (QWidget* widget : QApplication::allWidgets())
        if (reinterpret_cast<uintptr_t>(widget) == word)
            return widget;
    return nullptr;
}

namespace {
// The window active now; nullptr without one or without a widget toolkit.
QWidget* ActiveWindow()
{
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr
               ? QApplication::activeWindow()
               : nullptr;
}
} // namespace

CUserDocumentPlugin::CUserDocumentPlugin()
    : m_figures([](uintptr_t view, uintptr_t script) { ZelScriptRelease(view, script); })
{
    m_widgetPrompter.SetDefaultCaption(QString::fromLatin1(kErrorCaption));
}

CUserDocumentPlugin::~CUserDocumentPlugin() = default;

platform::IPrompter& CUserDocumentPlugin::Prompter()
{
    return m_prompter != nullptr ? *m_prompter : m_widgetPrompter;
}

void CUserDocumentPlugin::SetMessageOwner(QWidget* window)
{
    m_widgetPrompter.SetMainWindow(window);
}

void CUserDocumentPlugin::OnInit()
{
    m_context = Context();
    RegisterHooks(kHookCollectionWindow | kHookView);
    ZelScriptKindRegister(m_context, kLaunchKind, &OBU_LAUNCH_ScriptConstructProc,
                          &OBU_LAUNCH_ScriptDestructProc, &OBU_LAUNCH_ScriptRefreshProc, m_context);
}

void CUserDocumentPlugin::OnDestroy()
{
    // Closing a figure's window deletes its record through the destroyed callback; what is
    // left (a window the browser no longer knows) is deleted here.
    for (uintptr_t graph : m_figures.Graphs())
        ZelGraphClose(graph);
    m_figures.Clear();
    if (m_configPath != nullptr) {
        ZelConfigPathRelease(m_configPath);
        m_configPath = nullptr;
    }
}

void CUserDocumentPlugin::OnCollectionWindowOpened(uintptr_t collectionWindow)
{
    ZelCollectionWindowMenuAdd(collectionWindow, kMenuText, kMenuFlags,
                               &OBUUDocAddUserDocMenuItemProc, 0);
}

void CUserDocumentPlugin::OnViewOpened(uintptr_t, uintptr_t view)
{
    ZelViewMenuAdd(view, kMenuText, kMenuFlags, &OBUUDocAddUserDocMenuItemProc, 0);
}

void CUserDocumentPlugin::OnScriptConstructed(const std::string& text, uintptr_t, uintptr_t view,
                                              uintptr_t script, uintptr_t, uintptr_t)
{
    if (!IsRasterScript(text))
        return;
    const std::optional<std::string> name = RasterFigureName(text);
    if (!name) {
        SetMessageOwner(ActiveWindow());
        ShowObuError(Prompter(), "The raster figure \"" + text +
                                     "\" does not name a file of the temporary folder.");
        return;
    }
    FigureRecord record{view, script, UserTempFolder() + "/" + *name, 0};
    record.graph =
        ZelGraphCreate(reinterpret_cast<uintptr_t>(this), m_context, "Graphics Window", 0);
    if (record.graph != 0) {
        // The window's end must reach the plug-in, which deletes the figure file then.
        ZelGraphCallbackRegister(record.graph, 0, &PluginGraphDestroyCallback, 0);
        ZelGraphLoad(record.graph, record.path.c_str());
        ZelGraphShow(record.graph);
    }
    m_figures.Add(std::move(record));
}

void CUserDocumentPlugin::OnScriptRefreshed(const std::string& text, uintptr_t view,
                                            uintptr_t script, uintptr_t, uintptr_t)
{
    if (!IsRasterScript(text))
        return;
    const FigureRecord* record = m_figures.FindScript(view, script);
    if (record != nullptr && record->graph != 0)
        ZelGraphRefresh(0, record->graph);
}

void CUserDocumentPlugin::OnScriptDestroyed(const std::string& text, uintptr_t view,
                                            uintptr_t script, uintptr_t, uintptr_t)
{
    if (!IsRasterScript(text))
        return;
    FigureRecord* record = m_figures.FindScript(view, script);
    if (record == nullptr)
        return;
    if (record->graph != 0) {
        const uintptr_t graph = record->graph;
        record->graph = 0;
        // Its destroyed callback removes the record (the record is found by the script below
        // when the browser did not call back).
        ZelGraphClose(graph);
        m_figures.RemoveGraph(graph);
    }
    // A figure without a window has no window end to wait for.
    m_figures.RemoveScript(view, script);
}

void CUserDocumentPlugin::OnGraphDestroyed(uintptr_t graph)
{
    m_figures.RemoveGraph(graph);
}

intptr_t CUserDocumentPlugin::ChooseAddUserDocument()
{
    const uintptr_t* windows = ZelContextWindows(m_context);
    RunAddDialog(windows != nullptr ? windows[4] : 0);
    return 0;
}

intptr_t CUserDocumentPlugin::RunAddDialog(uintptr_t owner)
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr || m_dialog != nullptr)
        return 0;
    CAddUserDocDialog dialog(WidgetOfWord(owner), Prompter(),
                             [this](const UserDocumentInput& input) { AddDocument(input); });
    m_dialog = &dialog;
    const int answer = dialog.exec();
    m_dialog = nullptr;
    return answer == QDialog::Accepted ? 1 : 0;
}

intptr_t CUserDocumentPlugin::LocateDocument()
{
    if (m_dialog != nullptr) {
        m_dialog->Browse();
        return 1;
    }
    const uintptr_t* windows = ZelContextWindows(m_context);
    if (const std::optional<std::string> chosen =
            Prompter().ChooseFile(LocateDocumentSpec(WidgetOfWord(windows ? windows[4] : 0))))
        DialogBuffers().location = chosen->substr(0, kLocationLimit);
    return 1;
}

UserDocumentSettings CUserDocumentPlugin::Settings()
{
    if (m_configPath == nullptr)
        m_configPath = ZelConfigPathGet("corvelle.ini");
    return m_configPath != nullptr ? ReadUserDocumentSettings(m_configPath)
                                   : UserDocumentSettings{};
}

bool CUserDocumentPlugin::AddDocument(const UserDocumentInput& input)
{
    QPointer<QWidget> active = ActiveWindow();
    const AddResult result = AddUserDocument(Settings(), input, std::time(nullptr));
    if (result.Ok())
        return true;
    SetMessageOwner(active.data());
    ShowObuError(Prompter(), result.message);
    return false;
}

intptr_t CUserDocumentPlugin::LaunchDocument(uintptr_t record, const char* file)
{
    const int result = platform::ShellOpen(file != nullptr ? file : "");
    if (result > platform::kShellLastError)
        return 0;
    SetMessageOwner(WidgetOfWord(ZelScriptWindow(record)));
    ShowObuError(Prompter(), ShellResultMessage(result));
    return 0;
}

} // namespace obuudoc
