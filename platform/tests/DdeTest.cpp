#include "DdeTestSupport.h"
#include "dde/DdeClient.h"
#include "dde/DdeServer.h"
#include "dde/UserFolder.h"
#include "text/AsciiCase.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <mutex>
#include <vector>

using namespace platform;

namespace {

using Clock = std::chrono::steady_clock;

long long MsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

unsigned ModeOf(const std::string& path)
{
    struct stat info
    {
    };
    ::lstat(path.c_str(), &info);
    return info.st_mode & 07777;
}

class DdeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(m_server.Listen("ZeLiO", error)) << error;
        m_server.AddTopic("obu");
        m_server.SetExecuteHandler(
            [this](CDdeServer::Conversation, std::string_view topic, const char* command) {
                std::lock_guard lock(m_mutex);
                m_handled.push_back(std::string(topic) + "|" + command);
                return std::string(command) == "refuse" ? DdeExecuteAnswer::NotProcessed
                                                        : DdeExecuteAnswer::Processed;
            });
    }
    void TearDown() override { m_loop.Stop(); }

    std::string ServicePath()
    {
        std::string path, error;
        DdeServicePath("zelio", path, error);
        return path;
    }
    std::vector<std::string> Handled()
    {
        std::lock_guard lock(m_mutex);
        return m_handled;
    }

    ScopedRuntimeDir m_runtime;
    CDdeServer m_server;
    LoopThread m_loop{m_server};
    std::mutex m_mutex;
    std::vector<std::string> m_handled;
};

} // namespace

