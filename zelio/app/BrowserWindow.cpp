#include "BrowserWindow.h"

#include "BookView.h"
#include "BrowserCommand.h"
#include "DdeHostServer.h"
#include "GraphWindow.h"
#include "ZelioConfig.h"
#include "dde/DdeServer.h"
#include "dde/qt/QtPollDriver.h"
#include "files/PathLookup.h"
#include "profile/ProfileReader.h"
#include "prompter/Prompter.h"
#include "text/AsciiCase.h"
#include "text/TextDecode.h"
#include "windows/qt/WindowRegistration.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTextBrowser>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace {

const char* const kService = "ZELIO";
const char* const kOwnTopic = "ZELIO";
const char* const kWindowClass = "ZELWIN";
// The class the plug-in frame's watch thread looks for.
const char* const kFrameWindowClass = "Zelio30";
const QString kProgramTitle = QStringLiteral("Zelio");

// Menu commands of the main window, delivered to the plug-ins as menu events.
enum MenuCommand : uintptr_t
{
    kCommandOpenBook = 40010,
    kCommandExit = 40011,
    kCommandFind = 40020,
    kCommandNextHit = 40021,
    kCommandPreviousHit = 40022,
    kCommandHelpContents = 40030,
    kCommandAbout = 40031,
};

// Item data roles of the tree and the result list.
constexpr int kCollectionRole = Qt::UserRole;
constexpr int kBookRole = Qt::UserRole + 1;

QString FromBytes(const std::string& bytes)
{
    return QString::fromStdString(platform::DecodeToUtf8(bytes));
}

// A folder path compared the way collection directories are: separators of either kind,
// trailing ones dropped, ASCII case ignored.
std::string FolderKey(std::string_view path)
{
    std::string key = platform::ToUpperAscii(platform::NormalizeSeparators(path));
    while (key.size() > 1 && key.back() == '/')
        key.pop_back();
    return key;
}

// The book folders of a collection folder, sorted by name.
std::vector<std::string> BookDirectories(const std::string& collectionFolder)
{
    std::vector<std::string> books;
    std::error_code error;
    const std::string booksFolder = platform::ResolveExistingPath(collectionFolder + "/books");
    for (const auto& entry : std::filesystem::directory_iterator(booksFolder, error)) {
        std::error_code statError;
        if (!entry.is_directory(statError))
            continue;
        const std::string name = entry.path().filename().string();
        if (!name.empty() && name[0] != '.')
            books.push_back(name);
    }
    std::sort(books.begin(), books.end());
    return books;
}

} // namespace

CBrowserWindow::CBrowserWindow(platform::IPrompter& prompter, Options options, QWidget* parent)
    : QMainWindow(parent), m_prompter(prompter), m_options(std::move(options))
{
    setWindowTitle(kProgramTitle);
    BuildUi();
    BuildMenus();
    m_windows[4] = reinterpret_cast<uintptr_t>(static_cast<QWidget*>(this));
    m_plugins.m_bracket = [](bool) {};
}

CBrowserWindow::~CBrowserWindow()
{
    ShutDown();
}

void CBrowserWindow::BuildUi()
{
    auto* splitter = new QSplitter(this);
    auto* left = new QWidget(splitter);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(4, 4, 4, 4);
    m_tree = new QTreeWidget(left);
    m_tree->setObjectName("collections");
    m_tree->setHeaderLabels({tr("Collections")});
    leftLayout->addWidget(m_tree, 3);

    auto* queryRow = new QHBoxLayout;
    m_queryBox = new QLineEdit(left);
    m_queryBox->setObjectName("query");
    m_queryBox->setPlaceholderText(tr("Full-text query"));
    auto* search = new QPushButton(tr("&Search"), left);
    queryRow->addWidget(m_queryBox, 1);
    queryRow->addWidget(search);
    leftLayout->addLayout(queryRow);

    m_results = new QTreeWidget(left);
    m_results->setObjectName("results");
    m_results->setHeaderLabels({tr("Book"), tr("Collection"), tr("Hits")});
    m_results->setRootIsDecorated(false);
    leftLayout->addWidget(m_results, 2);

    m_views = new QMdiArea(splitter);
    m_views->setViewMode(QMdiArea::TabbedView);
    m_views->setTabsClosable(true);
    m_views->setDocumentMode(true);
    splitter->addWidget(left);
    splitter->addWidget(m_views);
    splitter->setStretchFactor(1, 3);
    setCentralWidget(splitter);

    m_progress = new QProgressBar(this);
    m_progress->setMaximumWidth(150);
    m_progress->setVisible(false);
    statusBar()->addPermanentWidget(m_progress);

    m_help = new QTextBrowser;
    m_help->setObjectName("help");
    m_help->setWindowTitle(tr("Zelio Help"));
    m_help->resize(640, 480);
    m_help->setOpenExternalLinks(false);

    connect(m_tree, &QTreeWidget::itemActivated, this, &CBrowserWindow::OnTreeActivated);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_tree, &QTreeWidget::customContextMenuRequested, this, &CBrowserWindow::ShowTreeMenu);
    connect(m_results, &QTreeWidget::itemActivated, this, &CBrowserWindow::OnResultActivated);
    const auto runQuery = [this] { RunQuery(m_queryBox->text().toStdString()); };
    connect(search, &QPushButton::clicked, this, runQuery);
    connect(m_queryBox, &QLineEdit::returnPressed, this, runQuery);
    connect(m_views, &QMdiArea::subWindowActivated, this, [this] { UpdateTitle(); });
    resize(1000, 700);
}

