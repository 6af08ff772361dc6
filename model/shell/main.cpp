// The model browser program.

#include "MainFrame.h"
#include "ModelApp.h"
#include "ModelView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <QTextStream>
#include <cstdio>
#include <cstdlib>

namespace {

// With MODEL_STARTUP_PROBE set, the program prints how long it took from main to the first
// painted model page, then quits: the start-up benchmark runs it this way.
class FirstPaintProbe : public QObject
{
public:
    explicit FirstPaintProbe(const QElapsedTimer& clock) : m_clock(clock) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_done) {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (widget && qobject_cast<CModelView*>(widget->parentWidget())) {
                m_done = true;
                // Report after this paint has finished.
                QMetaObject::invokeMethod(
                    qApp,
                    [elapsed = m_clock.nsecsElapsed()] {
                        std::printf("first-page-painted-ms %.3f\n", elapsed / 1e6);
                        std::fflush(stdout);
                        QApplication::closeAllWindows();
                        QApplication::quit();
                    },
                    Qt::QueuedConnection);
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const QElapsedTimer& m_clock;
    bool m_done = false;
};

} // namespace

int main(int argc, char* argv[])
{
    QElapsedTimer clock;
    clock.start();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Model"));
    QApplication::setOrganizationName(QStringLiteral("Tallvik"));

    // The command line is the raw text after the program name.
    QStringList args = QApplication::arguments();
    args.removeFirst();
    const std::string commandLine = args.join(QLatin1Char(' ')).toStdString();

    const bool probe = std::getenv("MODEL_STARTUP_PROBE") != nullptr;
    FirstPaintProbe firstPaint(clock);
    if (probe)
        application.installEventFilter(&firstPaint);

    CModelApp::Options options;
    options.splash = !probe && QGuiApplication::platformName() != QLatin1String("offscreen");
    CModelApp app(options);
    if (!app.InitInstance(commandLine)) {
        app.ExitInstance();
        return 1;
    }
    const int status = QApplication::exec();
    app.ExitInstance();
    return status;
}
