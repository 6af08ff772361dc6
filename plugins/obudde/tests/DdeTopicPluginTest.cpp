// The plug-in's command handling against the real browser library (books and queries of
// crafted collections) with a stand-in browser program for windows, views, help and DDE.

#include "DdeTopicPlugin.h"

#include "CraftedDocs.h"
#include "FakeBrowserHost.h"
#include "prompter/ScriptedPrompter.h"

#include "CaptionPrompter.h"

#include <gtest/gtest.h>

namespace {

std::vector<uintptr_t> g_raised;

class DdeTopicPluginTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const std::string data = m_docs.Dir() / "data";
        m_context = ZelContextCreate(data.c_str(), (m_docs.Dir() / "private").c_str(),
                                     (m_docs.Dir() / "public").c_str(), "1", 0);
        ASSERT_NE(m_context, 0u);
        m_host.m_context = m_context;
        const uintptr_t start[7] = {m_context, 0, 0, CFakeBrowserHost::ServerHandle, 0, 0, 0};
        m_plugin = StartDdeTopicPlugin(start);
        ASSERT_NE(m_plugin, nullptr);
        SetObuPrompter(&m_prompter);
        g_raised.clear();
        SetObuWindowRaiser([](uintptr_t window) { g_raised.push_back(window); });
    }
    void TearDown() override
    {
        StopDdeTopicPlugin(m_plugin);
        SetObuPrompter(nullptr);
        SetObuWindowRaiser(nullptr);
        ZelContextDestroy(m_context);
    }

    // What the server's execute hook answers for a command on a topic.
    intptr_t Execute(const char* topic, const char* command)
    {
        CFakeDdeServer& server = m_host.m_server;
        const uintptr_t handle = server.StringCreate(topic);
        const intptr_t answer = server.m_execute(1, 0, 0, handle, command, server.m_record);
        server.StringFree(handle);
        return answer;
    }

    CCraftedDocs m_docs;
    CFakeBrowserHost m_host;
    uintptr_t m_context = 0;
    CDdeTopicPlugin* m_plugin = nullptr;
    CCaptionPrompter m_prompter;
};

using Calls = std::vector<std::string>;

} // namespace

TEST_F(DdeTopicPluginTest, StartAddsTheTopicAndHooksWithTheRecord)
{
    const CFakeDdeServer& server = m_host.m_server;
    EXPECT_EQ(server.m_topics, std::vector<std::string>{"OBU"});
    EXPECT_EQ(server.m_record, m_plugin->Record());
    EXPECT_EQ(m_plugin->m_words[0], m_context);
    EXPECT_EQ(m_plugin->m_words[1], CFakeBrowserHost::ServerHandle);
    EXPECT_EQ(m_plugin->m_words[2], CFakeDdeServer::InstanceHandle);
    EXPECT_EQ(m_plugin->m_words[4], CFakeDdeServer::FirstChain);
    EXPECT_EQ(m_plugin->m_words[8], CFakeDdeServer::ExecuteChain);
    EXPECT_EQ(server.m_liveStrings, 0);
    EXPECT_EQ(StartDdeTopicPlugin(nullptr), nullptr);
}

TEST_F(DdeTopicPluginTest, BookQueryShowsTheHitsInANewView)
{
    // Command and topic in any case.
    EXPECT_EQ(Execute("obu", "BOOKQUERY=p101,manuals,impeller"), 0);
    EXPECT_EQ(m_host.m_calls,
              (Calls{"BookView", "ViewOpen fulltext fulltext 1 108", "ShowBook Pump P-101 30583",
                     "Raise 30583", "MarkHits 30583 impeller"}));
    EXPECT_EQ(g_raised, std::vector<uintptr_t>{CFakeBrowserHost::MainWindowWord});
    EXPECT_TRUE(m_prompter.Events().empty());

    // A book that has a view is shown in it; the query ends at the next "," or "=".
    m_host.m_calls.clear();
    m_host.m_existingView = 12;
    EXPECT_EQ(Execute("OBU", "bookquery=pumps,MANUALS,impeller,P-101"), 0);
    EXPECT_EQ(Execute("OBU", "bookquery=pumps,manuals,impeller=P-101"), 0);
    EXPECT_EQ(m_host.m_calls,
              (Calls{"BookView", "ShowBook Pumps 12", "Raise 12", "MarkHits 12 impeller",
                     "BookView", "ShowBook Pumps 12", "Raise 12", "MarkHits 12 impeller"}));
}

