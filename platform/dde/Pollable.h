#pragma once

#include <vector>

namespace platform {

// A descriptor the host's event loop should watch, and for what.
struct PollEntry
{
    int fd = -1;
    bool read = false;
    bool write = false;
};

// Something driven by the host's event loop on one thread: the host watches PollEntries()
// and calls ProcessReady() when any of them is ready (calling it more often is harmless).
// The entries change only inside ProcessReady() and the object's own set-up calls.
class IPollable
{
public:
    virtual ~IPollable() = default;
    virtual std::vector<PollEntry> PollEntries() const = 0;
    // Does the I/O that is ready without blocking and handles what arrived.
    virtual void ProcessReady() = 0;
};

// Runs one round for a host without an event loop of its own: waits up to timeoutMs for any
// entry of the object to be ready (poll), then calls ProcessReady(). Answers false when the
// wait failed (other than by a signal).
bool PollOnce(IPollable& pollable, int timeoutMs);

} // namespace platform
