#include "DdeHostServer.h"

using platform::CDdeServer;
using platform::DdeExecuteAnswer;

int CDdeHostServer::TopicAdd(uintptr_t topic)
{
    if (!m_server.Strings().Valid(topic))
        return -1;
    // A topic served already is served: the call succeeded.
    const std::string text = m_server.Strings().Text(topic);
    return m_server.Serves(text) || m_server.AddTopic(std::string_view(text)) ? 0 : -1;
}

int CDdeHostServer::TopicRemove(uintptr_t topic)
{
    if (!m_server.Strings().Valid(topic))
        return -1;
    return m_server.RemoveTopic(std::string_view(m_server.Strings().Text(topic))) ? 0 : -1;
}

int CDdeHostServer::HooksInstall(ZelDdeFirstHook first, ZelDdeSecondHook second, uintptr_t* record)
{
    if (first == nullptr || second == nullptr || record == nullptr)
        return -1;
    record[3] = reinterpret_cast<uintptr_t>(first);
    record[4] = m_server.InstallConnectHook(
        [first, record](CDdeServer::Conversation c, CDdeServer::StringHandle service,
                        CDdeServer::StringHandle topic, CDdeServer::DdeChain) {
            return first(static_cast<uintptr_t>(c), service, topic, record) == 0;
        });
    record[5] = reinterpret_cast<uintptr_t>(second);
    record[6] = m_server.InstallRequestHook(
        [second, record](CDdeServer::Conversation c, CDdeServer::StringHandle item,
                         std::uint32_t format, CDdeServer::StringHandle topic, std::string& data,
                         CDdeServer::DdeChain) {
            data.clear();
            return second(static_cast<uintptr_t>(c), item, format, topic, record) != 0;
        });
    return 0;
}

int CDdeHostServer::ExecuteHookInstall(ZelDdeExecuteHook execute, uintptr_t* record)
{
    if (execute == nullptr || record == nullptr)
        return -1;
    record[7] = reinterpret_cast<uintptr_t>(execute);
    record[8] = m_server.InstallExecuteHook(
        [execute, record](CDdeServer::Conversation c, CDdeServer::StringHandle topic,
                          const char* command, CDdeServer::DdeChain) {
            return execute(static_cast<uintptr_t>(c), 0, 0, topic, command, record) == 0
                       ? DdeExecuteAnswer::Processed
                       : DdeExecuteAnswer::NotProcessed;
        });
    return 0;
}

intptr_t CDdeHostServer::FirstPassOn(uintptr_t w1, uintptr_t w2, uintptr_t topic, uintptr_t chain)
{
    return m_server.PassOnConnect(static_cast<CDdeServer::Conversation>(w1), w2, topic, chain) ? 0
                                                                                               : 1;
}

intptr_t CDdeHostServer::SecondPassOn(uintptr_t w1, uintptr_t w2, uintptr_t w3, uintptr_t topic,
                                      uintptr_t chain)
{
    std::string data;
    return m_server.PassOnRequest(static_cast<CDdeServer::Conversation>(w1), w2,
                                  static_cast<std::uint32_t>(w3), topic, data, chain)
               ? 1
               : 0;
}

intptr_t CDdeHostServer::ExecutePassOn(uintptr_t w1, uintptr_t /*w2*/, uintptr_t /*w3*/,
                                       uintptr_t topic, const char* command, uintptr_t chain)
{
    return m_server.PassOnExecute(static_cast<CDdeServer::Conversation>(w1), topic,
                                  command != nullptr ? command : "",
                                  chain) == DdeExecuteAnswer::Processed
               ? 0
               : -1;
}

uintptr_t CDdeHostServer::StringCreate(const char* text)
{
    return text != nullptr ? m_server.Strings().Create(text) : 0;
}

const char* CDdeHostServer::StringText(uintptr_t handle)
{
    if (!m_server.Strings().Valid(handle))
        return nullptr;
    m_textBuffer = m_server.Strings().Text(handle);
    return m_textBuffer.c_str();
}

void CDdeHostServer::StringFree(uintptr_t handle)
{
    m_server.Strings().Free(handle);
}
