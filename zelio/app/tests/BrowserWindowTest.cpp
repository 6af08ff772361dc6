#include "BrowserWindow.h"
#include "BookView.h"
#include "BrowserCommand.h"
#include "ShowCommand.h"
#include "ZelioTestSupport.h"
#include "dde/DdeClient.h"
#include "prompter/ScriptedPrompter.h"
#include "windows/WindowRegistry.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextBrowser>
#include <QThread>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <atomic>
#include <dlfcn.h>
#include <thread>

namespace {

// Runs the window's event loop until the condition holds or ten seconds pass.
template <typename Condition> bool WaitFor(Condition condition)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return condition();
}

CBrowserWindow::Options Quiet()
{
    CBrowserWindow::Options options;
    options.serveDde = false;
    options.registerWindow = false;
    return options;
}

} // namespace

TEST(BrowserWindow, ListsCollectionsOpensBooksAndMarksHits)
{
    CZelioTestTree tree;
    platform::ScriptedPrompter prompter;
    CBrowserWindow window(prompter, Quiet());
    ASSERT_TRUE(window.Start());

    QTreeWidget* collections = window.CollectionTree();
    ASSERT_EQ(collections->topLevelItemCount(), 1);
    QTreeWidgetItem* collection = collections->topLevelItem(0);
    EXPECT_EQ(collection->text(0), "Test Collection");
    ASSERT_EQ(collection->childCount(), 2);
    EXPECT_EQ(collection->child(0)->text(0), "Pump Manual");
    EXPECT_EQ(collection->child(1)->text(0), "Valve Guide");

    // A book opens by alias or directory; opening it again reuses its view.
    CBookView* view = window.OpenBook("test collection", "pumps");
    ASSERT_NE(view, nullptr);
    const QString shown = view->TextView()->toPlainText();
    EXPECT_TRUE(shown.contains("The impeller of pump P-101 turns."));
    EXPECT_TRUE(shown.contains("An impeller seal & a casing."));
    EXPECT_FALSE(shown.contains("<p>"));
    EXPECT_EQ(window.OpenBook("coll", "pumps"), view);
    EXPECT_EQ(window.Views().size(), 1u);
    EXPECT_TRUE(window.windowTitle().contains("Pump Manual"));

    // The query lists the books with hits and their counts.
    EXPECT_EQ(window.RunQuery("impeller"), 1);
    ASSERT_EQ(window.ResultList()->topLevelItemCount(), 1);
    EXPECT_EQ(window.ResultList()->topLevelItem(0)->text(0), "Pump Manual");
    EXPECT_EQ(window.ResultList()->topLevelItem(0)->text(2), "3");
    EXPECT_EQ(window.RunQuery("valve OR impeller"), 2);
    EXPECT_EQ(window.RunQuery("((("), -1);
    EXPECT_EQ(window.RunQuery("nothingatall"), 0);

    // Hits marked in the book's view: every occurrence, in text order, first one current.
    EXPECT_EQ(window.ShowHits("coll", "pumps", "impeller"), 3);
    EXPECT_EQ(view->HitCount(), 3);
    EXPECT_EQ(view->CurrentHit(), 0);
    EXPECT_EQ(view->HitText(0), "impeller");
    EXPECT_EQ(view->HitText(1), "Impeller");
    EXPECT_EQ(view->TextView()->textCursor().position(),
              view->TextView()->toPlainText().indexOf("impeller"));
    view->NextHit();
    view->NextHit();
    EXPECT_EQ(view->CurrentHit(), 2);
    view->NextHit();
    EXPECT_EQ(view->CurrentHit(), 0);
    view->PreviousHit();
    EXPECT_EQ(view->CurrentHit(), 2);
    EXPECT_EQ(view->TextView()->extraSelections().size(), 3);
    EXPECT_EQ(window.ShowHits("coll", "valves", "impeller"), 0);
    EXPECT_EQ(window.ShowHits("coll", "nosuchbook", "impeller"), -1);
    EXPECT_TRUE(prompter.MessageNumbers().empty());
}

