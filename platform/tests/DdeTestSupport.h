#pragma once

// Helpers for tests of the DDE channel and the window registry: a private runtime folder of
// the test's own, a thread that drives a pollable server, and a raw socket peer that can send
// any bytes.

#include "NonRegularFiles.h"
#include "TempDir.h"
#include "dde/Pollable.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>

// Points XDG_RUNTIME_DIR at a fresh private folder for the life of the object.
class ScopedRuntimeDir
{
public:
    ScopedRuntimeDir()
    {
        if (const char* old = std::getenv("XDG_RUNTIME_DIR"))
            m_old = old;
        ::setenv("XDG_RUNTIME_DIR", m_dir.Path().c_str(), 1);
    }
    ~ScopedRuntimeDir()
    {
        if (m_old)
            ::setenv("XDG_RUNTIME_DIR", m_old->c_str(), 1);
        else
            ::unsetenv("XDG_RUNTIME_DIR");
    }
    const std::string& Path() const { return m_dir.Path(); }

private:
    TempDir m_dir;
    std::optional<std::string> m_old;
};

// Runs the pollable's event loop on a thread of its own between Start() and Stop(). The
// pollable is touched by that thread only while it runs.
class LoopThread
{
public:
    explicit LoopThread(platform::IPollable& pollable) : m_pollable(pollable) {}
    ~LoopThread() { Stop(); }
    void Start()
    {
        m_stop = false;
        m_thread = std::thread([this] {
            while (!m_stop)
                platform::PollOnce(m_pollable, 10);
        });
    }
    void Stop()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    platform::IPollable& m_pollable;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// A peer on a Unix-domain socket that sends raw bytes.
class RawPeer
{
public:
    explicit RawPeer(const std::string& path)
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (::connect(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~RawPeer()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool Connected() const { return m_fd >= 0; }
    int Fd() const { return m_fd; }
    bool Send(const std::string& bytes)
    {
        return ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(bytes.size());
    }
    // True when the server closed the connection within the time: reads until end of stream.
    bool ClosedByServer(int timeoutMs = 2000)
    {
        timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
            if (n == 0 || (n < 0 && errno == ECONNRESET))
                return true;
            if (n < 0)
                return false;
        }
    }

private:
    int m_fd = -1;
};
