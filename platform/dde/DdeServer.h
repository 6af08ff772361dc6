#pragma once

#include "dde/DdeStrings.h"
#include "dde/FrameServer.h"

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Answers of the execute hook and of the host's execute handler.
enum class DdeExecuteAnswer
{
    Processed,
    NotProcessed
};

// The server side of DDE conversations under one service name, on the host's UI thread:
// topics added and removed at run time, string handles, and three chains of hooks in front of
// the server's own handling.
//
// Hooks: installing a hook answers a chaining value (DdeChain) naming what was in front
// before it (another hook, or 0 for the server's own handling). The hook receives that value
// on every call and either answers itself or hands the call on with PassOn...(..., chain).
// The last hook installed is called first. Hooks get the service and topic as string handles
// of Strings(), valid for the duration of the call.
//
// Own handling: a connect is accepted when the topic is served; a request is not served; an
// execute on a served topic goes to the execute handler set by the host (none:
// NotProcessed), on any other topic it is NotProcessed.
//
// A hook or handler may run a modal dialog that re-enters the event loop: other
// conversations go on meanwhile, the waiting client just waits up to its time-out.
class CDdeServer : public IPollable
{
public:
    using Conversation = CFrameServer::ConnectionId;
    using StringHandle = CDdeStringTable::Handle;
    using DdeChain = std::uintptr_t;

    using ConnectHook =
        std::function<bool(Conversation, StringHandle service, StringHandle topic, DdeChain)>;
    // Answers true with data when it serves the item.
    using RequestHook = std::function<bool(Conversation, StringHandle item, std::uint32_t format,
                                           StringHandle topic, std::string& data, DdeChain)>;
    using ExecuteHook = std::function<DdeExecuteAnswer(Conversation, StringHandle topic,
                                                       const char* command, DdeChain)>;
    using ExecuteHandler =
        std::function<DdeExecuteAnswer(Conversation, std::string_view topic, const char* command)>;

    CDdeServer();
    ~CDdeServer() override;
    CDdeServer(const CDdeServer&) = delete;
    CDdeServer& operator=(const CDdeServer&) = delete;

    // Serves the service (ignoring ASCII case) from its socket in the private DDE folder.
    // False with error set when the name is unusable, the folder is refused or another live
    // server already serves the service.
    bool Listen(std::string_view service, std::string& error);
    void Stop();
    const std::string& Service() const { return m_service; }

    // Topics, compared ignoring ASCII case. Adding a served topic again or removing one not
    // served answers false and changes nothing.
    bool AddTopic(std::string_view topic);
    bool RemoveTopic(std::string_view topic);
    bool AddTopic(StringHandle topic) { return AddTopic(m_strings.Text(topic)); }
    bool RemoveTopic(StringHandle topic) { return RemoveTopic(m_strings.Text(topic)); }
    bool Serves(std::string_view topic) const;
    std::vector<std::string> Topics() const;

    // The string handles of this server's instance.
    CDdeStringTable& Strings() { return m_strings; }
    const CDdeStringTable& Strings() const { return m_strings; }

    // Installs a hook in front of the chain; answers the chaining value to hand on.
    DdeChain InstallConnectHook(ConnectHook hook);
    DdeChain InstallRequestHook(RequestHook hook);
    DdeChain InstallExecuteHook(ExecuteHook hook);
    // What the hook named by chain (0: the server's own handling) answers.
    bool PassOnConnect(Conversation c, StringHandle service, StringHandle topic, DdeChain chain);
    bool PassOnRequest(Conversation c, StringHandle item, std::uint32_t format, StringHandle topic,
                       std::string& data, DdeChain chain);
    DdeExecuteAnswer PassOnExecute(Conversation c, StringHandle topic, const char* command,
                                   DdeChain chain);

    // The host's handling of commands on its served topics.
    void SetExecuteHandler(ExecuteHandler handler) { m_executeHandler = std::move(handler); }

    // The topic of a conversation (empty when it is not open) and the number open.
    std::string ConversationTopic(Conversation c) const;
    std::size_t ConversationCount() const { return m_topics.size(); }

    std::vector<PollEntry> PollEntries() const override { return m_frames.PollEntries(); }
    void ProcessReady() override { m_frames.ProcessReady(); }

private:
    void OnFrame(Conversation c, const Frame& frame);
    void OnConnect(Conversation c, const Frame& frame);

    CFrameServer m_frames;
    CDdeStringTable m_strings;
    std::string m_service;
    std::set<std::string> m_served;               // upper-cased topic names
    std::map<Conversation, std::string> m_topics; // open conversations
    std::vector<ConnectHook> m_connectHooks;      // chain value = index + 1
    std::vector<DdeChain> m_connectNext;
    std::vector<RequestHook> m_requestHooks;
    std::vector<DdeChain> m_requestNext;
    std::vector<ExecuteHook> m_executeHooks;
    std::vector<DdeChain> m_executeNext;
    ExecuteHandler m_executeHandler;
};

} // namespace platform