TEST(UserFolderTest, MadePrivateAndRefusedWhenNotPrivate)
{
    ScopedRuntimeDir runtime;
    std::string path, error;
    ASSERT_TRUE(PrepareUserFolder("dde", path, error)) << error;
    EXPECT_EQ(path, runtime.Path() + "/modelbrowser/dde");
    EXPECT_EQ(ModeOf(runtime.Path() + "/modelbrowser"), 0700u);
    EXPECT_EQ(ModeOf(path), 0700u);

    // Open to the group: refused and left as it is.
    ::chmod(path.c_str(), 0750);
    EXPECT_FALSE(PrepareUserFolder("dde", path, error));
    EXPECT_NE(error.find("open to group or others (mode 0750)"), std::string::npos) << error;
    EXPECT_EQ(ModeOf(runtime.Path() + "/modelbrowser/dde"), 0750u);

    // A symbolic link in place of our root folder is refused, even to a private folder.
    TempDir elsewhere;
    const std::string root = runtime.Path() + "/modelbrowser";
    std::filesystem::remove_all(root);
    ASSERT_EQ(::symlink(elsewhere.Path().c_str(), root.c_str()), 0);
    EXPECT_FALSE(PrepareUserFolder("windows", path, error));
    EXPECT_NE(error.find("symbolic link"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(elsewhere / "windows"));

    // A file in its place is refused too.
    ::unlink(root.c_str());
    std::ofstream(root) << "x";
    EXPECT_FALSE(PrepareUserFolder("dde", path, error));
    EXPECT_NE(error.find("not a folder"), std::string::npos) << error;
}

TEST(UserFolderTest, ServiceFileNamesCannotLeaveTheFolder)
{
    EXPECT_EQ(ServiceFileName("ZELIO"), "zelio");
    EXPECT_EQ(ServiceFileName("ZeLiO"), ServiceFileName("zelio"));
    EXPECT_EQ(ServiceFileName("../x"), "%2E%2E%2Fx");
    EXPECT_EQ(ServiceFileName("a b\xE9"), "a%20b%E9");
    EXPECT_EQ(ServiceFileName(""), "");
    EXPECT_EQ(ServiceFileName(std::string(81, 'a')), "");
}

TEST(DdeStringTableTest, HandlesPerTextIgnoringCaseCounted)
{
    CDdeStringTable table;
    const auto obu = table.Create("OBU");
    EXPECT_NE(obu, 0u);
    EXPECT_EQ(table.Create("obu"), obu); // same text ignoring case: same handle, used twice
    const auto other = table.Create("Other");
    EXPECT_NE(other, obu);
    EXPECT_EQ(table.Compare(obu, table.Create("oBu")), 0);
    EXPECT_NE(table.Compare(obu, other), 0);

    char buffer[3];
    EXPECT_EQ(table.Query(obu, buffer, sizeof buffer), 3); // full length; text cut
    EXPECT_STREQ(buffer, "OB");
    table.Free(obu);
    table.Free(obu);
    EXPECT_TRUE(table.Valid(obu));
    table.Free(obu); // third use gone: the handle ends
    EXPECT_FALSE(table.Valid(obu));
    EXPECT_EQ(table.Query(obu, buffer, sizeof buffer), -1);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(table.Create(std::string("a\0b", 3)), 0u);
}

TEST_F(DdeTest, ExecuteRoundTripIgnoringCase)
{
    m_loop.Start();
    CDdeClient client;
    ASSERT_TRUE(client.Connect("zelio", "OBU", 1000)) << client.ErrorText();
    EXPECT_EQ(client.Execute("help=Model", 1000).outcome, DdeOutcome::Processed);
    EXPECT_EQ(client.Execute("refuse", 1000).outcome, DdeOutcome::NotProcessed);
    // A command of 64 KiB goes through whole; a longer one is not sent.
    const std::string big(64 * 1024 - 1, 'x');
    EXPECT_EQ(client.Execute(big.c_str(), 1000).outcome, DdeOutcome::Processed);
    const std::string tooBig(64 * 1024, 'x');
    EXPECT_EQ(client.Execute(tooBig.c_str(), 1000).outcome, DdeOutcome::Failed);
    client.Disconnect();
    m_loop.Stop();
    const auto handled = Handled();
    ASSERT_EQ(handled.size(), 3u);
    EXPECT_EQ(handled[0], "OBU|help=Model"); // the topic as the client named it
    EXPECT_EQ(handled[2].size(), 4 + big.size());
}

TEST_F(DdeTest, ConnectRefusedSaysWhy)
{
    m_loop.Start();
    CDdeClient client;
    EXPECT_FALSE(client.Connect("NOSUCH", "OBU", 500));
    EXPECT_EQ(client.ErrorText(), "No DDE server serves the service \"NOSUCH\".");
    EXPECT_FALSE(client.Connect("ZELIO", "OTHER", 500));
    EXPECT_EQ(client.ErrorText(), "The DDE service \"ZELIO\" does not serve the topic \"OTHER\".");
    EXPECT_FALSE(client.Connected());
    EXPECT_EQ(client.Execute("help", 500).outcome, DdeOutcome::Failed);
    EXPECT_FALSE(client.Connect("ZELIO", "", 500));

    // A second server for the same service (any case) is refused while the first lives.
    m_loop.Stop();
    CDdeServer second;
    std::string error;
    EXPECT_FALSE(second.Listen("zelio", error));
    EXPECT_NE(error.find("already served"), std::string::npos) << error;
}

TEST_F(DdeTest, TopicsAddedAndRemovedAtRunTime)
{
    EXPECT_FALSE(m_server.AddTopic("OBU")); // already served, ignoring case
    EXPECT_TRUE(m_server.AddTopic("System"));
    m_loop.Start();
    CDdeClient client;
    EXPECT_TRUE(client.Connect("zelio", "SYSTEM", 1000)) << client.ErrorText();
    m_loop.Stop();
    EXPECT_TRUE(m_server.RemoveTopic("system"));
    EXPECT_FALSE(m_server.RemoveTopic("system"));
    m_loop.Start();
    // The open conversation stays, but its topic is no longer served.
    EXPECT_EQ(client.Execute("x", 1000).outcome, DdeOutcome::NotProcessed);
    CDdeClient late;
    EXPECT_FALSE(late.Connect("zelio", "System", 1000));
    EXPECT_NE(late.ErrorText().find("does not serve the topic"), std::string::npos);
}

TEST_F(DdeTest, HooksRunLastInstalledFirstAndPassOn)
{
    std::vector<std::string> calls; // touched by the server thread only while it runs
    const auto hookFor = [&](const std::string& name, const std::string& mine) {
        return [&, name, mine](CDdeServer::Conversation c, CDdeServer::StringHandle topic,
                               const char* command, CDdeServer::DdeChain chain) {
            calls.push_back(name + ":" + command);
            if (m_server.Strings().Text(topic) == mine || // compared as the hooks do
                m_server.Strings().Compare(topic, m_server.Strings().Create(mine)) == 0)
                return DdeExecuteAnswer::Processed;
            return m_server.PassOnExecute(c, topic, command, chain);
        };
    };
    EXPECT_EQ(m_server.InstallExecuteHook(hookFor("A", "PLUGA")), 0u);
    EXPECT_NE(m_server.InstallExecuteHook(hookFor("B", "PLUGB")), 0u);
    std::vector<std::string> connects;
    m_server.InstallConnectHook([&](CDdeServer::Conversation c, CDdeServer::StringHandle service,
                                    CDdeServer::StringHandle topic, CDdeServer::DdeChain chain) {
        const std::string name = m_server.Strings().Text(topic);
        connects.push_back(m_server.Strings().Text(service) + "/" + name);
        if (EqualsIgnoreAsciiCase(name, "pluga") || EqualsIgnoreAsciiCase(name, "plugb"))
            return true; // the hooks' own topics
        if (EqualsIgnoreAsciiCase(name, "secret"))
            return false; // refused though served
        return m_server.PassOnConnect(c, service, topic, chain);
    });
    m_server.AddTopic("SECRET");
    m_loop.Start();

    CDdeClient own, a, b, secret;
    ASSERT_TRUE(own.Connect("zelio", "obu", 1000)) << own.ErrorText();
    ASSERT_TRUE(a.Connect("zelio", "PlugA", 1000)) << a.ErrorText();
    ASSERT_TRUE(b.Connect("zelio", "plugb", 1000)) << b.ErrorText();
    EXPECT_FALSE(secret.Connect("zelio", "secret", 1000));
    EXPECT_NE(secret.ErrorText().find("refused a conversation"), std::string::npos);

    EXPECT_EQ(own.Execute("one", 1000).outcome, DdeOutcome::Processed);
    EXPECT_EQ(a.Execute("two", 1000).outcome, DdeOutcome::Processed);
    EXPECT_EQ(b.Execute("three", 1000).outcome, DdeOutcome::Processed);
    m_loop.Stop();

    EXPECT_EQ(calls, (std::vector<std::string>{"B:one", "A:one", "B:two", "A:two", "B:three"}));
    EXPECT_EQ(Handled(), std::vector<std::string>{"obu|one"}); // only the served topic
    EXPECT_EQ(connects.size(), 4u);
    EXPECT_EQ(connects[0], "zelio/obu");
    EXPECT_EQ(m_server.Strings().Size(), 2u); // the hooks' own handles only; the calls' are freed
}

TEST_F(DdeTest, RequestsAreNotServedUnlessAHookServesThem)
{
    m_loop.Start();
    CDdeClient client;
    ASSERT_TRUE(client.Connect("zelio", "obu", 1000));
    EXPECT_EQ(client.Request("Status", 1, 1000).outcome, DdeOutcome::NotProcessed);
    m_loop.Stop();
    m_server.InstallRequestHook([&](CDdeServer::Conversation c, CDdeServer::StringHandle item,
                                    std::uint32_t format, CDdeServer::StringHandle topic,
                                    std::string& data, CDdeServer::DdeChain chain) {
        if (m_server.Strings().Text(item) == "Status" && format == 1) {
            data = "ready";
            return true;
        }
        return m_server.PassOnRequest(c, item, format, topic, data, chain);
    });
    m_loop.Start();
    const DdeResult served = client.Request("Status", 1, 1000);
    EXPECT_EQ(served.outcome, DdeOutcome::Processed);
    EXPECT_EQ(served.data, "ready");
    EXPECT_EQ(client.Request("Other", 1, 1000).outcome, DdeOutcome::NotProcessed);
}

TEST_F(DdeTest, TimeOutAgainstAServerThatNeverAnswers)
{
    HangGuard guard;
    // A socket that takes connections and never reads or answers.
    m_server.Stop();
    const std::string path = ServicePath();
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(fd, 4), 0);

    CDdeClient client;
    const auto start = Clock::now();
    EXPECT_FALSE(client.Connect("zelio", "obu", 200));
    const auto took = MsSince(start);
    EXPECT_GE(took, 190);
    EXPECT_LT(took, 1000);
    EXPECT_NE(client.ErrorText().find("did not answer within 200 ms"), std::string::npos)
        << client.ErrorText();
    ::close(fd);
}

