#pragma once

#include "dde/Pollable.h"

#include <QObject>
#include <QPointer>
#include <QSocketNotifier>

#include <map>

namespace platform {

// Drives an IPollable (a DDE server, a window registration) from the Qt event loop with
// socket notifiers; the notifiers follow the object's PollEntries() after every round. The
// pollable must outlive the driver.
class CQtPollDriver : public QObject
{
    Q_OBJECT
public:
    explicit CQtPollDriver(IPollable& pollable, QObject* parent = nullptr);
    ~CQtPollDriver() override;

    // Brings the notifiers in line with the pollable's entries (after its set-up calls).
    void Sync();

private:
    void Activated();

    struct Notifiers
    {
        QSocketNotifier* read = nullptr;
        QSocketNotifier* write = nullptr;
    };
    IPollable& m_pollable;
    std::map<int, Notifiers> m_notifiers;
};

} // namespace platform
