// Scripts, graphics windows and collection-window menus of the browser, driven through a test
// plug-in loaded as the browser loads plug-ins.

#include "BookView.h"
#include "BrowserWindow.h"
#include "GraphWindow.h"
#include "ScriptHost.h"
#include "ZelioTestSupport.h"
#include "prompter/ScriptedPrompter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextCursor>
#include <QThread>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <filesystem>

namespace {

template <typename Condition> bool WaitFor(Condition condition, int ms = 10000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    return condition();
}

// The test plug-in, kept mapped by the test so that its record outlives the browser.
class CScriptPlugin
{
public:
    CScriptPlugin() : m_library(dlopen(ZELIO_SCRIPT_PLUGIN, RTLD_NOW | RTLD_LOCAL))
    {
        m_log = reinterpret_cast<const char* (*)()>(dlsym(m_library, "ScriptPluginLog"));
        m_clear = reinterpret_cast<void (*)()>(dlsym(m_library, "ScriptPluginClear"));
        m_mode = reinterpret_cast<void (*)(int)>(dlsym(m_library, "ScriptPluginSetFigureMode"));
        m_clear();
        m_mode(1);
    }
    ~CScriptPlugin() { dlclose(m_library); }
    std::string Log() const { return m_log(); }
    void Clear() { m_clear(); }
    void SetFigureMode(int mode) { m_mode(mode); }
    bool Logged(const std::string& line) const { return Log().find(line) != std::string::npos; }

private:
    void* m_library;
    const char* (*m_log)() = nullptr;
    void (*m_clear)() = nullptr;
    void (*m_mode)(int) = nullptr;
};

CBrowserWindow::Options Quiet()
{
    CBrowserWindow::Options options;
    options.serveDde = false;
    options.registerWindow = false;
    return options;
}

std::string Hex(uintptr_t word)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%lx", static_cast<unsigned long>(word));
    return buffer;
}

std::size_t FilesIn(const std::string& folder)
{
    std::size_t count = 0;
    std::error_code error;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder, error))
        ++count;
    return count;
}

const char* const kDocRef =
    "<docref docnum=\"99999\" author=\"A. Author\" id=\"Id1\" file=\"%s\" colrefs=\"No colrefs\" "
    "bookrefs=\"No bookrefs\" noterefs=\"No noterefs\">\n<doctitle>%s</doctitle>\n"
    "<docdesc>D</docdesc>\n</docref>\n";

std::string DocRef(const char* file, const char* title)
{
    char buffer[1024];
    std::snprintf(buffer, sizeof buffer, kDocRef, file, title);
    return buffer;
}

// A private temporary folder for the figure copies, taken back at the end.
class CTemporaryFolder
{
public:
    explicit CTemporaryFolder(const std::string& path) : m_path(path)
    {
        std::filesystem::create_directories(path);
        ::setenv("TMPDIR", path.c_str(), 1);
    }
    ~CTemporaryFolder() { ::unsetenv("TMPDIR"); }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

} // namespace

TEST(PluginScripts, CollectionWindowAndViewMenusCarryThePluginItems)
{
    CScriptPlugin plugin;
    CZelioTestTree tree(ZELIO_SCRIPT_PLUGIN);
    platform::ScriptedPrompter prompter;
    CBrowserWindow window(prompter, Quiet());
    ASSERT_TRUE(window.Start());
    const uintptr_t colwin = window.CollectionWindowWord("Test Collection");
    ASSERT_NE(colwin, 0u);
    EXPECT_EQ(ZelCollectionWindowMenuAdd(colwin + 1, "X", 0, nullptr, 0), -1);

    // Items added when the collection window opened: a separator, then the item.
    QMenu menu;
    window.FillPluginMenu(&menu, colwin);
    ASSERT_EQ(menu.actions().size(), 2);
    EXPECT_TRUE(menu.actions()[0]->isSeparator());
    EXPECT_EQ(menu.actions()[1]->text(), "Add &User Doc");
    plugin.Clear();
    menu.actions()[1]->trigger();
    EXPECT_EQ(plugin.Log(),
              "item owner=" + Hex(colwin) + " word=5 reason=2 colwin=" + Hex(colwin) + "\n");

    // Items added when a view opened appear in that view's menu, for every view.
    for (const char* book : {"pumps", "valves"}) {
        CBookView* view = window.OpenBook("coll", book);
        ASSERT_NE(view, nullptr);
        QMenu viewMenu;
        window.FillPluginMenu(&viewMenu, view->Handle());
        ASSERT_EQ(viewMenu.actions().size(), 1) << book;
        plugin.Clear();
        viewMenu.actions()[0]->trigger();
        EXPECT_EQ(plugin.Log(), "item owner=" + Hex(view->Handle()) +
                                    " word=6 reason=2 colwin=" + Hex(colwin) + "\n");
    }
}