void CBrowserWindow::BuildMenus()
{
    const auto add = [this](QMenu* menu, const QString& text, uintptr_t command,
                            const QKeySequence& keys, std::function<void()> action) {
        QAction* item = menu->addAction(text);
        item->setData(QVariant::fromValue<qulonglong>(command));
        if (!keys.isEmpty())
            item->setShortcut(keys);
        connect(item, &QAction::triggered, this, [this, command, action] {
            action();
            DeliverMenuCommand(command);
        });
        return item;
    };
    QMenu* file = menuBar()->addMenu(tr("&File"));
    add(file, tr("&Open Book"), kCommandOpenBook, QKeySequence::Open,
        [this] { OnTreeActivated(m_tree->currentItem()); });
    file->addSeparator();
    add(file, tr("E&xit"), kCommandExit, QKeySequence::Quit, [this] { close(); });

    QMenu* search = menuBar()->addMenu(tr("&Search"));
    add(search, tr("&Find in Books"), kCommandFind, QKeySequence::Find, [this] {
        m_queryBox->setFocus();
        m_queryBox->selectAll();
    });
    add(search, tr("&Next Hit"), kCommandNextHit, QKeySequence(Qt::Key_F3), [this] {
        if (CBookView* view = ActiveView())
            view->NextHit();
    });
    add(search, tr("&Previous Hit"), kCommandPreviousHit, QKeySequence(Qt::SHIFT | Qt::Key_F3),
        [this] {
            if (CBookView* view = ActiveView())
                view->PreviousHit();
        });

    m_collectionMenu = menuBar()->addMenu(tr("&Collection"));
    connect(m_collectionMenu, &QMenu::aboutToShow, this, [this] {
        FillPluginMenu(m_collectionMenu, CollectionWindowOfItem(m_tree->currentItem()));
    });

    m_toolsMenu = menuBar()->addMenu(tr("&Tools"));
    connect(m_toolsMenu, &QMenu::aboutToShow, this,
            [this] { UpdateToolsMenu(m_toolsMenu, ActiveView()); });

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    add(help, tr("&Contents"), kCommandHelpContents, QKeySequence::HelpContents,
        [this] { ShowHelp(std::string()); });
    add(help, tr("&Disclaimer"), CPluginManager::kDisclaimerCommand, QKeySequence(), [] {});
    add(help, tr("&About Zelio"), kCommandAbout, QKeySequence(), [this] {
        m_prompter.ShowMessage(0, "Zelio documentation browser", platform::Icon::Information,
                               platform::Buttons::Ok, "About Zelio");
    });
}

bool CBrowserWindow::Start()
{
    m_config = m_options.configPath.empty() ? zelio::CZelioConfig::LoadDefault()
                                            : zelio::CZelioConfig::Load(m_options.configPath);
    if (m_config == nullptr) {
        Report("The configuration file corvelle.ini cannot be found or read.");
        return false;
    }
    m_helpDir = m_config->HelpDir();
    const std::string dataDir = m_config->DataDir();
    m_context =
        ZelContextCreate(dataDir.c_str(), m_config->PrivateDir().c_str(),
                         m_config->PublicDir().c_str(), m_config->Authorisation().c_str(), 0);
    if (m_context == 0) {
        Report("The data folder \"" + dataDir + "\" cannot be read.");
        return false;
    }
    zelio::SetIndexProgress(
        m_context, [this](std::size_t done, std::size_t total) { OnIndexProgress(done, total); });
    ListCollections();
    zelio::InstallBrowserHost(this);
    m_hostInstalled = true;
    if (m_options.serveDde)
        StartDde();
    if (m_options.loadPlugins)
        LoadPlugins();
    // Registered last: a program that started the browser waits for this window to appear
    // and then sends its command at once, so the DDE service and the plug-ins' topics must
    // be there by then.
    if (m_options.registerWindow) {
        m_registration = std::make_unique<platform::CWindowRegistration>(this, kWindowClass);
        if (!m_registration->Registered())
            std::fprintf(stderr, "zelio: the main window is not registered: %s\n",
                         m_registration->ErrorText().toLocal8Bit().constData());
        m_frameRegistration =
            std::make_unique<platform::CWindowRegistration>(this, kFrameWindowClass);
        if (!m_frameRegistration->Registered())
            std::fprintf(stderr, "zelio: the main window is not registered as %s: %s\n",
                         kFrameWindowClass,
                         m_frameRegistration->ErrorText().toLocal8Bit().constData());
    }
    return true;
}

