#pragma once

#include "BrowserHost.h"
#include "PluginManager.h"
#include "ScriptHost.h"

#include <QMainWindow>
#include <QPointer>

#include <map>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QProgressBar;
class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;
class CBookView;
class CDdeHostServer;
class CGraphWindow;

namespace platform {
class CDdeServer;
class CQtPollDriver;
class CWindowRegistration;
class IPrompter;
} // namespace platform

namespace zelio {
class CZelioConfig;
}

// The browser's main window and its host side: the collections and their books in a tree,
// book views in tabs, the full-text query with hit counts per book, help, the DDE server
// (service "ZELIO", own topic "ZELIO"), the window registration (classes "ZELWIN" and
// "Zelio30") and the plug-ins with their events, callbacks and menu items (views and
// collection windows), the scripts of the views (user documents, figures) and the plug-ins'
// graphics windows. It is the IBrowserHost that libzelio's host-bound calls reach while it is
// installed.
//
// A collection window is the collection's entry in the tree: its menu is the tree's context
// menu on the collection or its books, and the Collection menu for the current entry.
class CBrowserWindow : public QMainWindow, public zelio::IBrowserHost
{
    Q_OBJECT
public:
    struct Options
    {
        std::string configPath; // empty: found the usual way
        bool serveDde = true;
        bool registerWindow = true;
        bool loadPlugins = true;
    };
    // The prompter shows every message; the caller keeps it alive longer than the window.
    CBrowserWindow(platform::IPrompter& prompter, Options options, QWidget* parent = nullptr);
    ~CBrowserWindow() override;

    // Reads the configuration, makes the context, lists the collections, installs the host,
    // serves DDE, loads the plug-ins and then registers the window. Problems are reported
    // through the prompter and on standard error; false only when there is no configuration
    // or no context (the window then shows nothing to browse).
    bool Start();

    // Opens the book of a collection (directory or alias) in a view, reusing the book's view;
    // the view or nullptr (reported) when it is no book.
    CBookView* OpenBook(const std::string& collection, const std::string& book);
    // Runs the query over the books of the collection (directory or alias; empty: every
    // collection) and lists the books with hits. Answers the number of books with hits, or -1
    // when the query has nothing to search for.
    int RunQuery(const std::string& query, const std::string& collection = std::string());
    // Opens the book of a collection in its "fulltext" view with the query's hits marked;
    // the hit count, 0 when none, -1 when the book cannot be opened.
    long ShowHits(const std::string& collection, const std::string& book, const std::string& query);
    // Shows a help topic; false when there is no such page.
    bool ShowHelp(const std::string& topic);

    uintptr_t Context() const { return m_context; }
    CPluginManager& Plugins() { return m_plugins; }
    QTreeWidget* CollectionTree() const { return m_tree; }
    QTreeWidget* ResultList() const { return m_results; }
    QLineEdit* QueryBox() const { return m_queryBox; }
    QTextBrowser* HelpBrowser() const { return m_help; }
    std::vector<CBookView*> Views() const;
    CBookView* ActiveView() const;
    const platform::CDdeServer* DdeServerObject() const { return m_ddeServer.get(); }
    CScriptHost& Scripts() { return m_scripts; }
    // The plug-in paths the configuration names (empty before Start).
    std::vector<std::string> ConfiguredPlugins() const;
    // The graphics windows open now.
    const std::vector<CGraphWindow*>& GraphWindows() const { return m_graphs; }
    // The collection window word of a collection (directory or alias), or 0.
    uintptr_t CollectionWindowWord(const std::string& collection);
    // Fills a menu with the plug-in items of a view or collection window ("(no tools)" when
    // there are none); choosing one calls its procedure.
    void FillPluginMenu(QMenu* menu, uintptr_t owner);
    // Opens a user document / a figure of the view as the view's list or a click does:
    // constructs its script ("user_document" with the document's path; "orn-raster=<copy>"
    // after copying the figure into the temporary folder). The script word, or 0 when the
    // index is out of range or the figure cannot be copied (reported).
    uintptr_t OpenUserDocument(CBookView* view, int index);
    uintptr_t OpenFigure(CBookView* view, int index);