TEST_F(DdeTopicPluginTest, MissingBookOrCollectionOpensNothing)
{
    for (const char* command : {"bookquery=,manuals,impeller", "bookquery=p101,,impeller",
                                "bookquery=nosuchbook,manuals,impeller", "bookquery"}) {
        m_prompter.Clear();
        m_prompter.m_captions.clear();
        EXPECT_EQ(Execute("OBU", command), -1) << command;
        ASSERT_EQ(m_prompter.Events().size(), 2u) << command;
        EXPECT_EQ(m_prompter.Events()[0].beep, platform::BeepType::Information);
        EXPECT_EQ(m_prompter.Events()[1].number, 17002);
        EXPECT_EQ(m_prompter.Events()[1].text, "Unable to open desired book and make the query.");
        EXPECT_EQ(m_prompter.Events()[1].icon, platform::Icon::Information);
        EXPECT_EQ(m_prompter.m_captions, std::vector<std::string>{"OBU"});
    }
    EXPECT_TRUE(m_host.m_calls.empty());
}

TEST_F(DdeTopicPluginTest, NoHitsLeavesNoView)
{
    EXPECT_EQ(Execute("OBU", "bookquery=kv5,manuals,impeller"), -1);
    EXPECT_EQ(Execute("OBU", "bookquery=kv5,manuals,\"\""), -1); // nothing to search for
    EXPECT_TRUE(m_host.m_calls.empty());
    EXPECT_EQ(m_prompter.MessageNumbers(), (std::vector<int>{17001, 17001}));
    EXPECT_EQ(m_prompter.MessageTexts()[0], "No hits found from the current book.");
}

TEST_F(DdeTopicPluginTest, EmptyQueryShowsTheBookThenSaysNoHits)
{
    EXPECT_EQ(Execute("OBU", "bookquery=p101,manuals"), -1);
    EXPECT_EQ(m_host.m_calls, (Calls{"BookView", "ViewOpen fulltext fulltext 1 108",
                                     "ShowBook Pump P-101 30583", "Raise 30583"}));
    EXPECT_EQ(m_prompter.MessageNumbers(), std::vector<int>{17001});
}

TEST_F(DdeTopicPluginTest, ViewThatCannotOpenIsAFailure)
{
    m_host.m_openedView = 0;
    EXPECT_EQ(Execute("OBU", "bookquery=p101,manuals,impeller"), -1);
    EXPECT_EQ(m_host.m_calls, (Calls{"BookView", "ViewOpen fulltext fulltext 1 108"}));
    EXPECT_EQ(m_prompter.MessageNumbers(), std::vector<int>{17002});
}

TEST_F(DdeTopicPluginTest, HelpAnswersWhatTheBrowserAnswers)
{
    EXPECT_EQ(Execute("OBU", "help"), 0);
    EXPECT_EQ(Execute("OBU", "Help=Model=x"), 0);
    m_host.m_helpAnswer = -1;
    EXPECT_EQ(Execute("OBU", "HELP="), -1);
    EXPECT_EQ(m_host.m_calls, (Calls{"Help []", "Help [Model]", "Help []"}));
    EXPECT_TRUE(m_prompter.Events().empty());
}

TEST_F(DdeTopicPluginTest, OtherCommandsAndTopics)
{
    CFakeDdeServer& server = m_host.m_server;
    EXPECT_EQ(Execute("OBU", "print=x"), 0);
    EXPECT_EQ(Execute("OBU", ""), 0);
    EXPECT_TRUE(server.m_passedOn.empty());
    // Another topic goes to the server unchanged, with the hook's own chaining word.
    EXPECT_EQ(Execute("ZELIO", "print=x"), 23);
    EXPECT_EQ(Execute("OBUX", "bookquery=p101,manuals,impeller"), 23);
    const uintptr_t obu = server.StringCreate("Obu");
    const uintptr_t other = server.StringCreate("System");
    EXPECT_EQ(server.m_first(1, 2, obu, server.m_record), 0);
    EXPECT_EQ(server.m_second(1, 2, 3, obu, server.m_record), 0);
    EXPECT_EQ(server.m_first(1, 2, other, server.m_record), 21);
    EXPECT_EQ(server.m_second(1, 2, 3, other, server.m_record), 22);
    EXPECT_EQ(server.m_passedOn,
              (std::vector<std::string>{"execute|ZELIO|print=x",
                                        "execute|OBUX|bookquery=p101,manuals,impeller",
                                        "first|System", "second|System"}));
    EXPECT_EQ(server.m_chains,
              (std::vector<uintptr_t>{CFakeDdeServer::ExecuteChain, CFakeDdeServer::ExecuteChain,
                                      CFakeDdeServer::FirstChain, CFakeDdeServer::SecondChain}));
    EXPECT_TRUE(m_host.m_calls.empty());
    EXPECT_EQ(server.m_execute(1, 0, 0, obu, "help", nullptr), -1);
}
