// The documentation link's operations against a scripted system and query library: what it
// asks, in which order, and what the user is told. The real chain is tested end to end with
// the model browser and the documentation browser in separate processes.
#include "DocumentationLink.h"

#include "ModelTestSupport.h"
#include "ModelTypes.h"
#include "settings/MemorySettingsStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Outcome = IViewerSystem::Outcome;

class ScriptedSystem : public IViewerSystem
{
public:
    std::uint64_t ActivateWindowOfClass(const std::string& className) override
    {
        calls.push_back("find " + className);
        return windowRuns ? 42 : 0;
    }
    bool StartProgram(const std::string& path, int showCommand) override
    {
        calls.push_back("start " + path + " " + std::to_string(showCommand));
        if (path != startable)
            return false;
        windowRuns = true;
        return true;
    }
    void WaitForViewer(int milliseconds, const std::string& className) override
    {
        calls.push_back("wait " + std::to_string(milliseconds) + " " + className);
    }
    Outcome Execute(const std::string& service, const std::string& topic,
                    const std::string& command, int timeoutMs) override
    {
        calls.push_back("execute " + service + "|" + topic + "|" + command + "|" +
                        std::to_string(timeoutMs));
        return outcome;
    }

    bool windowRuns = false;
    std::string startable = "/opt/model/ZELIO.EXE";
    Outcome outcome = Outcome::Processed;
    std::vector<std::string> calls;
};

class ScriptedLibrary : public IQueryLibrary
{
public:
    bool CreateContextServer(const std::string& file, const std::string& section) override
    {
        calls.push_back("context " + file + " " + section);
        return contextWorks;
    }
    void DestroyContextServer() override { calls.push_back("end context"); }
    std::uintptr_t CreateQuery() override
    {
        calls.push_back("create");
        return 7;
    }
    void DestroyQuery(std::uintptr_t query) override
    {
        calls.push_back("destroy " + std::to_string(query));
    }
    int QuerySingleCol(std::uintptr_t, const std::string& collection,
                       const std::string& text) override
    {
        calls.push_back("query " + collection + "|" + text);
        return booksQueried;
    }
    int RealizeQuery2DLg(std::uintptr_t, int showAll) override
    {
        calls.push_back("choose " + std::to_string(showAll));
        return chosen;
    }
    std::uintptr_t GetCol(std::uintptr_t, int index) override { return index == 0 ? 100 : 0; }
    std::uintptr_t GetBook(std::uintptr_t, int index) override { return 200 + index; }
    bool GetColString(std::uintptr_t collection, int kind, std::string& text, int length) override
    {
        text = collection == 100 && kind == 1 ? collectionDir : "";
        return static_cast<int>(text.size()) <= length;
    }
    bool GetBookString(std::uintptr_t book, int kind, std::string& text, int length) override
    {
        text = book == 201 && kind == 3 ? bookDir : "";
        return static_cast<int>(text.size()) <= length;
    }

    bool contextWorks = true;
    int booksQueried = 3;
    int chosen = 1;
    std::string collectionDir = "psd";
    std::string bookDir = "pumps";
    std::vector<std::string> calls;
};

class LinkOperationsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        context.prompter = &prompter;
        context.statusBar = &statusBar;
        context.settings = &store;
        link.SetProgramDirectory("/opt/model");
        link.Attach(&context, &system, &library);
        element.attributes = {"Id", "Name"};
        element.query = "$2 AND impeller";
        instance = CInstanceRecord{"P-101", "P-101^Main Pump", &element, 0};
    }

    platform::ScriptedPrompter prompter;
    RecordingStatusBar statusBar;
    platform::MemorySettingsStore store;
    CModelContext context;
    ScriptedSystem system;
    ScriptedLibrary library;
    CDocumentationLink link;
    CElement element;
    CInstanceRecord instance;
};

TEST_F(LinkOperationsTest, RunningViewerIsRaisedNotStarted)
{
    system.windowRuns = true;
    EXPECT_EQ(link.FindOrStartViewer(), 1);
    EXPECT_EQ(system.calls, std::vector<std::string>{"find ZELWIN"});
    EXPECT_EQ(link.ViewerWindow(), 42u);
    EXPECT_EQ(link.Loaded(), 1);
}

TEST_F(LinkOperationsTest, ViewerIsStartedWithItsShowModeAndWaitedFor)
{
    link.LoadSettings(store);
    link.SetShowMode(2);
    EXPECT_EQ(link.FindOrStartViewer(), 1);
    EXPECT_EQ(system.calls, (std::vector<std::string>{"find ZELWIN", "start /opt/model/ZELIO.EXE 3",
                                                      "wait 5000 ZELWIN"}));
    EXPECT_EQ(statusBar.texts.front(), "Executing Viewer Program...");
    EXPECT_EQ(statusBar.Text(), "Ready");
}

TEST_F(LinkOperationsTest, ProgramThatDoesNotStartAsksToBrowseAndRetries)
{
    system.startable = "/usr/bin/zelio";
    prompter.PushAnswer(platform::Answer::Yes);
    prompter.PushFile("/usr/bin/zelio");
    EXPECT_EQ(link.FindOrStartViewer(), 1);
    EXPECT_EQ(prompter.MessageNumbers(), std::vector<int>{5033});
    EXPECT_EQ(prompter.Events()[0].kind, platform::ScriptedPrompter::Event::Kind::Beep);
    EXPECT_EQ(prompter.Events()[0].beep, platform::BeepType::Question);
    EXPECT_EQ(link.ViewerProgram(), "/usr/bin/zelio");
    const platform::FileDialogSpec& dialog = prompter.Events().back().file;
    EXPECT_EQ(dialog.title, "Browse Program");
    EXPECT_EQ(dialog.filter, "Programs (*.exe)|*.exe|All Files (*.*)|*.*||");
    EXPECT_TRUE(dialog.defaultExt.empty());
    EXPECT_TRUE(dialog.hideReadOnly);
}

