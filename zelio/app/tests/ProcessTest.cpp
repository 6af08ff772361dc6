// The real program in its own processes: the scripting door's exit codes against a running
// browser and without one, the single-instance start, the window's registration only once
// the plug-ins' DDE topics answer, and the show command at start.

#include "ZelioTestSupport.h"
#include "dde/DdeClient.h"
#include "windows/WindowRegistry.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <thread>

namespace {

int Execute(const QStringList& arguments, QString* errorText = nullptr)
{
    QProcess process;
    process.start(ZELIO_PROGRAM, QStringList{"--execute"} + arguments);
    if (!process.waitForFinished(20000))
        return -1;
    if (errorText != nullptr)
        *errorText = QString::fromLocal8Bit(process.readAllStandardError());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// A running browser, stopped at the end. Ready when its own topic answers, or (waitForTopic
// false) as soon as it is started.
class CRunningBrowser
{
public:
    explicit CRunningBrowser(bool waitForTopic = true,
                             const QProcessEnvironment& extra = QProcessEnvironment())
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert(extra);
        m_process.setProcessEnvironment(environment);
        m_process.start(ZELIO_PROGRAM, {});
        m_process.waitForStarted(5000);
        for (int i = 0; waitForTopic && i < 200 && Execute({"nothing", "--topic", "ZELIO"}) == 2;
             ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ~CRunningBrowser()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(2000);
    }
    QProcess& Process() { return m_process; }

private:
    QProcess m_process;
};

} // namespace

TEST(ZelioProcess, ExecuteExitCodesAgainstRunningBrowser)
{
    CZelioTestTree tree;
    QString error;
    // No browser yet: no server.
    EXPECT_EQ(Execute({"open=coll,pumps", "--topic", "ZELIO"}, &error), 2);
    EXPECT_FALSE(error.isEmpty());

    CRunningBrowser browser;
    ASSERT_EQ(browser.Process().state(), QProcess::Running);
    EXPECT_EQ(Execute({"open=coll,pumps", "--topic", "ZELIO"}), 0);
    EXPECT_EQ(Execute({"bookquery=pumps,coll,impeller", "--topic", "zelio"}), 0);
    EXPECT_EQ(Execute({"bookquery=pumps,coll,nothingatall", "--topic", "ZELIO"}), 1);
    EXPECT_EQ(Execute({"help=", "--topic", "ZELIO"}), 0);
    EXPECT_EQ(Execute({"open=nocollection,pumps", "--topic", "ZELIO"}, &error), 1);
    EXPECT_TRUE(error.contains("not processed"));
    // The default topic "OBU" belongs to a plug-in that is not loaded here.
    EXPECT_EQ(Execute({"help=Model"}, &error), 2);
    EXPECT_TRUE(error.contains("OBU"));
    EXPECT_EQ(Execute({"open=coll,pumps", "--service", "NOSUCH", "--topic", "ZELIO"}), 2);
}

TEST(ZelioProcess, SecondStartBringsTheFirstForward)
{
    CZelioTestTree tree;
    CRunningBrowser browser;
    ASSERT_EQ(browser.Process().state(), QProcess::Running);
    const auto first = platform::FindWindowByClass("ZELWIN");
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->pid, browser.Process().processId());

    QProcess second;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    second.setProcessEnvironment(environment);
    second.start(ZELIO_PROGRAM, {});
    ASSERT_TRUE(second.waitForFinished(15000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(browser.Process().state(), QProcess::Running);
    int registered = 0;
    for (const platform::WindowEntry& entry : platform::EnumerateWindows())
        registered += entry.className == "ZELWIN" ? 1 : 0;
    EXPECT_EQ(registered, 1);
}

namespace {

// The registry entry of the browser process, waited for as a program that started it does.
std::optional<platform::WindowEntry> WaitForWindow(qint64 pid)
{
    for (int i = 0; i < 1000; ++i) {
        if (const auto entry = platform::FindWindowByClass("ZELWIN"); entry && entry->pid == pid)
            return entry;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return std::nullopt;
}

} // namespace

TEST(ZelioProcess, RegisteredWindowMeansThePluginTopicAnswers)
{
    CZelioTestTree tree(OBUDDE_PLUGIN);
    CRunningBrowser browser(false);
    ASSERT_TRUE(WaitForWindow(browser.Process().processId()).has_value());
    // At once, as the model browser does: obudde's topic is served and the hits are shown.
    platform::CDdeClient client;
    ASSERT_TRUE(client.Connect("ZELIO", "OBU", 10000)) << client.ErrorText();
    EXPECT_EQ(client.Execute("bookquery=pumps,coll,impeller", 10000).outcome,
              platform::DdeOutcome::Processed);
}

TEST(ZelioProcess, ShowCommandAtStart)
{
    CZelioTestTree tree;
    for (const char* command : {"6", "1", "", "9"}) {
        QProcessEnvironment extra;
        if (*command != '\0')
            extra.insert("MODELBROWSER_SHOW_COMMAND", command);
        CRunningBrowser browser(false, extra);
        const auto entry = WaitForWindow(browser.Process().processId());
        ASSERT_TRUE(entry.has_value()) << command;
        EXPECT_EQ(entry->minimised, std::string(command) == "6") << command;
        EXPECT_TRUE(entry->visible) << command;
    }
}

// The sample configuration of examples/docs names the plug-ins the build makes: every
// plug-in in bin/plugins loads in the browser, among them the DDE, model launcher and user
// document plug-ins.
TEST(ZelioProcess, SampleConfigurationLoadsEveryBuiltPlugin)
{
    CZelioTestTree tree; // private runtime, configuration and cache folders
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("ZELIO_CONFIG", ZELIO_EXAMPLES_DIR "/docs/corvelle.ini");
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(ZELIO_PROGRAM, {"--check-plugins"});
    ASSERT_TRUE(process.waitForFinished(60000));
    const QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
    const QString errors = QString::fromLocal8Bit(process.readAllStandardError());
    EXPECT_EQ(process.exitCode(), 0) << errors.toStdString();

    const QDir plugins(QFileInfo(ZELIO_PROGRAM).absolutePath() + "/plugins");
    const QStringList built = plugins.entryList({"*.so"}, QDir::Files);
    for (const char* required : {"libobudde.so", "libobuutil.so", "libobuudoc.so"})
        EXPECT_TRUE(built.contains(required)) << required << " is not built";
    for (const QString& name : built)
        EXPECT_TRUE(out.contains("plugins/" + name + "\n"))
            << name.toStdString() << " did not load:\n"
            << out.toStdString() << errors.toStdString();
}