void CBrowserWindow::ListCollections()
{
    m_tree->clear();
    m_collections.clear();
    for (const zelio::CCollection& entry : m_config->Collections()) {
        auto collection = std::make_unique<Collection>();
        collection->directory = entry.directory;
        collection->alias = entry.alias;
        collection->folder = m_config->CollectionFolder(entry.directory);
        collection->window[0] = reinterpret_cast<uintptr_t>(collection.get());
        auto* item = new QTreeWidgetItem(m_tree, {FromBytes(entry.alias)});
        item->setData(0, kCollectionRole, QString::fromStdString(entry.directory));
        item->setToolTip(0, FromBytes(collection->folder));
        collection->window[1] = reinterpret_cast<uintptr_t>(item);
        for (const std::string& book : BookDirectories(collection->folder)) {
            std::string title = book;
            const std::string ini =
                platform::ResolveExistingPath(collection->folder + "/books/" + book + "/book.ini");
            const std::string written = platform::GetProfileString(ini, "book", "TITLE", "", 1024);
            if (!written.empty())
                title = written;
            auto* child = new QTreeWidgetItem(item, {FromBytes(title)});
            child->setData(0, kCollectionRole, QString::fromStdString(entry.directory));
            child->setData(0, kBookRole, QString::fromStdString(book));
        }
        item->setExpanded(true);
        m_collections.push_back(std::move(collection));
    }
}

void CBrowserWindow::StartDde()
{
    m_ddeServer = std::make_unique<platform::CDdeServer>();
    std::string error;
    if (!m_ddeServer->Listen(kService, error)) {
        std::fprintf(stderr, "zelio: DDE service %s not served: %s\n", kService, error.c_str());
        statusBar()->showMessage(tr("DDE service %1 not served").arg(kService));
        m_ddeServer.reset();
        return;
    }
    m_ddeServer->AddTopic(std::string_view(kOwnTopic));
    m_ddeServer->SetExecuteHandler(
        [this](platform::CDdeServer::Conversation, std::string_view topic, const char* command) {
            if (!platform::EqualsIgnoreAsciiCase(topic, kOwnTopic))
                return platform::DdeExecuteAnswer::NotProcessed;
            return OwnCommand(command) ? platform::DdeExecuteAnswer::Processed
                                       : platform::DdeExecuteAnswer::NotProcessed;
        });
    m_ddeHost = std::make_unique<CDdeHostServer>(*m_ddeServer);
    m_ddeDriver = std::make_unique<platform::CQtPollDriver>(*m_ddeServer, this);
    m_ddeDriver->Sync();
}

void CBrowserWindow::LoadPlugins()
{
    CPluginManager::StartRecord record;
    record.words[0] = m_context;
    record.words[2] = reinterpret_cast<uintptr_t>(m_windows);
    record.words[3] = m_ddeHost != nullptr ? m_ddeHost->Handle() : 0;
    m_plugins.SetStartRecord(record);
    for (const std::string& path : m_config->Plugins()) {
        std::string error;
        if (m_plugins.Load(path, error))
            continue;
        std::fprintf(stderr, "zelio: plug-in %s not loaded: %s\n", path.c_str(), error.c_str());
        platform::Report(m_prompter, 0, "The plug-in " + path + " could not be loaded.\n" + error,
                         platform::Icon::Exclamation);
    }
    if (m_ddeDriver != nullptr)
        m_ddeDriver->Sync();
    for (const auto& collection : m_collections)
        m_plugins.DeliverEvent(ZEL_EVENT_COLWIN_OPEN,
                               reinterpret_cast<uintptr_t>(collection->window));
}

std::vector<std::string> CBrowserWindow::ConfiguredPlugins() const
{
    return m_config != nullptr ? m_config->Plugins() : std::vector<std::string>();
}

void CBrowserWindow::ShutDown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    for (QMdiSubWindow* sub : m_views->subWindowList()) {
        if (auto* view = qobject_cast<CBookView*>(sub->widget())) {
            disconnect(view, nullptr, this, nullptr);
            OnViewClosing(view);
        }
        delete sub;
    }
    // The plug-ins' graphics windows close while their code is loaded.
    while (!m_graphs.empty()) {
        CGraphWindow* graph = m_graphs.back();
        graph->CloseNow();
        if (!m_graphs.empty() && m_graphs.back() == graph)
            OnGraphClosing(graph);
    }
    m_plugins.UnloadAll();
    m_scripts.FreeAll();
    if (m_hostInstalled && zelio::InstalledBrowserHost() == this)
        zelio::InstallBrowserHost(nullptr);
    m_hostInstalled = false;
    m_registration.reset();
    m_frameRegistration.reset();
    m_ddeDriver.reset();
    m_ddeHost.reset();
    if (m_ddeServer != nullptr)
        m_ddeServer->Stop();
    m_ddeServer.reset();
    if (m_context != 0) {
        zelio::SetIndexProgress(m_context, {});
        ZelContextDestroy(m_context);
    }
    m_context = 0;
    delete m_help;
    m_help = nullptr;
}

void CBrowserWindow::closeEvent(QCloseEvent* event)
{
    ShutDown();
    event->accept();
}

void CBrowserWindow::Report(const std::string& text)
{
    std::fprintf(stderr, "zelio: %s\n", text.c_str());
    platform::Report(m_prompter, 0, text, platform::Icon::Exclamation);
}