TEST(BrowserWindow, HelpTopicsAndHostCallsWithoutHost)
{
    CZelioTestTree tree;
    platform::ScriptedPrompter prompter;
    // No host: the host-bound calls answer 0 or -1.
    EXPECT_EQ(ZelHelpShow(0, "Model"), -1);
    EXPECT_EQ(ZelBookView(1), 0u);
    EXPECT_EQ(ZelContextWindows(1), nullptr);
    EXPECT_EQ(ZelEventRegister(1, ZEL_EVENT_MENU, nullptr, 0), -1);
    EXPECT_EQ(ZelDdeInstance(1), 0u);
    char buffer[8] = "x";
    EXPECT_EQ(ZelDdeStringQuery(1, 1, buffer, sizeof buffer), -1);
    EXPECT_STREQ(buffer, "");
    {
        CBrowserWindow window(prompter, Quiet());
        ASSERT_TRUE(window.Start());
        EXPECT_EQ(ZelHelpShow(window.Context(), "model"), 0); // found ignoring case
        EXPECT_TRUE(window.HelpBrowser()->toPlainText().contains("Model help"));
        EXPECT_EQ(ZelHelpShow(window.Context(), ""), 0);
        EXPECT_TRUE(window.HelpBrowser()->toPlainText().contains("Help index"));
        EXPECT_EQ(ZelHelpShow(window.Context(), "missing"), -1);
        EXPECT_EQ(ZelHelpShow(window.Context(), "../data/help/index"), -1);
        EXPECT_NE(ZelContextWindows(window.Context()), nullptr);
    }
    EXPECT_EQ(ZelHelpShow(0, ""), -1);
}

TEST(BrowserWindow, PluginReceivesEventsCallbacksMenusAndDde)
{
    CZelioTestTree tree(ZELIO_TEST_PLUGIN);
    // Keep the plug-in loaded across the window's life to read its record afterwards.
    void* library = dlopen(ZELIO_TEST_PLUGIN, RTLD_NOW);
    ASSERT_NE(library, nullptr);
    auto log = reinterpret_cast<const char* (*)()>(dlsym(library, "TestPluginLog"));
    auto clear = reinterpret_cast<void (*)()>(dlsym(library, "TestPluginClear"));
    clear();
    platform::ScriptedPrompter prompter;
    CBrowserWindow::Options options;
    options.registerWindow = false;
    {
        CBrowserWindow window(prompter, options);
        ASSERT_TRUE(window.Start());
        EXPECT_TRUE(prompter.MessageNumbers().empty());
        std::string text = log();
        EXPECT_NE(text.find("init 1 start=0 main=1\n"), std::string::npos) << text;
        EXPECT_NE(text.find("colwin " + tree.Root() + "/data/coll\n"), std::string::npos) << text;

        CBookView* view = window.OpenBook("coll", "pumps");
        ASSERT_NE(view, nullptr);
        text = log();
        EXPECT_NE(text.find("book Pump Manual\nview 1\n"), std::string::npos) << text;

        // The plug-in's menu item is offered in the view and chosen with its record.
        QMenu* menu = view->ToolsButton()->menu();
        ASSERT_NE(menu, nullptr);
        EXPECT_TRUE(view->ToolsButton()->isVisibleTo(view));
        emit menu->aboutToShow();
        ASSERT_EQ(menu->actions().size(), 2);
        EXPECT_TRUE(menu->actions()[0]->isSeparator());
        EXPECT_EQ(menu->actions()[1]->text(), "Test Item");
        menu->actions()[1]->trigger();
        EXPECT_NE(
            std::string(log()).find("item word=2 reason=2 viewmatches=1 name=Test Collection"),
            std::string::npos)
            << log();

        // Menu commands of the main window reach the plug-in.
        for (QAction* action : window.findChildren<QAction*>())
            if (action->data().toULongLong() == CPluginManager::kDisclaimerCommand)
                action->trigger();
        EXPECT_NE(std::string(log()).find("menu 40001\n"), std::string::npos);

        // DDE: the plug-in's topic is served through its hooks, the browser's own topic passes
        // through them to the browser's handling.
        std::atomic<int> ping{-1}, own{-1}, other{-1};
        std::string clientError;
        std::thread client([&] {
            platform::CDdeClient dde;
            if (!dde.Connect("zelio", "tpl", 2000))
                clientError = dde.ErrorText();
            else {
                ping = static_cast<int>(dde.Execute("ping", 2000).outcome);
                other = static_cast<int>(dde.Execute("pong", 2000).outcome);
            }
            platform::CDdeClient browser;
            if (browser.Connect("ZELIO", "ZELIO", 2000))
                own = static_cast<int>(browser.Execute("open=coll,valves", 2000).outcome);
        });
        WaitFor([&] { return own.load() != -1; });
        client.join();
        EXPECT_EQ(ping, static_cast<int>(platform::DdeOutcome::Processed)) << clientError;
        EXPECT_EQ(other, static_cast<int>(platform::DdeOutcome::NotProcessed));
        EXPECT_EQ(own, static_cast<int>(platform::DdeOutcome::Processed));
        EXPECT_EQ(window.Views().size(), 2u);

        // Closing a view tells the plug-in that the view and its book are gone.
        clear();
        view->parentWidget()->close();
        WaitFor([&] { return window.Views().size() == 1; });
        EXPECT_NE(std::string(log()).find("view destroyed data=7\nbook destroyed\n"),
                  std::string::npos)
            << log();
        EXPECT_EQ(window.Plugins().LoadedPaths().size(), 1u);
    }
    EXPECT_NE(std::string(log()).find("destroy 4242\n"), std::string::npos) << log();
    dlclose(library);
}

