// The documentation chain end to end, with real processes over real sockets: the model
// browser builds an instance's query, the query library finds the books with hits in the
// sample collection, the user picks one in "Query Result - ", the link starts the
// documentation browser (or finds it running) and sends it the command that its DDE plug-in
// carries out. Each test runs in a process of its own, as CTest runs them, with private
// sockets and windows (see TestMain.cpp), and ends the browsers it started: the query
// library's documentation context lives as long as its process, so a second program started
// in the same process after the first one ended would find it gone.
#include "ShellTestSupport.h"

#include "DocumentationLink.h"
#include "InstanceList.h"
#include "InstanceView.h"
#include "ListPropertyView.h"
#include "PlatformViewerSystem.h"
#include "windows/WindowRegistry.h"

#include <QDialog>
#include <QPushButton>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <thread>

namespace {

using Outcome = IViewerSystem::Outcome;

class DocumentationChainTest : public ShellFixture
{
protected:
    void SetUp() override
    {
        realViewer = true;
        ASSERT_TRUE(Start(kSampleModel));
        Frame().resize(1000, 700);
        Frame().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
        Link().SetViewerProgram(ZELIO_PROGRAM);
        Link().SetSleepIndex(11); // at most 15 s; the wait ends when the browser's window shows
        prompter.Clear();
    }
    void TearDown() override
    {
        for (const platform::WindowEntry& window : Browsers())
            ::kill(static_cast<pid_t>(window.pid), SIGTERM);
        // The registry forgets a window once its process has ended.
        for (int waited = 0; !Browsers().empty() && waited < 100; ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ShellFixture::TearDown();
    }

    CDocumentationLink& Link() { return app->DocumentationLink(); }
    CInstanceView* Instances() { return Frame().InformationSide()->InstanceView(); }
    static std::vector<platform::WindowEntry> Browsers()
    {
        std::vector<platform::WindowEntry> browsers;
        for (const platform::WindowEntry& window : platform::EnumerateWindows()) {
            if (window.className == "ZELWIN")
                browsers.push_back(window);
        }
        return browsers;
    }

    // Lists the instances of an element of the first page and selects the one with the key.
    void SelectInstance(const std::string& element, const std::string& key)
    {
        CModelView* view = PageView(0);
        ASSERT_NE(view, nullptr);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, CentreOf(view, Element(0, element)));
        ASSERT_NE(Instances(), nullptr);
        const CInstanceStore& store = Instances()->Store();
        for (std::size_t row = 0; row < store.Count(); ++row) {
            if (store.Key(row) == key) {
                CInstanceList* list = Instances()->List();
                list->setFocus();
                list->setCurrentIndex(Instances()->ListModel()->index(static_cast<int>(row)));
                ASSERT_EQ(Instances()->SelectedPosition(), static_cast<int>(row));
                return;
            }
        }
        FAIL() << "no instance " << key << " of " << element;
    }

    // Presses Ctrl+D in the instance list; the book choice answers with choose (it gets the
    // dialog and closes it). Answers the dialog's title, or "" when none was shown.
    QString RequestDocumentation(const std::function<void(QDialog&)>& choose)
    {
        QString title;
        WhenModal<QDialog>([&](QDialog& dialog) {
            title = dialog.windowTitle();
            choose(dialog);
        });
        PressCtrlD();
        return title;
    }
    // Ctrl+D in the instance list, for a request that shows no book choice.
    void PressCtrlD()
    {
        // Shortcuts reach only the active window: the last dialog may have left none active.
        Frame().activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&Frame()));
        Instances()->List()->setFocus();
        QTest::keyClick(Instances()->List(), Qt::Key_D, Qt::ControlModifier);
    }
    static void PressOk(QDialog& dialog)
    {
        for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
            if (button->text() == QStringLiteral("OK")) {
                QTest::mouseClick(button, Qt::LeftButton);
                return;
            }
        }
        ADD_FAILURE() << "no OK button";
        dialog.reject();
    }
};

