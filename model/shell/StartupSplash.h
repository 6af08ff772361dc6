#pragma once

#include <QWidget>

class QTimer;

// The start-up splash: a borderless picture centred on the screen that goes away after three
// seconds, or at once on any key or mouse button press anywhere in the program. The main
// window is repainted when it goes.
class CStartupSplash : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kTimeoutMs = 3000;

    explicit CStartupSplash(QWidget* owner);
    ~CStartupSplash() override;

    // Ends the splash (it deletes itself later).
    void Finish();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_owner;
    QPixmap m_pixmap;
    bool m_finished = false;
};
