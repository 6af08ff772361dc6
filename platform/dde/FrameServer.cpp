#include "dde/FrameServer.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace platform {

namespace {

constexpr std::size_t kReadChunk = 16 * 1024;

bool MakeAddress(const std::string& path, sockaddr_un& address)
{
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.data(), path.size());
    return true;
}

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline)
{
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(std::min<long long>(left, 1 << 30));
}

Clock::time_point DeadlineIn(int timeoutMs)
{
    return Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
}

} // namespace

bool PollOnce(IPollable& pollable, int timeoutMs)
{
    std::vector<pollfd> fds;
    for (const PollEntry& entry : pollable.PollEntries()) {
        short events = 0;
        if (entry.read)
            events |= POLLIN;
        if (entry.write)
            events |= POLLOUT;
        if (events)
            fds.push_back(pollfd{entry.fd, events, 0});
    }
    const int ready = ::poll(fds.data(), fds.size(), timeoutMs);
    if (ready < 0 && errno != EINTR)
        return false;
    if (ready > 0)
        pollable.ProcessReady();
    return true;
}

// ---- CFrameServer ----------------------------------------------------------------------------

struct CFrameServer::Connection
{
    ConnectionId id = 0;
    int fd = -1;
    CFrameDecoder input;
    std::string output;
    std::size_t outputStart = 0;
    bool busy = false;   // a frame of it is being handled
    bool ended = false;  // the peer closed its side
    bool closed = false; // closed; erased when no dispatch is running
};

CFrameServer::CFrameServer() = default;

CFrameServer::~CFrameServer()
{
    m_onClose = nullptr;
    Stop();
}

bool CFrameServer::Listen(const std::string& socketPath, std::string& error)
{
    Stop();
    sockaddr_un address;
    if (!MakeAddress(socketPath, address)) {
        error = "The socket path " + socketPath + " is empty or too long.";
        return false;
    }
    struct stat info
    {
    };
    if (::lstat(socketPath.c_str(), &info) == 0) {
        if (!S_ISSOCK(info.st_mode)) {
            error = socketPath + " exists and is not a socket; it is left alone.";
            return false;
        }
        // A socket that a live server answers on is in use; one that nobody answers on was
        // left by a server that ended without cleaning up.
        const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (probe >= 0) {
            const int rc =
                ::connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address);
            const int err = errno;
            ::close(probe);
            if (rc == 0 || err == EAGAIN || err == EINPROGRESS) {
                error = "The service socket " + socketPath + " is already served.";
                return false;
            }
        }
        ::unlink(socketPath.c_str());
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::string("No socket: ") + std::strerror(errno) + ".";
        return false;
    }
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 64) != 0) {
        error = "Cannot listen on " + socketPath + ": " + std::strerror(errno) + ".";
        ::close(fd);
        return false;
    }
    ::chmod(socketPath.c_str(), 0600);
    m_listenFd = fd;
    m_socketPath = socketPath;
    error.clear();
    return true;
}

void CFrameServer::Stop()
{
    for (auto& [id, connection] : m_connections)
        CloseConnection(*connection);
    if (m_depth == 0)
        Collect();
    if (m_listenFd >= 0) {
        // Remove the socket file only while it is still ours.
        struct stat mine
        {
        }, onDisk{};
        const bool same = ::fstat(m_listenFd, &mine) == 0 &&
                          ::lstat(m_socketPath.c_str(), &onDisk) == 0 && S_ISSOCK(onDisk.st_mode);
        ::close(m_listenFd);
        m_listenFd = -1;
        if (same)
            ::unlink(m_socketPath.c_str());
    }
    m_socketPath.clear();
}

bool CFrameServer::Send(ConnectionId id, FrameType type, std::string_view payload)
{
    const auto it = m_connections.find(id);
    if (it == m_connections.end() || it->second->closed)
        return false;
    Connection& connection = *it->second;
    const std::string bytes = EncodeFrame(type, payload);
    if (bytes.empty() ||
        connection.output.size() - connection.outputStart + bytes.size() > kMaxOutput) {
        // The peer does not read what it is sent: it cannot hold up the server.
        CloseConnection(connection);
        if (m_depth == 0)
            Collect();
        return false;
    }
    connection.output += bytes;
    Flush(connection);
    const bool open = !connection.closed;
    if (m_depth == 0)
        Collect();
    return open;
}

void CFrameServer::Close(ConnectionId id)
{
    const auto it = m_connections.find(id);
    if (it == m_connections.end())
        return;
    CloseConnection(*it->second);
    if (m_depth == 0)
        Collect();
}

std::size_t CFrameServer::ConnectionCount() const
{
    return static_cast<std::size_t>(
        std::count_if(m_connections.begin(), m_connections.end(),
                      [](const auto& entry) { return !entry.second->closed; }));
}