TEST(BrowserWindow, PluginThatDoesNotLoadIsReported)
{
    CZelioTestTree tree("/nonexistent/libnothere.so;" ZELIO_TEST_PLUGIN);
    platform::ScriptedPrompter prompter;
    CBrowserWindow window(prompter, Quiet());
    ASSERT_TRUE(window.Start());
    ASSERT_EQ(prompter.MessageTexts().size(), 1u);
    EXPECT_NE(prompter.MessageTexts()[0].find("/nonexistent/libnothere.so"), std::string::npos);
    // The other plug-in still loads.
    EXPECT_EQ(window.Plugins().LoadedPaths().size(), 1u);
}

// Notes, at each message, whether this process's main window is in the window registry.
class CRegistryWatchingPrompter : public platform::ScriptedPrompter
{
public:
    platform::Answer ShowMessage(int number, const std::string& text, platform::Icon icon,
                                 platform::Buttons buttons, const std::string& caption,
                                 std::optional<platform::Answer> defaultButton) override
    {
        const auto entry = platform::FindWindowByClass("ZELWIN");
        m_registeredAtMessage.push_back(entry && entry->pid == ::getpid());
        return ScriptedPrompter::ShowMessage(number, text, icon, buttons, caption, defaultButton);
    }
    std::vector<bool> m_registeredAtMessage;
};

TEST(BrowserWindow, RegistersOnlyAfterServingAndLoadingPlugins)
{
    // A plug-in that fails to load shows a message while the plug-ins load: a program waiting
    // for the window must not find it then, for the plug-ins' topics are not all there yet.
    CZelioTestTree tree("/nonexistent/libnothere.so");
    CRegistryWatchingPrompter prompter;
    CBrowserWindow window(prompter, CBrowserWindow::Options{});
    ASSERT_TRUE(window.Start());
    ASSERT_EQ(prompter.m_registeredAtMessage.size(), 1u);
    EXPECT_FALSE(prompter.m_registeredAtMessage[0]);
    const auto entry = platform::FindWindowByClass("ZELWIN");
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->pid, ::getpid());
    // Also under the class the plug-in frame's watch thread looks for.
    const auto frameEntry = platform::FindWindowByClass("Zelio30");
    ASSERT_TRUE(frameEntry.has_value());
    EXPECT_EQ(frameEntry->pid, ::getpid());
    ASSERT_NE(window.DdeServerObject(), nullptr);
}

TEST(BrowserCommand, SplitsCommandAndFields)
{
    const auto open = CBrowserCommand::Parse("OPEN= coll , pumps ");
    EXPECT_EQ(open.kind, CBrowserCommand::Kind::Open);
    EXPECT_EQ(open.Field(0), "coll");
    EXPECT_EQ(open.Field(1), "pumps");
    EXPECT_EQ(open.Field(2), "");
    const auto query = CBrowserCommand::Parse("bookquery=b,c,x AND y,z=w");
    EXPECT_EQ(query.kind, CBrowserCommand::Kind::BookQuery);
    EXPECT_EQ(query.Field(2), "x AND y");
    EXPECT_EQ(query.argument, "b,c,x AND y,z");
    const auto help = CBrowserCommand::Parse("help");
    EXPECT_EQ(help.kind, CBrowserCommand::Kind::Help);
    EXPECT_EQ(help.Field(0), "");
    EXPECT_EQ(CBrowserCommand::Parse("print=x").kind, CBrowserCommand::Kind::Unknown);
}