TEST_F(LinkOperationsTest, NoOrCancelledBrowseGivesUp)
{
    system.startable = "";
    prompter.PushAnswer(platform::Answer::No);
    EXPECT_EQ(link.FindOrStartViewer(), 0);
    prompter.PushAnswer(platform::Answer::Yes);
    prompter.PushFile(std::nullopt);
    EXPECT_EQ(link.FindOrStartViewer(), 0);
    EXPECT_EQ(prompter.MessageNumbers(), (std::vector<int>{5033, 5033}));
    EXPECT_EQ(link.ViewerProgram(), "/opt/model/ZELIO.EXE");
}

TEST_F(LinkOperationsTest, DocumentationRequestChoosesTheBookAndSendsBookquery)
{
    system.windowRuns = true;
    EXPECT_EQ(link.ShowDocumentation(instance, "", "Pumping Station Documentation"), 1);
    EXPECT_EQ(library.calls, (std::vector<std::string>{
                                 "create", "query Pumping Station Documentation|Main Pump AND impeller",
                                 "choose 0", "destroy 7"}));
    EXPECT_EQ(system.calls.back(), "execute ZELIO|OBU|bookquery=pumps,psd,Main Pump AND impeller|5000");
    EXPECT_TRUE(prompter.MessageNumbers().empty());
    EXPECT_NE(std::find(statusBar.texts.begin(), statusBar.texts.end(),
                        "Searching from Documentation..."),
              statusBar.texts.end());
}

TEST_F(LinkOperationsTest, FailuresOfTheRequestAndTheirMessages)
{
    system.windowRuns = true;
    CInstanceRecord orphan = instance;
    orphan.element = nullptr;
    EXPECT_EQ(link.ShowDocumentation(orphan, "", "c"), 0);
    EXPECT_EQ(prompter.MessageTexts().back(), "Unable to parse DDE query string ''.");

    library.booksQueried = -1;
    EXPECT_EQ(link.ShowDocumentation(instance, "", "c"), 0);
    EXPECT_EQ(prompter.MessageNumbers().back(), 5035);
    EXPECT_EQ(library.calls.back(), "destroy 7");

    // A cancelled choice and an empty book text end silently, without the viewer.
    library.booksQueried = 2;
    library.chosen = -1;
    prompter.Clear();
    system.calls.clear();
    EXPECT_EQ(link.ShowDocumentation(instance, "", "c"), 0);
    library.chosen = 0; // book 200 has no directory name
    EXPECT_EQ(link.ShowDocumentation(instance, "", "c"), 0);
    EXPECT_TRUE(prompter.MessageNumbers().empty());
    EXPECT_TRUE(system.calls.empty());

    library.chosen = 1;
    system.outcome = Outcome::NoConversation;
    EXPECT_EQ(link.ShowDocumentation(instance, "", "c"), 0);
    EXPECT_EQ(prompter.MessageNumbers(), std::vector<int>{5038});
}

TEST_F(LinkOperationsTest, UnansweredCommandsAreSentButShownInTheStatusBar)
{
    system.windowRuns = true;
    system.outcome = Outcome::NotProcessed;
    EXPECT_EQ(link.SendCommand("help=Model", "ZELIO", "OBU"), 1);
    EXPECT_EQ(statusBar.Text(), "The documentation viewer did not carry out the command.");
    system.outcome = Outcome::TimedOut;
    EXPECT_EQ(link.SendCommand("help=Model", "ZELIO", "OBU"), 1);
    EXPECT_EQ(statusBar.Text(), "The documentation viewer did not answer within 5 seconds; it "
                                "may still be busy or waiting for you.");
    EXPECT_TRUE(prompter.MessageNumbers().empty());
}

TEST_F(LinkOperationsTest, HelpAlwaysSendsHelpModel)
{
    system.windowRuns = true;
    link.ShowHelp("Connection");
    link.ShowHelp("");
    EXPECT_EQ(system.calls[1], "execute ZELIO|OBU|help=Model|5000");
    EXPECT_EQ(system.calls[3], "execute ZELIO|OBU|help=Model|5000");
    system.outcome = Outcome::NoConversation;
    link.ShowHelp("General");
    EXPECT_EQ(prompter.MessageNumbers(), std::vector<int>{5038});
}

TEST_F(LinkOperationsTest, FailedContextDisablesTheServiceForTheRun)
{
    link.StartDocumentationService();
    EXPECT_EQ(link.DocumentationService(), 1);
    EXPECT_EQ(library.calls.back(), "context CORVELLE.INI ZELIO");
    library.contextWorks = false;
    link.StartDocumentationService();
    EXPECT_EQ(link.DocumentationService(), 0);
    EXPECT_EQ(prompter.MessageNumbers(), std::vector<int>{5065});
    link.StopDocumentationService();
    EXPECT_EQ(library.calls.back(), "end context");
}

} // namespace
