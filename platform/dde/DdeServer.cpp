#include "dde/DdeServer.h"

#include "dde/DdeClient.h"
#include "text/AsciiCase.h"

namespace platform {

namespace {

// String handles of the instance for the length of one hook call.
class CScopedHandle
{
public:
    CScopedHandle(CDdeStringTable& table, std::string_view text)
        : m_table(table), m_handle(table.Create(text))
    {
    }
    ~CScopedHandle() { m_table.Free(m_handle); }
    CScopedHandle(const CScopedHandle&) = delete;
    CScopedHandle& operator=(const CScopedHandle&) = delete;
    CDdeStringTable::Handle Get() const { return m_handle; }

private:
    CDdeStringTable& m_table;
    CDdeStringTable::Handle m_handle;
};

} // namespace

CDdeServer::CDdeServer()
{
    m_frames.SetFrameHandler([this](Conversation c, const Frame& frame) { OnFrame(c, frame); });
    m_frames.SetCloseHandler([this](Conversation c) { m_topics.erase(c); });
}

CDdeServer::~CDdeServer()
{
    Stop();
}

bool CDdeServer::Listen(std::string_view service, std::string& error)
{
    std::string path;
    if (!DdeServicePath(service, path, error))
        return false;
    if (!m_frames.Listen(path, error))
        return false;
    m_service = std::string(service);
    return true;
}

void CDdeServer::Stop()
{
    m_frames.Stop();
    m_topics.clear();
    m_service.clear();
}

bool CDdeServer::AddTopic(std::string_view topic)
{
    if (topic.empty())
        return false;
    return m_served.insert(ToUpperAscii(topic)).second;
}

bool CDdeServer::RemoveTopic(std::string_view topic)
{
    return m_served.erase(ToUpperAscii(topic)) != 0;
}

bool CDdeServer::Serves(std::string_view topic) const
{
    return m_served.count(ToUpperAscii(topic)) != 0;
}

std::vector<std::string> CDdeServer::Topics() const
{
    return {m_served.begin(), m_served.end()};
}

CDdeServer::DdeChain CDdeServer::InstallConnectHook(ConnectHook hook)
{
    const DdeChain next = m_connectHooks.size();
    m_connectHooks.push_back(std::move(hook));
    m_connectNext.push_back(next);
    return next;
}

CDdeServer::DdeChain CDdeServer::InstallRequestHook(RequestHook hook)
{
    const DdeChain next = m_requestHooks.size();
    m_requestHooks.push_back(std::move(hook));
    m_requestNext.push_back(next);
    return next;
}

CDdeServer::DdeChain CDdeServer::InstallExecuteHook(ExecuteHook hook)
{
    const DdeChain next = m_executeHooks.size();
    m_executeHooks.push_back(std::move(hook));
    m_executeNext.push_back(next);
    return next;
}

bool CDdeServer::PassOnConnect(Conversation c, StringHandle service, StringHandle topic,
                               DdeChain chain)
{
    if (chain == 0 || chain > m_connectHooks.size() || !m_connectHooks[chain - 1])
        return Serves(m_strings.Text(topic));
    // A copy: the hook may install further hooks while it runs.
    const ConnectHook hook = m_connectHooks[chain - 1];
    return hook(c, service, topic, m_connectNext[chain - 1]);
}

bool CDdeServer::PassOnRequest(Conversation c, StringHandle item, std::uint32_t format,
                               StringHandle topic, std::string& data, DdeChain chain)
{
    if (chain == 0 || chain > m_requestHooks.size() || !m_requestHooks[chain - 1])
        return false;
    const RequestHook hook = m_requestHooks[chain - 1];
    return hook(c, item, format, topic, data, m_requestNext[chain - 1]);
}

DdeExecuteAnswer CDdeServer::PassOnExecute(Conversation c, StringHandle topic, const char* command,
                                           DdeChain chain)
{
    if (chain == 0 || chain > m_executeHooks.size() || !m_executeHooks[chain - 1]) {
        const std::string name = m_strings.Text(topic);
        if (!Serves(name) || !m_executeHandler)
            return DdeExecuteAnswer::NotProcessed;
        const ExecuteHandler handler = m_executeHandler;
        return handler(c, name, command);
    }
    const ExecuteHook hook = m_executeHooks[chain - 1];
    return hook(c, topic, command, m_executeNext[chain - 1]);
}

std::string CDdeServer::ConversationTopic(Conversation c) const
{
    const auto it = m_topics.find(c);
    return it == m_topics.end() ? std::string() : it->second;
}

void CDdeServer::OnConnect(Conversation c, const Frame& frame)
{
    std::string service, topic;
    if (m_topics.count(c) || !ParseConnectPayload(frame.payload, service, topic)) {
        m_frames.Close(c);
        return;
    }
    if (!EqualsIgnoreAsciiCase(service, m_service)) {
        m_frames.Send(c, FrameType::ConnectReply,
                      StatusPayload(FrameStatus::Refused, "service not served here"));
        return;
    }
    bool accepted;
    {
        CScopedHandle serviceHandle(m_strings, service);
        CScopedHandle topicHandle(m_strings, topic);
        accepted = PassOnConnect(c, serviceHandle.Get(), topicHandle.Get(), m_connectHooks.size());
    }
    if (accepted) {
        m_topics[c] = topic;
        m_frames.Send(c, FrameType::ConnectReply, StatusPayload(FrameStatus::Ok));
    } else {
        m_frames.Send(
            c, FrameType::ConnectReply,
            StatusPayload(Serves(topic) ? FrameStatus::Refused : FrameStatus::TopicNotServed));
    }
}

void CDdeServer::OnFrame(Conversation c, const Frame& frame)
{
    if (frame.type == FrameType::Connect) {
        OnConnect(c, frame);
        return;
    }
    const auto it = m_topics.find(c);
    if (it == m_topics.end()) {
        m_frames.Close(c); // no conversation yet: only a connect may come
        return;
    }
    const std::string topic = it->second;
    if (frame.type == FrameType::Execute) {
        DdeExecuteAnswer answer;
        {
            CScopedHandle topicHandle(m_strings, topic);
            // The payload ends with its zero byte, so it is the command as a C text.
            answer =
                PassOnExecute(c, topicHandle.Get(), frame.payload.c_str(), m_executeHooks.size());
        }
        m_frames.Send(c, FrameType::ExecuteReply,
                      StatusPayload(answer == DdeExecuteAnswer::Processed ? FrameStatus::Ok
                                                                          : FrameStatus::Refused));
        return;
    }
    if (frame.type == FrameType::Request) {
        std::uint32_t format = 0;
        std::string item, data;
        ParseRequestPayload(frame.payload, format, item);
        bool served;
        {
            CScopedHandle itemHandle(m_strings, item);
            CScopedHandle topicHandle(m_strings, topic);
            served = PassOnRequest(c, itemHandle.Get(), format, topicHandle.Get(), data,
                                   m_requestHooks.size());
        }
        m_frames.Send(c, FrameType::RequestReply,
                      served ? StatusPayload(FrameStatus::Ok, data)
                             : StatusPayload(FrameStatus::Refused));
        return;
    }
    m_frames.Close(c); // replies and control frames are not for a DDE server
}

} // namespace platform
