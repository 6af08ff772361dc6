#include "dde/qt/QtPollDriver.h"

namespace platform {

CQtPollDriver::CQtPollDriver(IPollable& pollable, QObject* parent)
    : QObject(parent), m_pollable(pollable)
{
    Sync();
}

CQtPollDriver::~CQtPollDriver()
{
    for (auto& [fd, notifiers] : m_notifiers) {
        delete notifiers.read;
        delete notifiers.write;
    }
}

void CQtPollDriver::Activated()
{
    m_pollable.ProcessReady();
    Sync();
}

void CQtPollDriver::Sync()
{
    std::map<int, PollEntry> wanted;
    for (const PollEntry& entry : m_pollable.PollEntries())
        wanted[entry.fd] = entry;
    // Notifiers of descriptors that are gone: disabled now, deleted once control is back in
    // the event loop (this may run inside one of their own signals).
    for (auto it = m_notifiers.begin(); it != m_notifiers.end();) {
        if (wanted.count(it->first)) {
            ++it;
            continue;
        }
        for (QSocketNotifier* notifier : {it->second.read, it->second.write}) {
            if (notifier) {
                notifier->setEnabled(false);
                notifier->deleteLater();
            }
        }
        it = m_notifiers.erase(it);
    }
    for (const auto& [fd, entry] : wanted) {
        Notifiers& notifiers = m_notifiers[fd];
        const auto make = [this, fd](QSocketNotifier::Type type) {
            auto* notifier = new QSocketNotifier(fd, type, this);
            connect(notifier, &QSocketNotifier::activated, this, &CQtPollDriver::Activated);
            return notifier;
        };
        if (entry.read && !notifiers.read)
            notifiers.read = make(QSocketNotifier::Read);
        if (entry.write && !notifiers.write)
            notifiers.write = make(QSocketNotifier::Write);
        if (notifiers.read && notifiers.read->isEnabled() != entry.read)
            notifiers.read->setEnabled(entry.read);
        if (notifiers.write && notifiers.write->isEnabled() != entry.write)
            notifiers.write->setEnabled(entry.write);
    }
}

} // namespace platform
