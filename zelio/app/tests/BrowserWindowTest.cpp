#include "BrowserWindow.h"
#include "BookView.h"
#include "BrowserCommand.h"
#include "ZelioTestSupport.h"
#include "dde/DdeClient.h"
#include "prompter/ScriptedPrompter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
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
    const QString shown = view->Browser()->toPlainText();
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
    EXPECT_EQ(view->Browser()->textCursor().position(),
              view->Browser()->toPlainText().indexOf("impeller"));
    view->NextHit();
    view->NextHit();
    EXPECT_EQ(view->CurrentHit(), 2);
    view->NextHit();
    EXPECT_EQ(view->CurrentHit(), 0);
    view->PreviousHit();
    EXPECT_EQ(view->CurrentHit(), 2);
    EXPECT_EQ(view->Browser()->extraSelections().size(), 3);
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