TEST_F(DdeTest, ExecuteTimesOutAndTheServerGoesOn)
{
    HangGuard guard;
    m_server.SetExecuteHandler([](CDdeServer::Conversation, std::string_view, const char* command) {
        if (std::string(command) == "slow")
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
        return DdeExecuteAnswer::Processed;
    });
    m_loop.Start();
    CDdeClient client;
    ASSERT_TRUE(client.Connect("zelio", "obu", 1000));
    const auto start = Clock::now();
    const DdeResult result = client.Execute("slow", 100);
    EXPECT_EQ(result.outcome, DdeOutcome::TimedOut);
    EXPECT_LT(MsSince(start), 350);
    EXPECT_FALSE(client.Connected()); // a late answer can never be taken for the next one
    EXPECT_EQ(client.Execute("fast", 1000).outcome, DdeOutcome::Failed);
    ASSERT_TRUE(client.Connect("zelio", "obu", 2000));
    EXPECT_EQ(client.Execute("fast", 2000).outcome, DdeOutcome::Processed);
}

TEST_F(DdeTest, ModalHookReentersTheLoopWithoutDeadlock)
{
    HangGuard guard;
    std::atomic<bool> otherDone{false};
    m_server.SetExecuteHandler(
        [&](CDdeServer::Conversation, std::string_view, const char* command) {
            if (std::string(command) == "modal") {
                // A modal dialog: the host's loop runs inside the handler until it is closed.
                const auto start = Clock::now();
                while (!otherDone && MsSince(start) < 3000)
                    PollOnce(m_server, 10);
            }
            return DdeExecuteAnswer::Processed;
        });
    m_loop.Start();
    CDdeClient first;
    ASSERT_TRUE(first.Connect("zelio", "obu", 1000));
    std::thread waiting([&] {
        EXPECT_EQ(first.Execute("modal", 5000).outcome, DdeOutcome::Processed);
        // The same conversation again once the dialog is closed.
        EXPECT_EQ(first.Execute("after", 1000).outcome, DdeOutcome::Processed);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    CDdeClient second; // served from inside the modal loop
    EXPECT_TRUE(second.Connect("zelio", "obu", 1000)) << second.ErrorText();
    EXPECT_EQ(second.Execute("meanwhile", 1000).outcome, DdeOutcome::Processed);
    otherDone = true;
    waiting.join();
}

TEST_F(DdeTest, BadFramesCloseOnlyTheirConversation)
{
    HangGuard guard;
    m_loop.Start();
    const std::string path = ServicePath();
    CDdeClient good;
    ASSERT_TRUE(good.Connect("zelio", "obu", 1000));
    const std::string connect = EncodeFrame(FrameType::Connect, ConnectPayload("zelio", "obu"));

    std::string badMagic = EncodeFrame(FrameType::Execute, std::string("x\0", 2));
    badMagic[0] = 'X';
    std::string oversized = EncodeFrame(FrameType::Execute, std::string("x\0", 2));
    oversized[4] = oversized[5] = oversized[6] = '\xFF'; // announces 16 MiB
    const std::string noZero = EncodeFrame(FrameType::Execute, "help");
    const std::string innerZero = EncodeFrame(FrameType::Execute, std::string("a\0b\0", 4));
    std::string badType = EncodeFrame(FrameType::Execute, std::string("x\0", 2));
    badType[2] = '\x63';
    const std::string beforeConnect = EncodeFrame(FrameType::Execute, std::string("x\0", 2));
    const std::string reply = EncodeFrame(FrameType::ExecuteReply, StatusPayload(FrameStatus::Ok));
    struct Case
    {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {{"bad magic", connect + badMagic},
                          {"oversized", connect + oversized},
                          {"command without zero", connect + noZero},
                          {"zero inside the command", connect + innerZero},
                          {"unknown type", connect + badType},
                          {"execute before connect", beforeConnect},
                          {"a reply sent to the server", connect + reply}};
    for (const Case& test : cases) {
        RawPeer peer(path);
        ASSERT_TRUE(peer.Connected());
        peer.Send(test.bytes);
        EXPECT_TRUE(peer.ClosedByServer()) << test.name;
        EXPECT_EQ(good.Execute("still", 1000).outcome, DdeOutcome::Processed) << test.name;
    }

    // A frame cut short by the end of the stream is refused; one never finished waits
    // without holding anybody up.
    {
        RawPeer truncated(path);
        truncated.Send(connect + EncodeFrame(FrameType::Execute, "help=x").substr(0, 11));
        ::shutdown(truncated.Fd(), SHUT_WR);
        EXPECT_TRUE(truncated.ClosedByServer());
    }
    RawPeer unfinished(path);
    unfinished.Send(connect.substr(0, 5));
    EXPECT_EQ(good.Execute("still", 1000).outcome, DdeOutcome::Processed);
    m_loop.Stop();
    EXPECT_EQ(Handled().size(), 8u); // only the good client's commands were carried out
}

TEST_F(DdeTest, PeerThatStopsReadingIsClosed)
{
    HangGuard guard;
    m_loop.Start();
    CDdeClient good;
    ASSERT_TRUE(good.Connect("zelio", "obu", 1000));
    RawPeer flood(ServicePath());
    ASSERT_TRUE(flood.Connected());
    flood.Send(EncodeFrame(FrameType::Connect, ConnectPayload("zelio", "obu")));
    // Commands without ever reading an answer: the answers pile up until the server gives up
    // on this peer.
    const std::string command = EncodeFrame(FrameType::Execute, std::string("x\0", 2));
    std::string burst;
    for (int i = 0; i < 1000; ++i)
        burst += command;
    bool closed = false;
    const auto start = Clock::now();
    while (!closed && MsSince(start) < 20000) {
        const ssize_t n = ::send(flood.Fd(), burst.data(), burst.size(), MSG_NOSIGNAL);
        closed = n < 0 && (errno == EPIPE || errno == ECONNRESET);
    }
    EXPECT_TRUE(closed);
    EXPECT_EQ(good.Execute("still", 1000).outcome, DdeOutcome::Processed);
}
