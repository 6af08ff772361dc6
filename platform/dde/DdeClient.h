#pragma once

#include "dde/FrameServer.h"

#include <string>
#include <string_view>

namespace platform {

// Outcome of one transaction of a DDE client.
enum class DdeOutcome
{
    Processed,    // the server carried out the command (or served the request)
    NotProcessed, // the server answered that it did not
    TimedOut,     // no answer within the time-out; the conversation is closed
    Failed        // no conversation, or it broke; ErrorText() says why
};

struct DdeResult
{
    DdeOutcome outcome = DdeOutcome::Failed;
    std::string data;  // a served request's data
    std::string error; // Failed and TimedOut: what went wrong
};

// A synchronous DDE client for one conversation, for a program's UI thread. Every call is
// bounded by its time-out. Not thread-safe; one conversation at a time.
class CDdeClient
{
public:
    CDdeClient() = default;
    ~CDdeClient() = default; // disconnects

    // Opens a conversation with a service on a topic (both compared ignoring ASCII case).
    // False with ErrorText() set when no server serves the service, when the server does not
    // serve the topic or refuses the conversation (the text says which), on an unsafe or
    // empty name, a folder that is not private, or when the time-out passes.
    bool Connect(std::string_view service, std::string_view topic, int timeoutMs);
    // Hands the zero-terminated command text to the server and waits up to timeoutMs for its
    // answer. A command longer than 64 KiB fails without being sent. After TimedOut or Failed
    // the conversation is closed (a late answer can never be taken for another command's).
    DdeResult Execute(const char* command, int timeoutMs);
    // Asks for an item in a clipboard format; Processed with the data when served.
    DdeResult Request(std::string_view item, std::uint32_t format, int timeoutMs);
    // Ends the conversation; harmless when there is none.
    void Disconnect();
    bool Connected() const { return m_channel.Connected(); }
    const std::string& ErrorText() const { return m_error; }

private:
    DdeResult Transact(FrameType type, std::string_view payload, FrameType replyType,
                       int timeoutMs);

    CFrameClient m_channel;
    std::string m_error;
};

// The socket path of a service (in the private DDE folder, made when missing). False with
// error set when the name is not usable or the folder is refused.
bool DdeServicePath(std::string_view service, std::string& path, std::string& error);

} // namespace platform