std::vector<PollEntry> CFrameServer::PollEntries() const
{
    std::vector<PollEntry> entries;
    if (m_listenFd >= 0)
        entries.push_back(PollEntry{m_listenFd, true, false});
    for (const auto& [id, connection] : m_connections) {
        if (connection->closed)
            continue;
        PollEntry entry{connection->fd, false, false};
        entry.read = !connection->ended && connection->input.Space() > 0;
        entry.write = connection->output.size() > connection->outputStart;
        entries.push_back(entry);
    }
    return entries;
}

void CFrameServer::ProcessReady()
{
    ++m_depth;
    std::vector<pollfd> fds;
    std::vector<ConnectionId> ids;
    for (const PollEntry& entry : PollEntries()) {
        short events = 0;
        if (entry.read)
            events |= POLLIN;
        if (entry.write)
            events |= POLLOUT;
        fds.push_back(pollfd{entry.fd, events, 0});
    }
    for (const auto& [id, connection] : m_connections)
        if (!connection->closed)
            ids.push_back(id);
    if (!fds.empty() && ::poll(fds.data(), fds.size(), 0) > 0) {
        std::size_t index = 0;
        if (m_listenFd >= 0) {
            if (fds[0].revents & POLLIN)
                AcceptAll();
            index = 1;
        }
        for (const ConnectionId id : ids) {
            const pollfd& polled = fds[index++];
            const auto it = m_connections.find(id);
            if (it == m_connections.end() || it->second->closed || !polled.revents)
                continue;
            if (polled.revents & POLLOUT)
                Flush(*it->second);
            if (!it->second->closed && (polled.revents & (POLLIN | POLLHUP | POLLERR)))
                ReadFrom(*it->second);
        }
    }
    // Hand on what arrived, also frames left waiting while their connection was busy.
    ids.clear();
    for (const auto& [id, connection] : m_connections)
        if (!connection->closed)
            ids.push_back(id);
    for (const ConnectionId id : ids)
        DispatchFrom(id);
    if (--m_depth == 0)
        Collect();
}

void CFrameServer::AcceptAll()
{
    for (;;) {
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return; // EAGAIN, or out of descriptors: try again next round
        }
        // Only the user's own processes may talk to us (the folder is private as well).
        ucred peer{};
        socklen_t length = sizeof peer;
        if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 ||
            peer.uid != ::geteuid() || ConnectionCount() >= kMaxConnections) {
            ::close(fd);
            continue;
        }
        auto connection = std::make_unique<Connection>();
        connection->id = m_nextId++;
        connection->fd = fd;
        m_connections.emplace(connection->id, std::move(connection));
    }
}

void CFrameServer::ReadFrom(Connection& connection)
{
    char chunk[kReadChunk];
    while (!connection.closed && !connection.ended) {
        const std::size_t space = std::min(connection.input.Space(), sizeof chunk);
        if (space == 0)
            return; // a whole frame waits to be handled
        const ssize_t n = ::recv(connection.fd, chunk, space, 0);
        if (n > 0) {
            connection.input.Append(chunk, static_cast<std::size_t>(n));
            continue;
        }
        if (n == 0) {
            connection.ended = true;
            return;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            CloseConnection(connection);
        return;
    }
}

void CFrameServer::DispatchFrom(ConnectionId id)
{
    const auto it = m_connections.find(id);
    if (it == m_connections.end())
        return;
    // Connections are erased only when no dispatch runs, so the reference stays valid.
    Connection& connection = *it->second;
    if (connection.closed || connection.busy)
        return;
    Frame frame;
    for (;;) {
        const CFrameDecoder::Status status = connection.input.Next(frame);
        if (status == CFrameDecoder::Status::Malformed) {
            CloseConnection(connection);
            return;
        }
        if (status == CFrameDecoder::Status::NeedMore)
            break;
        connection.busy = true;
        if (m_onFrame) {
            const FrameHandler handler = m_onFrame;
            handler(id, frame);
        }
        connection.busy = false;
        if (connection.closed)
            return;
    }
    // The peer ended: a frame cut short is refused, and either way the connection is over.
    if (connection.ended)
        CloseConnection(connection);
}

void CFrameServer::Flush(Connection& connection)
{
    while (!connection.closed && connection.output.size() > connection.outputStart) {
        const ssize_t n =
            ::send(connection.fd, connection.output.data() + connection.outputStart,
                   connection.output.size() - connection.outputStart, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            connection.outputStart += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        CloseConnection(connection);
        return;
    }
    connection.output.clear();
    connection.outputStart = 0;
}

void CFrameServer::CloseConnection(Connection& connection)
{
    if (connection.closed)
        return;
    connection.closed = true;
    ::close(connection.fd);
    connection.fd = -1;
    connection.output.clear();
    connection.outputStart = 0;
    if (m_onClose) {
        const CloseHandler handler = m_onClose;
        handler(connection.id);
    }
}

void CFrameServer::Collect()
{
    for (auto it = m_connections.begin(); it != m_connections.end();) {
        if (it->second->closed && !it->second->busy)
            it = m_connections.erase(it);
        else
            ++it;
    }
}

// ---- CFrameClient ----------------------------------------------------------------------------

CFrameClient::~CFrameClient()
{
    Close();
}

void CFrameClient::Close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_decoder = CFrameDecoder();
}

bool CFrameClient::Connect(const std::string& socketPath, int timeoutMs)
{
    Close();
    m_connectErrno = 0;
    sockaddr_un address;
    if (!MakeAddress(socketPath, address)) {
        m_error = "The socket path " + socketPath + " is empty or too long.";
        m_connectErrno = ENAMETOOLONG;
        return false;
    }
    const auto deadline = DeadlineIn(timeoutMs);
    for (;;) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            m_connectErrno = errno;
            m_error = std::string("No socket: ") + std::strerror(errno) + ".";
            return false;
        }
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            m_fd = fd;
            m_error.clear();
            return true;
        }
        const int err = errno;
        ::close(fd);
        // A full backlog: the server is alive but busy; try again until the time-out.
        if ((err == EAGAIN || err == EINTR) && RemainingMs(deadline) > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            continue;
        }
        m_connectErrno = err;
        m_error = err == EAGAIN ? "The server did not take the connection in time."
                                : std::string("Cannot connect: ") + std::strerror(err) + ".";
        return false;
    }
}