CBrowserWindow::Collection* CBrowserWindow::FindCollection(const std::string& name)
{
    for (const auto& collection : m_collections)
        if (platform::EqualsIgnoreAsciiCase(collection->alias, name) ||
            FolderKey(collection->directory) == FolderKey(name) ||
            FolderKey(collection->folder) == FolderKey(name))
            return collection.get();
    return nullptr;
}

CBrowserWindow::Collection* CBrowserWindow::CollectionOfFolder(const std::string& bookFolder)
{
    const std::string key = FolderKey(bookFolder);
    for (const auto& collection : m_collections) {
        const std::string prefix = FolderKey(collection->folder) + "/BOOKS/";
        if (key.compare(0, prefix.size(), prefix) == 0)
            return collection.get();
    }
    return nullptr;
}

std::vector<CBookView*> CBrowserWindow::Views() const
{
    std::vector<CBookView*> views;
    for (QMdiSubWindow* sub : m_views->subWindowList())
        if (auto* view = qobject_cast<CBookView*>(sub->widget()))
            views.push_back(view);
    return views;
}

CBookView* CBrowserWindow::ActiveView() const
{
    QMdiSubWindow* sub = m_views->activeSubWindow();
    if (sub == nullptr && !m_views->subWindowList().isEmpty())
        sub = m_views->subWindowList().last();
    return sub != nullptr ? qobject_cast<CBookView*>(sub->widget()) : nullptr;
}

CBookView* CBrowserWindow::ViewOf(uintptr_t view) const
{
    for (CBookView* candidate : Views())
        if (candidate->Handle() == view)
            return candidate;
    return nullptr;
}

CBookView* CBrowserWindow::NewView(const QString& name, const QString& title)
{
    auto* view = new CBookView(name, title);
    QMdiSubWindow* sub = m_views->addSubWindow(view);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    connect(view, &CBookView::Closing, this, &CBrowserWindow::OnViewClosing);
    connect(view, &CBookView::Scrolled, this, [this, view](long first, long count) {
        m_plugins.ViewScrolled(view->Handle(), first, count);
    });
    connect(view, &QWidget::windowTitleChanged, this, [this] { UpdateTitle(); });
    connect(view, &CBookView::UserDocumentOpened, this,
            [this](CBookView* from, int index) { OpenUserDocument(from, index); });
    connect(view, &CBookView::FigureOpened, this,
            [this](CBookView* from, int index) { OpenFigure(from, index); });
    connect(view, &CBookView::RefreshRequested, this,
            [this](CBookView* from) { m_scripts.RefreshView(from->Handle()); });
    connect(view, &CBookView::BookReplaced, this,
            [this](CBookView* from) { m_scripts.CloseView(from->Handle()); });
    auto* menu = new QMenu(view);
    connect(menu, &QMenu::aboutToShow, this, [this, menu, view] { UpdateToolsMenu(menu, view); });
    view->ToolsButton()->setMenu(menu);
    sub->show();
    m_views->setActiveSubWindow(sub);
    return view;
}

void CBrowserWindow::AdoptBook(CBookView* view, uintptr_t book)
{
    auto& books = m_viewBooks[view];
    if (std::find(books.begin(), books.end(), book) == books.end())
        books.push_back(book);
    if (std::find(m_announcedBooks.begin(), m_announcedBooks.end(), book) ==
        m_announcedBooks.end()) {
        m_announcedBooks.push_back(book);
        m_plugins.DeliverEvent(ZEL_EVENT_BOOK_OPEN, book);
    }
}

void CBrowserWindow::OnViewClosing(CBookView* view)
{
    m_scripts.CloseView(view->Handle());
    m_plugins.ViewDestroyed(view->Handle());
    const auto owned = m_viewBooks.find(view);
    if (owned == m_viewBooks.end())
        return;
    const std::vector<uintptr_t> books = owned->second;
    m_viewBooks.erase(owned);
    for (uintptr_t book : books) {
        // A book shown in another view too stays open there.
        bool elsewhere = false;
        for (const auto& [other, otherBooks] : m_viewBooks)
            elsewhere = elsewhere ||
                        std::find(otherBooks.begin(), otherBooks.end(), book) != otherBooks.end();
        if (elsewhere)
            continue;
        m_plugins.BookDestroyed(book);
        std::erase(m_announcedBooks, book);
        ZelBookClose(book);
    }
    QMetaObject::invokeMethod(
        this, [this] { UpdateTitle(); }, Qt::QueuedConnection);
}

void CBrowserWindow::UpdateTitle()
{
    CBookView* view = ActiveView();
    setWindowTitle(view != nullptr ? kProgramTitle + " - " + view->windowTitle() : kProgramTitle);
}

void CBrowserWindow::UpdateToolsMenu(QMenu* menu, CBookView* view)
{
    if (view == nullptr) {
        menu->clear();
        menu->addAction(tr("(no view)"))->setEnabled(false);
        return;
    }
    FillPluginMenu(menu, view->Handle());
}