TEST(PluginScripts, UserDocumentsAreListedOpenedAndReadAgainWhenTheFileChanges)
{
    CScriptPlugin plugin;
    CZelioTestTree tree(ZELIO_SCRIPT_PLUGIN);
    tree.Write("data/coll/books/pumps/pumps.sgm",
               "<!ENTITY OBU000.TXT SYSTEM \"OBU000.TXT\">\n<userdoc>\n&OBU000.TXT;\n</userdoc>\n");
    tree.Write("data/coll/books/pumps/OBU000.TXT", DocRef("notes/check.txt", "Checklist"));
    platform::ScriptedPrompter prompter;
    CBrowserWindow window(prompter, Quiet());
    ASSERT_TRUE(window.Start());
    EXPECT_TRUE(plugin.Logged("kind 0\n"));
    CBookView* view = window.OpenBook("coll", "pumps");
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->UserDocuments().size(), 1u);
    QTreeWidget* list = view->ScriptList();
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "User Documents");
    ASSERT_EQ(list->topLevelItem(0)->childCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->child(0)->text(0), "Checklist");

    // The registered kind gets the script, not the exported procedures; the argument is the
    // document's path, a relative one taken from the book folder.
    plugin.Clear();
    emit list->itemActivated(list->topLevelItem(0)->child(0), 0);
    EXPECT_EQ(plugin.Log(), "userdoc user_document serial=1 arg=" + view->BookFolder() +
                                "/notes/check.txt data=1 window=1\n");
    // The plug-in released its hold; the view's ends when the view lets the script go.
    EXPECT_EQ(window.Scripts().LiveCount(view->Handle()), 1u);

    // The plug-in adds a document while the browser runs: the list follows without a restart.
    tree.Write("data/coll/books/pumps/OBU001.TXT", DocRef("/abs/manual.pdf", "Manual"));
    const std::string sgm =
        tree.Write("data/coll/books/pumps/pumps.tmp",
                   "<!ENTITY OBU000.TXT SYSTEM \"OBU000.TXT\">\n<!ENTITY OBU001.TXT SYSTEM "
                   "\"OBU001.TXT\">\n<userdoc>\n&OBU000.TXT;\n&OBU001.TXT;\n</userdoc>\n");
    std::filesystem::rename(sgm, tree.Root() + "/data/coll/books/pumps/pumps.sgm");
    ASSERT_TRUE(WaitFor([&] { return view->UserDocuments().size() == 2; }));
    EXPECT_EQ(list->topLevelItem(0)->child(1)->text(0), "Manual");
    plugin.Clear();
    window.OpenUserDocument(view, 1);
    EXPECT_EQ(plugin.Log(), "userdoc user_document serial=2 arg=/abs/manual.pdf data=1 window=1\n");

    // A broken file lists nothing and harms nothing; a refresh reads it again at once.
    tree.Write("data/coll/books/pumps/pumps.sgm", "<userdoc>&OBU0");
    view->Refresh();
    EXPECT_TRUE(view->UserDocuments().empty());
    EXPECT_EQ(window.OpenUserDocument(view, 0), 0u);
    EXPECT_TRUE(prompter.MessageTexts().empty());
}