TEST(BookView, HitsAcrossFilesInOneDocument)
{
    CZelioTestTree tree;
    // Hits in the first, third and fourth file, none in the second; the third has characters
    // beyond ASCII (two UTF-16 units for the emoji) before its hits, the first CR LF endings,
    // the fourth a line feed in its name.
    tree.Write("data/coll/books/multi/book.ini", "[book]\nTITLE=Multi\n");
    tree.Write("data/coll/books/multi/a.txt", "One impeller.\r\nTwo: Impeller.\r\n");
    tree.Write("data/coll/books/multi/b.txt", "Nothing to see here.\n");
    tree.Write("data/coll/books/multi/c.html",
               "<p>Pr\xC3\xBC"
               "fung \xF0\x9F\x98\x80 des impellers</p><p>IMPELLER</p>");
    tree.Write("data/coll/books/multi/z\nname.txt", "Last impeller.");
    platform::ScriptedPrompter prompter;
    CBrowserWindow window(prompter, Quiet());
    ASSERT_TRUE(window.Start());
    ASSERT_EQ(window.ShowHits("coll", "multi", "impeller*"), 5);
    CBookView* view = window.ActiveView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->FileCount(), 4);
    EXPECT_EQ(view->FileList()->count(), 4);
    EXPECT_EQ(view->FileList()->itemText(2), "c.html");
    EXPECT_EQ(view->FileList()->itemText(3), "z name.txt");

    const std::vector<QString> texts = {"impeller", "Impeller", "impellers", "IMPELLER",
                                        "impeller"};
    const std::vector<int> files = {0, 0, 2, 2, 3};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(view->HitText(i), texts[i]) << i;
        EXPECT_EQ(view->HitFile(i), files[i]) << i;
    }
    // Stepping crosses from the first file to the third and wraps around both ways; the
    // cursor and the file list follow.
    EXPECT_EQ(view->CurrentFile(), 0);
    view->NextHit();
    view->NextHit();
    EXPECT_EQ(view->CurrentHit(), 2);
    EXPECT_EQ(view->CurrentFile(), 2);
    EXPECT_EQ(view->FileList()->currentIndex(), 2);
    QTextCursor cursor = view->TextView()->textCursor();
    cursor.setPosition(cursor.position() + 9, QTextCursor::KeepAnchor);
    EXPECT_EQ(cursor.selectedText(), "impellers");
    view->PreviousHit();
    EXPECT_EQ(view->CurrentFile(), 0);
    for (int i = 0; i < 4; ++i)
        view->NextHit();
    EXPECT_EQ(view->CurrentHit(), 0);
    view->PreviousHit();
    EXPECT_EQ(view->CurrentHit(), 4);
    EXPECT_EQ(view->CurrentFile(), 3);

    // The whole book is there to read: every file under its heading, and a jump to a file.
    const QString shown = view->TextView()->toPlainText();
    EXPECT_TRUE(shown.contains("b.txt\nNothing to see here."));
    EXPECT_TRUE(shown.endsWith("\nz name.txt\nLast impeller."));
    EXPECT_FALSE(shown.contains('\r'));
    view->ShowFile(1);
    EXPECT_EQ(view->CurrentFile(), 1);
    EXPECT_EQ(view->FileList()->currentIndex(), 1);
    view->ShowFile(7); // out of range: nothing moves
    EXPECT_EQ(view->CurrentFile(), 1);

    // A query without hits clears the marks; one that cannot run keeps them.
    EXPECT_EQ(view->MarkHits("(((("), -1);
    EXPECT_EQ(view->HitCount(), 5);
    EXPECT_EQ(view->MarkHits("gasket"), 0);
    EXPECT_EQ(view->HitCount(), 0);
    EXPECT_EQ(view->CurrentHit(), -1);
    EXPECT_TRUE(view->TextView()->extraSelections().isEmpty());
    view->NextHit(); // harmless without hits
    EXPECT_EQ(view->CurrentHit(), -1);
}