void CBrowserWindow::FillPluginMenu(QMenu* menu, uintptr_t owner)
{
    menu->clear();
    const auto items = m_plugins.MenuItems(owner);
    if (items.empty())
        menu->addAction(tr("(no tools)"))->setEnabled(false);
    for (const CPluginManager::MenuItem* item : items) {
        if (item->text.empty()) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(FromBytes(item->text));
        connect(action, &QAction::triggered, this,
                [this, item] { m_plugins.ChooseMenuItem(item); });
    }
}

uintptr_t CBrowserWindow::CollectionWindowOfItem(QTreeWidgetItem* item)
{
    if (item == nullptr)
        return m_collections.empty() ? 0 : reinterpret_cast<uintptr_t>(m_collections[0]->window);
    return CollectionWindowWord(item->data(0, kCollectionRole).toString().toStdString());
}

uintptr_t CBrowserWindow::CollectionWindowWord(const std::string& name)
{
    Collection* collection = FindCollection(name);
    return collection != nullptr ? reinterpret_cast<uintptr_t>(collection->window) : 0;
}

void CBrowserWindow::ShowTreeMenu(const QPoint& position)
{
    QTreeWidgetItem* item = m_tree->itemAt(position);
    const uintptr_t colwin = item != nullptr ? CollectionWindowOfItem(item) : 0;
    if (colwin == 0)
        return;
    QMenu menu(this);
    if (!item->data(0, kBookRole).toString().isEmpty()) {
        connect(menu.addAction(tr("&Open Book")), &QAction::triggered, this,
                [this, item] { OnTreeActivated(item); });
        menu.addSeparator();
    }
    QMenu tools(this);
    FillPluginMenu(&tools, colwin);
    menu.addActions(tools.actions());
    menu.exec(m_tree->viewport()->mapToGlobal(position));
}

uintptr_t CBrowserWindow::OpenUserDocument(CBookView* view, int index)
{
    if (view == nullptr || index < 0 ||
        static_cast<std::size_t>(index) >= view->UserDocuments().size())
        return 0;
    const zelio::CUserDocument& document = view->UserDocuments()[static_cast<std::size_t>(index)];
    const std::string path = zelio::UserDocumentPath(view->BookFolder(), document.file);
    return m_scripts.Open(m_context, view->Handle(), "user_document", path, 0);
}

uintptr_t CBrowserWindow::OpenFigure(CBookView* view, int index)
{
    if (view == nullptr || index < 0 || static_cast<std::size_t>(index) >= view->Figures().size())
        return 0;
    const CBookView::Figure figure = view->Figures()[static_cast<std::size_t>(index)];
    const std::string folder = zelio::TemporaryFolder();
    std::string copy;
    if (const int error = zelio::CopyFigure(view->BookFolder(), figure.name, folder, copy);
        error != 0) {
        Report("The figure \"" + figure.name + "\" cannot be shown: " + std::strerror(error) + ".");
        return 0;
    }
    return m_scripts.Open(m_context, view->Handle(), "orn-raster=" + copy, std::string(),
                          static_cast<uint32_t>(figure.line), folder + "/" + copy);
}

CGraphWindow* CBrowserWindow::GraphOf(uintptr_t graph) const
{
    for (CGraphWindow* window : m_graphs)
        if (graph != 0 && window->Handle() == graph)
            return window;
    return nullptr;
}

void CBrowserWindow::OnGraphClosing(CGraphWindow* graph)
{
    const auto found = std::find(m_graphs.begin(), m_graphs.end(), graph);
    if (found == m_graphs.end())
        return;
    m_graphs.erase(found);
    m_plugins.GraphDestroyed(graph->Handle());
    graph->deleteLater();
}

void CBrowserWindow::DeliverMenuCommand(uintptr_t command)
{
    if (!m_shutDown)
        m_plugins.DeliverEvent(ZEL_EVENT_MENU, command);
}

void CBrowserWindow::OnTreeActivated(QTreeWidgetItem* item)
{
    if (item == nullptr || item->data(0, kBookRole).toString().isEmpty())
        return;
    OpenBook(item->data(0, kCollectionRole).toString().toStdString(),
             item->data(0, kBookRole).toString().toStdString());
}

void CBrowserWindow::OnResultActivated(QTreeWidgetItem* item)
{
    if (item == nullptr)
        return;
    ShowHits(item->data(0, kCollectionRole).toString().toStdString(),
             item->data(0, kBookRole).toString().toStdString(), m_lastQuery);
}