TEST(PluginScripts, FiguresGoToGraphicsWindowsAndNoCopyIsLeftBehind)
{
    CScriptPlugin plugin;
    CZelioTestTree tree(ZELIO_SCRIPT_PLUGIN);
    const CTemporaryFolder temp(tree.Root() + "/tmp");
    tree.Write("data/coll/books/pumps/c.txt", "Section:\n[figure: pump section.tif]\n");
    std::filesystem::copy_file(ZELIO_EXAMPLES_DIR "/docs/psd/books/pump-manual/pump-section.tif",
                               tree.Root() + "/data/coll/books/pumps/pump section.tif");
    platform::ScriptedPrompter prompter;
    CBrowserWindow window(prompter, Quiet());
    ASSERT_TRUE(window.Start());
    CBookView* view = window.OpenBook("coll", "pumps");
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->Figures().size(), 1u);
    const CBookView::Figure figure = view->Figures()[0];
    EXPECT_EQ(view->TextView()->toPlainText().mid(figure.begin, figure.end - figure.begin),
              "[figure: pump section.tif]");

    // Opening copies the figure and hands "orn-raster=<copy>" to the exported procedures; the
    // plug-in shows it in a graphics window (graph-opened event with its registration data).
    plugin.Clear();
    const uintptr_t script = window.OpenFigure(view, 0);
    ASSERT_NE(script, 0u);
    const std::string log = plugin.Log();
    const std::size_t copyAt = log.find("orn-raster=zelio-");
    ASSERT_NE(copyAt, std::string::npos) << log;
    const std::string copy = log.substr(copyAt + 11, log.find(' ', copyAt) - copyAt - 11);
    EXPECT_EQ(copy.find('/'), std::string::npos);
    EXPECT_NE(copy.find("pump_section.tif"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(temp.Path() + "/" + copy));
    EXPECT_NE(log.find("line=" + std::to_string(figure.line) +
                       " fourth=0 context=1\n"
                       "graph opened data=99\nload 0 show 0\n"),
              std::string::npos)
        << log;
    ASSERT_EQ(window.GraphWindows().size(), 1u);
    CGraphWindow* graph = window.GraphWindows()[0];
    EXPECT_EQ(graph->windowTitle(), "Graphics Window");
    EXPECT_TRUE(graph->isVisible());
    EXPECT_EQ(graph->PicturePath(), temp.Path() + "/" + copy);
    EXPECT_EQ(ZelScriptWindow(window.Scripts().RecordOf(script)),
              reinterpret_cast<uintptr_t>(static_cast<QWidget*>(view)));

    // F5 refreshes the view's scripts; the plug-in repaints its window.
    plugin.Clear();
    view->Refresh();
    EXPECT_EQ(plugin.Log(), "refresh orn-raster=" + copy + "\nrepaint 0\n");

    // A second opening makes a second copy and window; the user closes that window: the
    // destroyed callback runs and the graph is gone.
    window.OpenFigure(view, 0);
    ASSERT_EQ(window.GraphWindows().size(), 2u);
    const uintptr_t second = window.GraphWindows()[1]->Handle();
    plugin.Clear();
    window.GraphWindows()[1]->close();
    EXPECT_EQ(plugin.Log(), "graph destroyed data=77\n");
    EXPECT_EQ(window.GraphWindows().size(), 1u);
    EXPECT_EQ(ZelGraphShow(second), -1);
    EXPECT_EQ(FilesIn(temp.Path()), 1u);

    // The view closes: the script is destructed, the plug-in closes its window (58), deletes
    // the copy and releases the script; nothing is left.
    plugin.Clear();
    view->parentWidget()->close();
    WaitFor([&] { return window.Views().empty(); });
    // Both scripts are destructed; only the first still has a window.
    const std::string closing = plugin.Log();
    EXPECT_EQ(closing.rfind("destruct orn-raster=" + copy +
                                "\ngraph destroyed data=77\nclose 0\ndestruct orn-raster=zelio-",
                            0),
              0u)
        << closing;
    EXPECT_EQ(closing.find("close", closing.find("close 0") + 1), std::string::npos) << closing;
    EXPECT_TRUE(window.GraphWindows().empty());
    EXPECT_EQ(FilesIn(temp.Path()), 0u);
    EXPECT_EQ(window.Scripts().RecordCount(), 0u);
    EXPECT_TRUE(prompter.MessageTexts().empty());
}