TEST(BookView, MarksOnlyNearTheVisiblePartOfABigBook)
{
    CZelioTestTree tree;
    tree.Write("data/coll/books/big/book.ini", "[book]\nTITLE=Big\n");
    for (int file = 0; file < 4; ++file) {
        std::string text;
        for (int line = 0; line < 2500; ++line)
            text += "Line " + std::to_string(line) + " names the impeller of the pump.\n";
        tree.Write("data/coll/books/big/part" + std::to_string(file) + ".txt", text);
    }
    platform::ScriptedPrompter prompter;
    CBrowserWindow window(prompter, Quiet());
    ASSERT_TRUE(window.Start());
    window.show();
    ASSERT_EQ(window.ShowHits("coll", "big", "impeller"), 10000);
    CBookView* view = window.ActiveView();
    ASSERT_NE(view, nullptr);
    EXPECT_GT(view->MarkedHitCount(), 0);
    EXPECT_LT(view->MarkedHitCount(), 2001);

    // The marks follow the current hit to the end of the book, the current one in its own
    // colour at its place.
    view->PreviousHit();
    EXPECT_EQ(view->CurrentHit(), 9999);
    EXPECT_EQ(view->HitFile(9999), 3);
    const auto selections = view->TextView()->extraSelections();
    ASSERT_FALSE(selections.isEmpty());
    EXPECT_LT(selections.size(), 2001);
    const int at = view->TextView()->textCursor().position();
    int current = 0;
    QColor currentColour;
    QColor otherColour;
    for (const auto& selection : selections) {
        EXPECT_EQ(selection.cursor.selectedText(), "impeller");
        if (selection.cursor.selectionStart() != at) {
            otherColour = selection.format.background().color();
            continue;
        }
        ++current;
        currentColour = selection.format.background().color();
    }
    EXPECT_NE(currentColour, otherColour);

    // Scrolling reports lines of the book's text: a heading, 2500 lines, a blank between files.
    std::vector<std::pair<long, long>> scrolled;
    QObject::connect(view, &CBookView::Scrolled,
                     [&](long first, long count) { scrolled.emplace_back(first, count); });
    view->ShowFile(2);
    ASSERT_FALSE(scrolled.empty());
    EXPECT_EQ(scrolled.back().first, 2 * 2502);
    EXPECT_GT(scrolled.back().second, 1);
    EXPECT_EQ(view->CurrentFile(), 2);
    EXPECT_EQ(current, 1);
}

TEST(ShowCommand, ParsedAndApplied)
{
    EXPECT_EQ(ParseShowCommand(nullptr), StartShow::Normal);
    EXPECT_EQ(ParseShowCommand("1"), StartShow::Normal);
    EXPECT_EQ(ParseShowCommand("3"), StartShow::Maximised);
    EXPECT_EQ(ParseShowCommand("6"), StartShow::Minimised);
    for (const char* other : {"", "2", "0", "66", "x", "-6"})
        EXPECT_EQ(ParseShowCommand(other), StartShow::Normal) << other;
    ::setenv("MODELBROWSER_SHOW_COMMAND", "3", 1);
    EXPECT_EQ(ShowCommandFromEnvironment(), StartShow::Maximised);
    ::unsetenv("MODELBROWSER_SHOW_COMMAND");
    EXPECT_EQ(ShowCommandFromEnvironment(), StartShow::Normal);

    QWidget maximised, minimised, normal;
    ShowMainWindow(maximised, StartShow::Maximised);
    ShowMainWindow(minimised, StartShow::Minimised);
    ShowMainWindow(normal, StartShow::Normal);
    EXPECT_TRUE(maximised.isVisible());
    EXPECT_TRUE(maximised.isMaximized());
    EXPECT_TRUE(minimised.isMinimized());
    EXPECT_TRUE(normal.isVisible());
    EXPECT_FALSE(normal.isMinimized() || normal.isMaximized());
}

TEST(BookView, Utf8OffsetsMapToQStringPositions)
{
    const std::string text = "a\xC3\xA4"
                             "b\xF0\x9F\x98\x80"
                             "c"; // a ä b 😀 c
    const std::vector<int> offsets = Utf8ToUtf16Offsets(text);
    const QString shown = QString::fromStdString(text);
    EXPECT_EQ(offsets[0], 0);
    EXPECT_EQ(offsets[3], shown.indexOf('b'));
    EXPECT_EQ(offsets[8], shown.indexOf('c'));
    EXPECT_EQ(offsets[text.size()], shown.size());
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