    // IBrowserHost
    const uintptr_t* ContextWindows(uintptr_t context) override;
    uintptr_t MainWindow(uintptr_t startWord3) override;
    uintptr_t BookView(uintptr_t book) override;
    uintptr_t ViewOpen(uintptr_t book, const char* name, const char* title, bool visible,
                       int style) override;
    int ViewShowBook(uintptr_t book, uintptr_t view) override;
    int ViewRaise(uintptr_t view) override;
    int ViewMarkHits(uintptr_t view, const char* query) override;
    int HelpShow(uintptr_t context, const char* topic) override;
    zelio::IDdeHostServer* DdeServer(uintptr_t ddeServer) override;
    zelio::IDdeHostServer* DdeServerOfInstance(uintptr_t ddeInstance) override;
    zelio::IDdeHostServer* DdeServerOfChain(uintptr_t chain) override;
    int PluginStart(int version) override;
    int EventRegister(uintptr_t context, int event, ZelCallback callback, uintptr_t data) override;
    int BookCallbackRegister(uintptr_t book, int kind, ZelCallback callback,
                             uintptr_t data) override;
    int ViewCallbackRegister(uintptr_t view, int kind, ZelCallback callback,
                             uintptr_t data) override;
    int GraphCallbackRegister(uintptr_t graph, int kind, ZelCallback callback,
                              uintptr_t data) override;
    int Enter(uintptr_t context) override;
    intptr_t Leave(uintptr_t context) override;
    int ViewMenuAdd(uintptr_t view, const char* text, uint32_t flags, ZelCallback itemProc,
                    uintptr_t word) override;
    int CollectionWindowMenuAdd(uintptr_t collectionWindow, const char* text, uint32_t flags,
                                ZelCallback itemProc, uintptr_t word) override;
    int ScriptKindRegister(uintptr_t context, const char* kind, ZelScriptConstructProc construct,
                           ZelScriptProc destruct, ZelScriptProc refresh, uintptr_t data) override;
    uintptr_t ScriptWindow(uintptr_t record) override;
    void ScriptRelease(uintptr_t view, uintptr_t script) override;
    uintptr_t GraphCreate(uintptr_t plugin, uintptr_t context, const char* title) override;
    int GraphLoad(uintptr_t graph, const char* path) override;
    int GraphShow(uintptr_t graph) override;
    int GraphRefresh(uintptr_t graph) override;
    int GraphClose(uintptr_t graph) override;
    uintptr_t CollectionWindowOf(uintptr_t word) override;
    uintptr_t CollectionOf(uintptr_t collectionWindow) override;
    const char* CollectionDirectory(uintptr_t collection) override;
    uintptr_t CollectionTable(uintptr_t context) override;
    const char* CollectionAlias(uintptr_t table, const char* collectionDir) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    struct Collection
    {
        std::string directory; // as the table writes it
        std::string alias;
        std::string folder;       // absolute
        uintptr_t window[2] = {}; // the collection window record: this collection, its item
    };

    void BuildUi();
    void BuildMenus();
    void ListCollections();
    void StartDde();
    void LoadPlugins();
    void ShutDown();
    Collection* FindCollection(const std::string& name);
    Collection* CollectionOfFolder(const std::string& bookFolder);
    CBookView* ViewOf(uintptr_t view) const;
    CBookView* NewView(const QString& name, const QString& title);
    void AdoptBook(CBookView* view, uintptr_t book);
    void OnViewClosing(CBookView* view);
    void UpdateTitle();
    void UpdateToolsMenu(QMenu* menu, CBookView* view);
    void ShowTreeMenu(const QPoint& position);
    uintptr_t CollectionWindowOfItem(QTreeWidgetItem* item);
    CGraphWindow* GraphOf(uintptr_t graph) const;
    void OnGraphClosing(CGraphWindow* graph);
    void DeliverMenuCommand(uintptr_t command);
    void OnTreeActivated(QTreeWidgetItem* item);
    void OnResultActivated(QTreeWidgetItem* item);
    void OnIndexProgress(std::size_t done, std::size_t total);
    bool OwnCommand(const char* command);
    void Report(const std::string& text);

    platform::IPrompter& m_prompter;
    Options m_options;
    std::unique_ptr<zelio::CZelioConfig> m_config;
    uintptr_t m_context = 0;
    uintptr_t m_windows[5] = {};
    std::vector<std::unique_ptr<Collection>> m_collections;
    std::string m_helpDir;
    std::string m_lastQuery;
    std::string m_aliasBuffer;

    QTreeWidget* m_tree = nullptr;
    QLineEdit* m_queryBox = nullptr;
    QTreeWidget* m_results = nullptr;
    QMdiArea* m_views = nullptr;
    QProgressBar* m_progress = nullptr;
    QTextBrowser* m_help = nullptr;
    QMenu* m_toolsMenu = nullptr;
    QMenu* m_collectionMenu = nullptr;

    // Books the views own (opened for them or handed to them), closed with the view.
    std::map<CBookView*, std::vector<uintptr_t>> m_viewBooks;
    std::vector<uintptr_t> m_announcedBooks;

    CPluginManager m_plugins;
    CScriptHost m_scripts{m_plugins};
    std::vector<CGraphWindow*> m_graphs;
    std::unique_ptr<platform::CDdeServer> m_ddeServer;
    std::unique_ptr<CDdeHostServer> m_ddeHost;
    std::unique_ptr<platform::CQtPollDriver> m_ddeDriver;
    std::unique_ptr<platform::CWindowRegistration> m_registration;
    std::unique_ptr<platform::CWindowRegistration> m_frameRegistration;
    bool m_hostInstalled = false;
    bool m_shutDown = false;
};