TEST(PluginScripts, AFigureNoPluginTakesIsRemovedAndGraphCallsCheckTheirHandles)
{
    CScriptPlugin plugin;
    plugin.SetFigureMode(0);
    CZelioTestTree tree(ZELIO_SCRIPT_PLUGIN);
    const CTemporaryFolder temp(tree.Root() + "/tmp");
    tree.Write("data/coll/books/pumps/c.txt", "[figure: fig.tif] [figure: missing.tif]\n");
    tree.Write("data/coll/books/pumps/fig.tif", "not a picture");
    platform::ScriptedPrompter prompter;
    CBrowserWindow window(prompter, Quiet());
    ASSERT_TRUE(window.Start());
    CBookView* view = window.OpenBook("coll", "pumps");
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->Figures().size(), 2u);
    ASSERT_NE(window.OpenFigure(view, 0), 0u);
    EXPECT_TRUE(plugin.Logged("construct orn-raster=zelio-")) << plugin.Log();
    EXPECT_EQ(FilesIn(temp.Path()), 0u);

    // A click on the figure's link in the text opens it too.
    plugin.Clear();
    QPlainTextEdit* text = view->TextView();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    text->ensureCursorVisible();
    QTextCursor at(text->document());
    at.setPosition(view->Figures()[0].begin + 3);
    QTest::mouseClick(text->viewport(), Qt::LeftButton, {}, text->cursorRect(at).center());
    EXPECT_TRUE(plugin.Logged("construct orn-raster=zelio-")) << plugin.Log();

    // Showing another book in the view destructs the scripts of the book it showed.
    plugin.Clear();
    const uintptr_t valves =
        ZelBookOpen(window.Context(), (tree.Root() + "/data/coll").c_str(), "valves");
    ASSERT_EQ(ZelViewShowBook(valves, view->Handle()), 0);
    const std::string replaced = plugin.Log();
    EXPECT_EQ(replaced.rfind("destruct orn-raster=zelio-", 0), 0u) << replaced;
    EXPECT_NE(replaced.find("\ndestruct orn-raster=zelio-"), std::string::npos) << replaced;
    EXPECT_EQ(window.Scripts().LiveCount(view->Handle()), 0u);
    EXPECT_TRUE(view->Figures().empty());
    window.OpenBook("coll", "pumps");
    view = window.OpenBook("coll", "pumps");
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->Figures().size(), 2u);

    // A figure that is not there is reported and constructs nothing.
    plugin.Clear();
    EXPECT_EQ(window.OpenFigure(view, 1), 0u);
    EXPECT_EQ(plugin.Log(), "");
    ASSERT_EQ(prompter.MessageTexts().size(), 1u);
    EXPECT_NE(prompter.MessageTexts()[0].find("missing.tif"), std::string::npos);

    // Graph calls: a picture that cannot be loaded, unknown handles, closing by the program.
    const uintptr_t graph = ZelGraphCreate(1, window.Context(), "Graphics Window", 0);
    ASSERT_NE(graph, 0u);
    EXPECT_TRUE(plugin.Logged("graph opened data=99\n"));
    EXPECT_FALSE(window.GraphWindows()[0]->isVisible()); // hidden until shown
    EXPECT_EQ(ZelGraphCreate(1, window.Context() + 1, "X", 0), 0u);
    EXPECT_EQ(ZelGraphLoad(graph, (tree.Root() + "/data/coll/books/pumps/fig.tif").c_str()), -1);
    EXPECT_EQ(ZelGraphLoad(graph, "/nonexistent.tif"), -1);
    EXPECT_EQ(ZelGraphLoad(graph + 1, "/nonexistent.tif"), -1);
    EXPECT_EQ(ZelGraphRefresh(0, graph), 0);
    EXPECT_EQ(ZelGraphShow(graph), 0);
    plugin.Clear();
    EXPECT_EQ(ZelGraphClose(graph), 0);
    EXPECT_EQ(plugin.Log(), "graph destroyed data=77\n");
    EXPECT_EQ(ZelGraphClose(graph), -1);
    EXPECT_EQ(ZelGraphRefresh(0, graph), -1);
    EXPECT_TRUE(window.GraphWindows().empty());
}