void CBrowserWindow::OnIndexProgress(std::size_t done, std::size_t total)
{
    if (done >= total) {
        m_progress->setVisible(false);
        statusBar()->clearMessage();
        return;
    }
    m_progress->setRange(0, static_cast<int>(total));
    m_progress->setValue(static_cast<int>(done));
    m_progress->setVisible(true);
    statusBar()->showMessage(
        tr("Building the full-text index: %1 of %2 files").arg(done).arg(total));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

CBookView* CBrowserWindow::OpenBook(const std::string& collectionName, const std::string& book)
{
    Collection* collection = FindCollection(collectionName);
    if (collection == nullptr) {
        Report("There is no collection \"" + collectionName + "\".");
        return nullptr;
    }
    const uintptr_t handle = ZelBookOpen(m_context, collection->folder.c_str(), book.c_str());
    if (handle == 0) {
        Report("The book \"" + book + "\" of collection \"" + collection->alias +
               "\" cannot be opened.");
        return nullptr;
    }
    if (CBookView* existing = ViewOf(BookView(handle))) {
        ZelBookClose(handle);
        ViewRaise(existing->Handle());
        return existing;
    }
    CBookView* view = NewView("book", QString());
    AdoptBook(view, handle);
    view->ShowBook(handle);
    UpdateTitle();
    m_plugins.DeliverEvent(ZEL_EVENT_VIEW_OPEN, handle, view->Handle());
    return view;
}

int CBrowserWindow::RunQuery(const std::string& query, const std::string& collectionName)
{
    m_lastQuery = query;
    m_results->clear();
    std::vector<Collection*> collections;
    for (const auto& collection : m_collections)
        if (collectionName.empty() || collection.get() == FindCollection(collectionName))
            collections.push_back(collection.get());
    int booksWithHits = 0;
    bool nothingToSearch = false;
    m_prompter.SetWaitCursor(true);
    for (Collection* collection : collections) {
        for (const std::string& bookDir : BookDirectories(collection->folder)) {
            const uintptr_t book =
                ZelBookOpen(m_context, collection->folder.c_str(), bookDir.c_str());
            if (book == 0)
                continue;
            const uintptr_t result = ZelQueryRun(book, query.c_str(), 0);
            if (result == 0) {
                nothingToSearch =
                    nothingToSearch || ZelLastError(m_context) == ZEL_ERROR_EMPTY_QUERY;
            } else {
                const long hits = ZelResultHits(result, 1);
                ZelResultRelease(result);
                if (hits > 0) {
                    auto* item = new QTreeWidgetItem(m_results, {FromBytes(ZelBookTitle(book)),
                                                                 FromBytes(collection->alias),
                                                                 QString::number(hits)});
                    item->setData(0, kCollectionRole,
                                  QString::fromStdString(collection->directory));
                    item->setData(0, kBookRole, QString::fromStdString(bookDir));
                    item->setTextAlignment(2, Qt::AlignRight);
                    ++booksWithHits;
                }
            }
            ZelBookClose(book);
        }
        if (nothingToSearch)
            break;
    }
    m_prompter.SetWaitCursor(false);
    if (nothingToSearch) {
        statusBar()->showMessage(tr("The query has nothing to search for."));
        return -1;
    }
    m_results->resizeColumnToContents(0);
    if (m_results->topLevelItemCount() > 0)
        m_results->setCurrentItem(m_results->topLevelItem(0));
    statusBar()->showMessage(tr("%1 book(s) with hits").arg(booksWithHits));
    return booksWithHits;
}

long CBrowserWindow::ShowHits(const std::string& collectionName, const std::string& book,
                              const std::string& query)
{
    Collection* collection = FindCollection(collectionName);
    if (collection == nullptr)
        return -1;
    const uintptr_t handle = ZelBookOpen(m_context, collection->folder.c_str(), book.c_str());
    if (handle == 0)
        return -1;
    uintptr_t view = BookView(handle);
    if (view == 0)
        view = ViewOpen(handle, "fulltext", "fulltext", true, 108);
    if (view == 0 || ViewShowBook(handle, view) != 0) {
        ZelBookClose(handle);
        return -1;
    }
    ViewRaise(view);
    ViewMarkHits(view, query.c_str());
    return ViewOf(view)->HitCount();
}

bool CBrowserWindow::ShowHelp(const std::string& topic)
{
    if (m_helpDir.empty() || m_help == nullptr)
        return false;
    const std::string name = topic.empty() ? std::string("index.html") : topic + ".html";
    if (name.find('/') != std::string::npos || name.find('\\') != std::string::npos)
        return false;
    const std::string path = platform::ResolveExistingPath(m_helpDir + "/" + name);
    if (!platform::CanOpenForReading(path))
        return false;
    m_help->setSearchPaths({QString::fromStdString(m_helpDir)});
    m_help->setSource(QUrl::fromLocalFile(QString::fromStdString(path)));
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
    return true;
}

bool CBrowserWindow::OwnCommand(const char* text)
{
    const CBrowserCommand command = CBrowserCommand::Parse(text != nullptr ? text : "");
    switch (command.kind) {
    case CBrowserCommand::Kind::Open: {
        if (command.Field(0).empty() || command.Field(1).empty())
            return false;
        if (FindCollection(command.Field(0)) == nullptr)
            return false;
        CBookView* view = OpenBook(command.Field(0), command.Field(1));
        if (view != nullptr)
            ViewRaise(view->Handle());
        return view != nullptr;
    }
    case CBrowserCommand::Kind::BookQuery:
        if (command.Field(0).empty() || command.Field(1).empty())
            return false;
        return ShowHits(command.Field(1), command.Field(0), command.Field(2)) > 0;
    case CBrowserCommand::Kind::Help:
        return ShowHelp(command.Field(0));
    case CBrowserCommand::Kind::Unknown:
        break;
    }
    return false;
}

// ---- IBrowserHost ------------------------------------------------------------------------

const uintptr_t* CBrowserWindow::ContextWindows(uintptr_t context)
{
    return context != 0 && context == m_context ? m_windows : nullptr;
}

uintptr_t CBrowserWindow::MainWindow(uintptr_t startWord3)
{
    return startWord3 == reinterpret_cast<uintptr_t>(m_windows) ? m_windows[4] : 0;
}

uintptr_t CBrowserWindow::BookView(uintptr_t book)
{
    zelio::CBookInfo info;
    if (!zelio::DescribeBook(book, info))
        return 0;
    for (CBookView* view : Views())
        if (view->BookHandle() == book)
            return view->Handle();
    for (CBookView* view : Views())
        if (!view->BookFolder().empty() && view->BookFolder() == info.folder)
            return view->Handle();
    return 0;
}

uintptr_t CBrowserWindow::ViewOpen(uintptr_t book, const char* name, const char* title,
                                   bool visible, int /*style*/)
{
    zelio::CBookInfo info;
    if (m_shutDown || !zelio::DescribeBook(book, info))
        return 0;
    CBookView* view = NewView(QString::fromUtf8(name), FromBytes(title));
    AdoptBook(view, book);
    view->ShowBook(book);
    if (!visible)
        view->parentWidget()->hide();
    UpdateTitle();
    m_plugins.DeliverEvent(ZEL_EVENT_VIEW_OPEN, book, view->Handle());
    return view->Handle();
}

int CBrowserWindow::ViewShowBook(uintptr_t book, uintptr_t viewHandle)
{
    CBookView* view = ViewOf(viewHandle);
    if (view == nullptr || !view->ShowBook(book))
        return -1;
    // The view takes the book over: a handle of the same book it held before is closed.
    auto& books = m_viewBooks[view];
    zelio::CBookInfo info;
    zelio::DescribeBook(book, info);
    for (uintptr_t old : std::vector<uintptr_t>(books)) {
        zelio::CBookInfo oldInfo;
        if (old != book && zelio::DescribeBook(old, oldInfo) && oldInfo.folder == info.folder) {
            std::erase(books, old);
            m_plugins.BookDestroyed(old);
            std::erase(m_announcedBooks, old);
            ZelBookClose(old);
        }
    }
    AdoptBook(view, book);
    return 0;
}

int CBrowserWindow::ViewRaise(uintptr_t viewHandle)
{
    CBookView* view = ViewOf(viewHandle);
    if (view == nullptr)
        return -1;
    for (QMdiSubWindow* sub : m_views->subWindowList())
        if (sub->widget() == view) {
            sub->show();
            m_views->setActiveSubWindow(sub);
        }
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    return 0;
}

int CBrowserWindow::ViewMarkHits(uintptr_t viewHandle, const char* query)
{
    CBookView* view = ViewOf(viewHandle);
    return view != nullptr ? view->MarkHits(query) : -1;
}

int CBrowserWindow::HelpShow(uintptr_t /*context*/, const char* topic)
{
    return ShowHelp(topic != nullptr ? topic : "") ? 0 : -1;
}

zelio::IDdeHostServer* CBrowserWindow::DdeServer(uintptr_t ddeServer)
{
    return m_ddeHost != nullptr && ddeServer == m_ddeHost->Handle() ? m_ddeHost.get() : nullptr;
}

zelio::IDdeHostServer* CBrowserWindow::DdeServerOfInstance(uintptr_t ddeInstance)
{
    return m_ddeHost != nullptr && ddeInstance == m_ddeHost->Instance() ? m_ddeHost.get() : nullptr;
}

zelio::IDdeHostServer* CBrowserWindow::DdeServerOfChain(uintptr_t /*chain*/)
{
    return m_ddeHost.get();
}

int CBrowserWindow::PluginStart(int version)
{
    return version == 2 ? 0 : -1;
}

int CBrowserWindow::EventRegister(uintptr_t context, int event, ZelCallback callback,
                                  uintptr_t data)
{
    return context == m_context ? m_plugins.RegisterEvent(context, event, callback, data) : -1;
}

int CBrowserWindow::BookCallbackRegister(uintptr_t book, int kind, ZelCallback callback,
                                         uintptr_t data)
{
    zelio::CBookInfo info;
    return zelio::DescribeBook(book, info)
               ? m_plugins.RegisterBookCallback(book, kind, callback, data)
               : -1;
}

int CBrowserWindow::ViewCallbackRegister(uintptr_t view, int kind, ZelCallback callback,
                                         uintptr_t data)
{
    return ViewOf(view) != nullptr ? m_plugins.RegisterViewCallback(view, kind, callback, data)
                                   : -1;
}

int CBrowserWindow::GraphCallbackRegister(uintptr_t graph, int kind, ZelCallback callback,
                                          uintptr_t data)
{
    return GraphOf(graph) != nullptr ? m_plugins.RegisterGraphCallback(graph, kind, callback, data)
                                     : -1;
}

int CBrowserWindow::Enter(uintptr_t /*context*/)
{
    return m_plugins.Enter();
}

intptr_t CBrowserWindow::Leave(uintptr_t /*context*/)
{
    return m_plugins.Leave();
}

int CBrowserWindow::ViewMenuAdd(uintptr_t viewHandle, const char* text, uint32_t flags,
                                ZelCallback itemProc, uintptr_t word)
{
    CBookView* view = ViewOf(viewHandle);
    if (view == nullptr)
        return -1;
    const int answer = m_plugins.AddMenuItem(viewHandle, text, flags, itemProc, word);
    if (answer == 0)
        view->ToolsButton()->setVisible(true);
    return answer;
}

int CBrowserWindow::CollectionWindowMenuAdd(uintptr_t collectionWindow, const char* text,
                                            uint32_t flags, ZelCallback itemProc, uintptr_t word)
{
    if (CollectionOf(collectionWindow) == 0)
        return -1;
    return m_plugins.AddMenuItem(collectionWindow, text, flags, itemProc, word);
}

int CBrowserWindow::ScriptKindRegister(uintptr_t context, const char* kind,
                                       ZelScriptConstructProc construct, ZelScriptProc destruct,
                                       ZelScriptProc refresh, uintptr_t data)
{
    if (context == 0 || context != m_context || kind == nullptr)
        return -1;
    return m_plugins.RegisterScriptKind(context, kind, construct, destruct, refresh, data);
}

uintptr_t CBrowserWindow::ScriptWindow(uintptr_t record)
{
    const uintptr_t viewHandle = m_scripts.ViewOfRecord(record);
    if (viewHandle == 0)
        return 0;
    // A script that outlived its view belongs to the main window.
    CBookView* view = ViewOf(viewHandle);
    return view != nullptr ? reinterpret_cast<uintptr_t>(static_cast<QWidget*>(view))
                           : m_windows[4];
}

void CBrowserWindow::ScriptRelease(uintptr_t view, uintptr_t script)
{
    m_scripts.Release(view, script);
}

uintptr_t CBrowserWindow::GraphCreate(uintptr_t /*plugin*/, uintptr_t context, const char* title)
{
    if (m_shutDown || context == 0 || context != m_context)
        return 0;
    auto* graph = new CGraphWindow(FromBytes(title != nullptr ? title : ""));
    connect(graph, &CGraphWindow::Closing, this, &CBrowserWindow::OnGraphClosing);
    m_graphs.push_back(graph);
    const uintptr_t handle = graph->Handle();
    m_plugins.DeliverEvent(ZEL_EVENT_GRAPH_OPEN, handle);
    return handle;
}

int CBrowserWindow::GraphLoad(uintptr_t graph, const char* path)
{
    CGraphWindow* window = GraphOf(graph);
    if (window == nullptr || path == nullptr)
        return -1;
    // The plug-in that loads a figure copy into its window owns the copy from now on.
    m_scripts.NoteLoaded(path);
    return window->Load(path) ? 0 : -1;
}

int CBrowserWindow::GraphShow(uintptr_t graph)
{
    CGraphWindow* window = GraphOf(graph);
    if (window == nullptr)
        return -1;
    window->show();
    window->raise();
    window->activateWindow();
    return 0;
}

int CBrowserWindow::GraphRefresh(uintptr_t graph)
{
    CGraphWindow* window = GraphOf(graph);
    if (window == nullptr)
        return -1;
    window->Refresh();
    return 0;
}

int CBrowserWindow::GraphClose(uintptr_t graph)
{
    CGraphWindow* window = GraphOf(graph);
    if (window == nullptr)
        return -1;
    window->CloseNow();
    return 0;
}

uintptr_t CBrowserWindow::CollectionWindowOf(uintptr_t word)
{
    for (const auto& collection : m_collections)
        if (word == reinterpret_cast<uintptr_t>(collection->window))
            return word;
    CBookView* view = ViewOf(word);
    if (view == nullptr)
        return 0;
    Collection* collection = CollectionOfFolder(view->BookFolder());
    return collection != nullptr ? reinterpret_cast<uintptr_t>(collection->window) : 0;
}

uintptr_t CBrowserWindow::CollectionOf(uintptr_t collectionWindow)
{
    for (const auto& collection : m_collections)
        if (collectionWindow == reinterpret_cast<uintptr_t>(collection->window))
            return reinterpret_cast<uintptr_t>(collection.get());
    return 0;
}

const char* CBrowserWindow::CollectionDirectory(uintptr_t collectionHandle)
{
    for (const auto& collection : m_collections)
        if (collectionHandle == reinterpret_cast<uintptr_t>(collection.get()))
            return collection->folder.c_str();
    return nullptr;
}

uintptr_t CBrowserWindow::CollectionTable(uintptr_t context)
{
    return context != 0 && context == m_context ? reinterpret_cast<uintptr_t>(&m_collections) : 0;
}

const char* CBrowserWindow::CollectionAlias(uintptr_t table, const char* collectionDir)
{
    if (table != reinterpret_cast<uintptr_t>(&m_collections) || collectionDir == nullptr)
        return nullptr;
    const std::string key = FolderKey(collectionDir);
    for (const auto& collection : m_collections)
        if (FolderKey(collection->directory) == key || FolderKey(collection->folder) == key) {
            m_aliasBuffer = collection->alias;
            return m_aliasBuffer.c_str();
        }
    return nullptr;
}