TEST_F(DocumentationChainTest, CtrlDStartsTheBrowserWhichShowsTheChosenBookAndIsFoundNextTime)
{
    ASSERT_TRUE(Browsers().empty());
    SelectInstance("Stations", "STN-07");
    const QString title = RequestDocumentation(&PressOk);
    EXPECT_EQ(title, QStringLiteral("Query Result - Pumping Station Documentation"));
    EXPECT_TRUE(prompter.MessageNumbers().empty());
    EXPECT_EQ(Link().LastOutcome(), Outcome::Processed);

    // The browser started, registered its window and shows the book in its "fulltext" view.
    std::vector<platform::WindowEntry> browsers = Browsers();
    ASSERT_EQ(browsers.size(), 1u);
    EXPECT_NE(browsers[0].title.find("Station Handbook"), std::string::npos) << browsers[0].title;

    // A second request finds the running browser: no second process.
    const QString again = RequestDocumentation(&PressOk);
    EXPECT_FALSE(again.isEmpty());
    EXPECT_EQ(Link().LastOutcome(), Outcome::Processed);
    EXPECT_EQ(Browsers().size(), 1u);
    EXPECT_NE(Link().ViewerWindow(), 0u);

    // Help goes to the same browser, always as "help=Model".
    app->WinHelp(225);
    EXPECT_EQ(Link().LastOutcome(), Outcome::Processed);
    EXPECT_TRUE(prompter.MessageNumbers().empty());
}

TEST_F(DocumentationChainTest, CancelledChoiceSendsNothingAndStartsNothing)
{
    SelectInstance("Stations", "STN-07");
    const QString title = RequestDocumentation([](QDialog& dialog) { dialog.reject(); });
    EXPECT_FALSE(title.isEmpty());
    EXPECT_TRUE(prompter.MessageNumbers().empty());
    EXPECT_TRUE(Browsers().empty());
}

TEST_F(DocumentationChainTest, CollectionThatIsNotInstalledGives5035)
{
    SelectInstance("Stations", "STN-07");
    app->Context().collection = "No Such Collection";
    PressCtrlD();
    EXPECT_EQ(prompter.MessageNumbers(), std::vector<int>{5035});
    EXPECT_TRUE(Browsers().empty());
}

TEST_F(DocumentationChainTest, ProgramThatCannotRunAsks5033AndNoGivesUp)
{
    Link().SetViewerProgram(dir / "ZELIO.EXE");
    prompter.PushAnswer(platform::Answer::No);
    SelectInstance("Stations", "STN-07");
    RequestDocumentation(&PressOk);
    EXPECT_EQ(prompter.MessageNumbers(), std::vector<int>{5033});
    EXPECT_TRUE(Browsers().empty());
}

TEST_F(DocumentationChainTest, ProgramFoundWithoutItsExtensionAndIgnoringCase)
{
    // "ZELIO.EXE" in a folder that holds the program as "zelio".
    const std::string folder = dir / "bin";
    std::filesystem::create_directories(folder);
    std::filesystem::create_symlink(ZELIO_PROGRAM, folder + "/zelio");
    EXPECT_EQ(ResolveProgramPath(folder + "/ZELIO.EXE"), folder + "/zelio");
    EXPECT_EQ(ResolveProgramPath(folder + "/Zelio"), folder + "/zelio");
    EXPECT_EQ(ResolveProgramPath(folder + "/other.exe"), "");
    EXPECT_EQ(ResolveProgramPath(folder), ""); // a folder is not a program
}

TEST_F(DocumentationChainTest, ViewerWithoutTheDdeServiceGives5038)
{
    // A program that starts but serves nothing.
    Link().SetViewerProgram("/bin/true");
    Link().SetClassName("NOWINDOW");
    Link().SetSleepIndex(0);
    Link().SetDdeService("NOSUCHSERVICE");
    app->WinHelp(0);
    EXPECT_EQ(prompter.MessageNumbers(), std::vector<int>{5038});
    EXPECT_EQ(Link().LastOutcome(), Outcome::NoConversation);
}

} // namespace