#ifdef OBUUDOC_PLUGIN
// The user-document plug-in of the build in the browser: its menu item on collection windows
// and views, and a figure shown in a graphics window until the view closes, the copy deleted.
TEST(PluginScripts, TheUserDocumentPluginShowsFiguresAndCleansUp)
{
    CZelioTestTree tree(OBUUDOC_PLUGIN);
    const CTemporaryFolder temp(tree.Root() + "/tmp");
    tree.Write("data/coll/books/pumps/c.txt", "[figure: pump.tif]\n");
    std::filesystem::copy_file(ZELIO_EXAMPLES_DIR "/docs/psd/books/pump-manual/pump-section.tif",
                               tree.Root() + "/data/coll/books/pumps/pump.tif");
    platform::ScriptedPrompter prompter;
    CBrowserWindow window(prompter, Quiet());
    ASSERT_TRUE(window.Start());
    ASSERT_EQ(window.Plugins().LoadedPaths().size(), 1u);
    QMenu menu;
    window.FillPluginMenu(&menu, window.CollectionWindowWord("coll"));
    ASSERT_FALSE(menu.actions().isEmpty());
    EXPECT_EQ(menu.actions().back()->text(), "Add &User Doc");
    CBookView* view = window.OpenBook("coll", "pumps");
    ASSERT_NE(view, nullptr);
    window.FillPluginMenu(&menu, view->Handle());
    ASSERT_FALSE(menu.actions().isEmpty());
    EXPECT_EQ(menu.actions().back()->text(), "Add &User Doc");

    ASSERT_NE(window.OpenFigure(view, 0), 0u);
    ASSERT_EQ(window.GraphWindows().size(), 1u);
    EXPECT_EQ(window.GraphWindows()[0]->windowTitle(), "Graphics Window");
    EXPECT_TRUE(window.GraphWindows()[0]->isVisible());
    EXPECT_FALSE(window.GraphWindows()[0]->PicturePath().empty());
    EXPECT_EQ(FilesIn(temp.Path()), 1u);
    view->parentWidget()->close();
    WaitFor([&] { return window.Views().empty(); });
    EXPECT_TRUE(window.GraphWindows().empty());
    EXPECT_EQ(FilesIn(temp.Path()), 0u);
    EXPECT_TRUE(prompter.MessageTexts().empty());
}
#endif

#ifdef OBUUTIL_PLUGIN
// The model launcher of the build: "Model..." in the menu of every document view.
TEST(PluginScripts, ModelItemInEveryViewMenu)
{
    CZelioTestTree tree(OBUUTIL_PLUGIN);
    platform::ScriptedPrompter prompter;
    CBrowserWindow window(prompter, Quiet());
    ASSERT_TRUE(window.Start());
    ASSERT_EQ(window.Plugins().LoadedPaths().size(), 1u);
    for (const char* book : {"pumps", "valves"}) {
        CBookView* view = window.OpenBook("coll", book);
        ASSERT_NE(view, nullptr);
        QMenu menu;
        window.FillPluginMenu(&menu, view->Handle());
        ASSERT_EQ(menu.actions().size(), 2) << book;
        EXPECT_TRUE(menu.actions()[0]->isSeparator());
        EXPECT_EQ(menu.actions()[1]->text(), "Model...");
    }
}
#endif

TEST(ScriptHost, RecordsSerialsAndHolds)
{
    CPluginManager plugins; // no plug-ins: nothing is called, nothing holds
    CScriptHost scripts(plugins);
    const uintptr_t a = scripts.Open(1, 100, "orn-raster=x", "", 7);
    const uintptr_t b = scripts.Open(1, 100, "user_document", "/p", 0);
    const uintptr_t c = scripts.Open(1, 200, "x", "", 0);
    const auto* record = reinterpret_cast<const ZelScriptRecord*>(scripts.RecordOf(a));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->size, ZEL_SCRIPT_TEXT_OFFSET + 13u);
    EXPECT_EQ(record->serial, 1u);
    EXPECT_EQ(record->line, 7u);
    EXPECT_STREQ(reinterpret_cast<const char*>(record) + ZEL_SCRIPT_TEXT_OFFSET, "orn-raster=x");
    EXPECT_EQ(reinterpret_cast<const ZelScriptRecord*>(scripts.RecordOf(b))->serial, 2u);
    EXPECT_EQ(reinterpret_cast<const ZelScriptRecord*>(scripts.RecordOf(c))->serial, 1u);
    EXPECT_EQ(scripts.ViewOfRecord(scripts.RecordOf(b)), 100u);
    EXPECT_EQ(scripts.ViewOfRecord(12345), 0u);
    scripts.Release(100, 999); // unknown words are harmless
    scripts.Release(200, a);   // the wrong view too
    EXPECT_EQ(scripts.RecordCount(), 3u);
    EXPECT_EQ(scripts.CloseView(100), 2);
    EXPECT_EQ(scripts.RecordCount(), 1u);
    EXPECT_EQ(scripts.ViewOfRecord(scripts.RecordOf(a)), 0u);
    EXPECT_EQ(CPluginManager::ScriptKind("orn-raster=a=b"), "orn-raster");
    EXPECT_EQ(CPluginManager::ScriptKind("user_document"), "user_document");
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