CFrameClient::Wait CFrameClient::Send(FrameType type, std::string_view payload, int timeoutMs)
{
    if (m_fd < 0) {
        m_error = "Not connected.";
        return Wait::Failed;
    }
    const std::string bytes = EncodeFrame(type, payload);
    if (bytes.empty()) {
        m_error = "The message is larger than the channel carries.";
        return Wait::Failed;
    }
    const auto deadline = DeadlineIn(timeoutMs);
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n =
            ::send(m_fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd fd{m_fd, POLLOUT, 0};
            const int left = RemainingMs(deadline);
            if (left == 0 || ::poll(&fd, 1, left) == 0) {
                m_error = "The server did not take the message in time.";
                return Wait::TimedOut;
            }
            continue;
        }
        m_error = std::string("The connection broke: ") + std::strerror(errno) + ".";
        Close();
        return Wait::Failed;
    }
    return Wait::Ok;
}

CFrameClient::Wait CFrameClient::Receive(Frame& frame, int timeoutMs)
{
    if (m_fd < 0) {
        m_error = "Not connected.";
        return Wait::Failed;
    }
    const auto deadline = DeadlineIn(timeoutMs);
    char chunk[kReadChunk];
    for (;;) {
        const CFrameDecoder::Status status = m_decoder.Next(frame);
        if (status == CFrameDecoder::Status::Ready)
            return Wait::Ok;
        if (status == CFrameDecoder::Status::Malformed) {
            m_error = "The server sent a malformed answer: " + m_decoder.Error() + ".";
            Close();
            return Wait::Failed;
        }
        const ssize_t n =
            ::recv(m_fd, chunk, std::min(sizeof chunk, m_decoder.Space()), MSG_DONTWAIT);
        if (n > 0) {
            m_decoder.Append(chunk, static_cast<std::size_t>(n));
            continue;
        }
        if (n == 0) {
            m_error = "The server closed the connection.";
            Close();
            return Wait::Failed;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            m_error = std::string("The connection broke: ") + std::strerror(errno) + ".";
            Close();
            return Wait::Failed;
        }
        pollfd fd{m_fd, POLLIN, 0};
        const int left = RemainingMs(deadline);
        if (left == 0 || ::poll(&fd, 1, left) == 0) {
            m_error = "No answer within " + std::to_string(timeoutMs < 0 ? 0 : timeoutMs) + " ms.";
            return Wait::TimedOut;
        }
    }
}

CFrameClient::Wait CFrameClient::Transact(FrameType type, std::string_view payload, Frame& reply,
                                          int timeoutMs)
{
    const auto deadline = DeadlineIn(timeoutMs);
    const Wait sent = Send(type, payload, timeoutMs);
    if (sent != Wait::Ok)
        return sent;
    const Wait received = Receive(reply, RemainingMs(deadline));
    if (received == Wait::TimedOut)
        m_error = "No answer within " + std::to_string(timeoutMs < 0 ? 0 : timeoutMs) + " ms.";
    return received;
}

} // namespace platform
