#include "dde/DdeClient.h"

#include "dde/UserFolder.h"

#include <cerrno>
#include <chrono>
#include <cstring>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline)
{
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}

} // namespace

bool DdeServicePath(std::string_view service, std::string& path, std::string& error)
{
    const std::string file = ServiceFileName(service);
    if (file.empty()) {
        error = "The DDE service name \"" + std::string(service) + "\" is empty or too long.";
        return false;
    }
    std::string folder;
    if (!PrepareUserFolder("dde", folder, error))
        return false;
    path = folder + "/" + file;
    return true;
}

bool CDdeClient::Connect(std::string_view service, std::string_view topic, int timeoutMs)
{
    Disconnect();
    const std::string name(service);
    const std::string topicName(topic);
    if (topic.empty() || topic.find('\0') != std::string_view::npos ||
        service.find('\0') != std::string_view::npos || topic.size() > 255) {
        m_error = "The DDE topic name \"" + topicName + "\" is not usable.";
        return false;
    }
    // One time-out for reaching the server and for its answer.
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    std::string path;
    if (!DdeServicePath(service, path, m_error))
        return false;
    if (!m_channel.Connect(path, timeoutMs)) {
        const int err = m_channel.ConnectErrno();
        if (err == ENOENT || err == ECONNREFUSED)
            m_error = "No DDE server serves the service \"" + name + "\".";
        else
            m_error =
                "No conversation with the DDE service \"" + name + "\": " + m_channel.ErrorText();
        return false;
    }
    Frame reply;
    const CFrameClient::Wait wait = m_channel.Transact(
        FrameType::Connect, ConnectPayload(service, topic), reply, MsLeft(deadline));
    FrameStatus status = FrameStatus::Refused;
    std::string text;
    if (wait != CFrameClient::Wait::Ok || reply.type != FrameType::ConnectReply ||
        !ParseStatusPayload(reply.payload, status, text)) {
        if (wait == CFrameClient::Wait::TimedOut)
            m_error = "The DDE service \"" + name + "\" did not answer within " +
                      std::to_string(timeoutMs) + " ms.";
        else
            m_error = "The DDE service \"" + name + "\" did not take up the conversation: " +
                      (wait == CFrameClient::Wait::Ok ? std::string("unexpected answer.")
                                                      : m_channel.ErrorText());
        m_channel.Close();
        return false;
    }
    if (status == FrameStatus::Ok) {
        m_error.clear();
        return true;
    }
    if (status == FrameStatus::TopicNotServed)
        m_error =
            "The DDE service \"" + name + "\" does not serve the topic \"" + topicName + "\".";
    else
        m_error = "The DDE service \"" + name + "\" refused a conversation on the topic \"" +
                  topicName + "\"" + (text.empty() ? std::string() : ": " + text) + ".";
    m_channel.Close();
    return false;
}

DdeResult CDdeClient::Transact(FrameType type, std::string_view payload, FrameType replyType,
                               int timeoutMs)
{
    DdeResult result;
    if (!m_channel.Connected()) {
        result.error = m_error = "There is no DDE conversation.";
        return result;
    }
    Frame reply;
    const CFrameClient::Wait wait = m_channel.Transact(type, payload, reply, timeoutMs);
    FrameStatus status = FrameStatus::Refused;
    if (wait == CFrameClient::Wait::Ok &&
        (reply.type != replyType || !ParseStatusPayload(reply.payload, status, result.data))) {
        m_error = "The DDE server answered with an unexpected message.";
        m_channel.Close();
        result.error = m_error;
        return result;
    }
    if (wait != CFrameClient::Wait::Ok) {
        // A late answer must never be taken for the answer to a later transaction.
        m_error = m_channel.ErrorText();
        m_channel.Close();
        result.outcome =
            wait == CFrameClient::Wait::TimedOut ? DdeOutcome::TimedOut : DdeOutcome::Failed;
        result.error = m_error;
        return result;
    }
    result.outcome = status == FrameStatus::Ok ? DdeOutcome::Processed : DdeOutcome::NotProcessed;
    if (result.outcome != DdeOutcome::Processed)
        result.data.clear();
    return result;
}

DdeResult CDdeClient::Execute(const char* command, int timeoutMs)
{
    const std::size_t length = command ? std::strlen(command) : 0;
    if (length + 1 > kMaxFramePayload - 16) {
        DdeResult result;
        result.error = m_error = "The DDE command is longer than 64 KiB; it was not sent.";
        return result;
    }
    std::string payload(command ? command : "", length);
    payload += '\0';
    return Transact(FrameType::Execute, payload, FrameType::ExecuteReply, timeoutMs);
}

DdeResult CDdeClient::Request(std::string_view item, std::uint32_t format, int timeoutMs)
{
    if (item.find('\0') != std::string_view::npos || item.size() > 255) {
        DdeResult result;
        result.error = m_error = "The DDE item name is not usable.";
        return result;
    }
    return Transact(FrameType::Request, RequestPayload(format, item), FrameType::RequestReply,
                    timeoutMs);
}

void CDdeClient::Disconnect()
{
    m_channel.Close();
}

} // namespace platform
