#pragma once

#include "dde/DdeFrame.h"
#include "dde/Pollable.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace platform {

// A non-blocking server of frames on one Unix-domain socket, on one thread. Each connection
// has a bounded input buffer (one frame) and a bounded output buffer; a connection whose frame
// is malformed or oversized, that ends inside a frame, or whose replies pile up beyond the cap
// (its peer stopped reading) is closed; the others go on.
//
// Frames are handed to the frame handler one at a time per connection. The handler may
// re-enter the event loop (a modal dialog): nested ProcessReady() calls keep accepting,
// reading and writing for every connection and hand frames of the other connections on, but
// never hand a connection a second frame while its first is still being handled.
class CFrameServer : public IPollable
{
public:
    using ConnectionId = std::uint64_t;
    // Called for every complete, well-formed frame.
    using FrameHandler = std::function<void(ConnectionId, const Frame&)>;
    // Called once when a connection ends (peer closed, error, refused frame or Close()).
    using CloseHandler = std::function<void(ConnectionId)>;

    static constexpr std::size_t kMaxOutput = 256 * 1024;
    static constexpr std::size_t kMaxConnections = 256;

    CFrameServer();
    ~CFrameServer() override;
    CFrameServer(const CFrameServer&) = delete;
    CFrameServer& operator=(const CFrameServer&) = delete;

    // Binds and listens on the socket path. A socket file left by a dead server is replaced;
    // one that a live server answers on is not (false, error "already served"). False with
    // error set on any failure.
    bool Listen(const std::string& socketPath, std::string& error);
    // Closes every connection and the listening socket and removes the socket file.
    void Stop();
    bool Listening() const { return m_listenFd >= 0; }
    const std::string& SocketPath() const { return m_socketPath; }

    void SetFrameHandler(FrameHandler handler) { m_onFrame = std::move(handler); }
    void SetCloseHandler(CloseHandler handler) { m_onClose = std::move(handler); }

    // Queues a frame to the connection and tries to send it at once. False when the
    // connection is gone or was closed because its output would exceed kMaxOutput.
    bool Send(ConnectionId id, FrameType type, std::string_view payload);
    // Ends a connection (queued output is dropped).
    void Close(ConnectionId id);
    std::size_t ConnectionCount() const;

    std::vector<PollEntry> PollEntries() const override;
    void ProcessReady() override;

private:
    struct Connection;
    void AcceptAll();
    void ReadFrom(Connection& connection);
    void DispatchFrom(ConnectionId id);
    void Flush(Connection& connection);
    void CloseConnection(Connection& connection);
    void Collect();

    int m_listenFd = -1;
    std::string m_socketPath;
    FrameHandler m_onFrame;
    CloseHandler m_onClose;
    std::map<ConnectionId, std::unique_ptr<Connection>> m_connections;
    ConnectionId m_nextId = 1;
    int m_depth = 0;
};

// A synchronous client connection: connect, send a frame, wait for a frame; every call is
// bounded by its time-out (poll). Closes on destruction.
class CFrameClient
{
public:
    enum class Wait
    {
        Ok,
        TimedOut,
        Failed // closed by the peer, malformed frame, I/O error (ErrorText() says which)
    };

    CFrameClient() = default;
    ~CFrameClient();
    CFrameClient(const CFrameClient&) = delete;
    CFrameClient& operator=(const CFrameClient&) = delete;

    // Connects to the socket path within timeoutMs. False with ErrorText() set; errno-like
    // reasons ENOENT / ECONNREFUSED mean no server.
    bool Connect(const std::string& socketPath, int timeoutMs);
    bool Connected() const { return m_fd >= 0; }
    void Close();
    // Sends one frame within timeoutMs.
    Wait Send(FrameType type, std::string_view payload, int timeoutMs);
    // Waits up to timeoutMs for the next frame.
    Wait Receive(Frame& frame, int timeoutMs);
    // Send and wait for the answer, both within one time-out.
    Wait Transact(FrameType type, std::string_view payload, Frame& reply, int timeoutMs);
    const std::string& ErrorText() const { return m_error; }
    // errno of the last failed connect (0 when none).
    int ConnectErrno() const { return m_connectErrno; }

private:
    int m_fd = -1;
    CFrameDecoder m_decoder;
    std::string m_error;
    int m_connectErrno = 0;
};

} // namespace platform
