#pragma once

#include "windows/WindowRegistry.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <memory>

namespace platform {

class CQtPollDriver;

// Registers a main window with the window registry for as long as this object lives: the
// entry follows the window's title, visibility and minimised state (event filter), and the
// control socket is served from the Qt event loop: "raise" shows the window normally when
// minimised, raises and activates it; "repaint" updates it.
class CWindowRegistration : public QObject
{
    Q_OBJECT
public:
    // Registers at once; Registered() tells whether it worked (ErrorText() why not).
    CWindowRegistration(QWidget* window, const QString& className, QObject* parent = nullptr);
    ~CWindowRegistration() override;

    bool Registered() const { return m_registration.Registered(); }
    const QString& ErrorText() const { return m_error; }
    const WindowEntry& Entry() const { return m_registration.Entry(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Refresh();
    void Raise();

    QPointer<QWidget> m_window;
    CRegisteredWindow m_registration;
    std::unique_ptr<CQtPollDriver> m_driver;
    QString m_error;
};

} // namespace platform
