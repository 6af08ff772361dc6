// The plug-in module as the browser loads it: its exports, the events it asks for, the menu
// items of each view, the launch's messages, and the disclaimer in its real dialog.

#include "LauncherTestSupport.h"
#include "TempDir.h"
#include "windows/qt/WindowRegistration.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

using platform::ScriptedPrompter;

namespace {

// A started plug-in with its own configuration file ("corvelle.ini" in a temporary folder,
// found through ZELIO_CONFIG), stopped at the end.
class ObuUtilModule : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(Module().handle, nullptr) << dlerror();
        ASSERT_TRUE(Module().init && Module().destroy && Module().menuItemProc &&
                    Module().setPrompter && Module().setProgramFolder);
        Module().setPrompter(&m_prompter);
        m_host.m_directory = m_dir / "coll";
        m_host.m_alias = "Manuals A";
    }
    void TearDown() override
    {
        if (m_started)
            Module().destroy(0);
        Module().setPrompter(nullptr);
        Module().setProgramFolder(nullptr);
        ::unsetenv("ZELIO_CONFIG");
    }
    static CLauncherModule& Module() { return CLauncherModule::Get(); }

    void Start(const std::string& config = "[zelio]\nDATA_DIR=.\n")
    {
        ::setenv("ZELIO_CONFIG", m_dir.Write("corvelle.ini", config).c_str(), 1);
        ASSERT_NE(Module().Start(), 0u);
        m_started = true;
        m_host.m_calls.clear();
    }
    // Calls the module's export for the event, as the browser calls what it registered.
    intptr_t Event(int code, uintptr_t third, uintptr_t fourth = 0)
    {
        const char* name = code == 4 ? "PluginMenuCallback" : "PluginApplicationViewOpenCallback";
        const auto callback = reinterpret_cast<ZelCallback>(dlsym(Module().handle, name));
        return callback ? callback(CLauncherHost::kContext, code, third, fourth, 0, 0) : -99;
    }
    intptr_t ChooseItem(uintptr_t item, uintptr_t reason)
    {
        return Module().menuItemProc(0x4EC, item, reason, 0, 0, 0);
    }
    // Runs the menu command; answers what the disclaimer dialog showed ("" when none came).
    std::optional<QString> DisclaimerCommand(QWidget** owner = nullptr)
    {
        std::optional<QString> shown;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (dialog == nullptr || dialog->objectName() != "dialog101")
                return;
            poll.stop();
            auto* text = dialog->findChild<QPlainTextEdit*>("text1000");
            auto* close = dialog->findChild<QPushButton*>("button2");
            EXPECT_EQ(dialog->windowTitle(), "Disclaimer");
            ASSERT_TRUE(text && close);
            EXPECT_TRUE(text->isReadOnly());
            EXPECT_EQ(close->text(), "Close");
            shown = text->toPlainText();
            if (owner != nullptr)
                *owner = dialog->parentWidget();
            close->click();
        });
        poll.start(10);
        EXPECT_EQ(Event(4, 40001), 0);
        return shown;
    }

    TempDir m_dir;
    CLauncherHost m_host;
    CCaptionPrompter m_prompter;
    bool m_started = false;
};

} // namespace

TEST_F(ObuUtilModule, AsksForMenuAndViewEventsOnceAndAddsModelToEveryView)
{
    // The two graph callbacks stay inside; the core is not visible at all.
    EXPECT_EQ(dlsym(Module().handle, "PluginApplicationGraphOpenCallback"), nullptr);
    EXPECT_EQ(dlsym(Module().handle, "PluginGraphDestroyCallback"), nullptr);
    EXPECT_NE(dlsym(Module().handle, "PluginApplicationViewOpenCallback"), nullptr);
    EXPECT_EQ(dlsym(Module().handle, "_ZN7obuutil14ResourceStringEi"), nullptr);

    ::setenv("ZELIO_CONFIG", m_dir.Write("corvelle.ini", "[zelio]\n").c_str(), 1);
    ASSERT_NE(Module().Start(), 0u);
    m_started = true;
    EXPECT_EQ(m_host.m_calls, (std::vector<std::string>{"Event 4", "Event 9"}));
    EXPECT_EQ(m_host.m_events[4], dlsym(Module().handle, "PluginMenuCallback"));
    EXPECT_EQ(m_host.m_events[9], dlsym(Module().handle, "PluginApplicationViewOpenCallback"));
    Module().destroy(0);
    ASSERT_NE(Module().Start(), 0u); // a second start asks for nothing more
    EXPECT_EQ(m_host.m_calls.size(), 2u);
    m_host.m_calls.clear();

    EXPECT_EQ(Event(9, 0x77, CLauncherHost::kView), 0);
    EXPECT_EQ(m_host.m_calls, (std::vector<std::string>{
                                  "Enter", "MenuAdd  [] 0x60000 2", "MenuAdd  [Model...] 0x60002 2",
                                  "ViewCallback 1", "ViewCallback 0", "Leave"}));
    ASSERT_EQ(m_host.m_itemProcs.size(), 2u);
    EXPECT_EQ(m_host.m_itemProcs[0], Module().menuItemProc);
    EXPECT_EQ(m_host.m_itemProcs[1], Module().menuItemProc);
}

TEST_F(ObuUtilModule, LaunchMessagesAndSilentEnds)
{
    Start();
    // No model folder: 1001 after the information beep, no owner, caption "OBU".
    EXPECT_EQ(ChooseItem(CLauncherHost::kView, 2), 0);
    EXPECT_EQ(m_host.m_calls, (std::vector<std::string>{"Enter", "Leave"}));
    ASSERT_EQ(m_prompter.Events().size(), 2u);
    EXPECT_EQ(m_prompter.Events()[0].kind, ScriptedPrompter::Event::Kind::Beep);
    EXPECT_EQ(m_prompter.Events()[0].beep, platform::BeepType::Information);
    EXPECT_EQ(m_prompter.Events()[1].icon, platform::Icon::Information);
    EXPECT_EQ(m_prompter.MessageNumbers(), std::vector<int>{1001});
    EXPECT_EQ(m_prompter.m_captions, std::vector<std::string>{"OBU"});

    // A model of another collection: 1002.
    m_prompter.Clear();
    m_dir.Write("coll/model/other.mdl", "[DOCUMENTATION]\nCOLLECTION=Manuals B\n");
    ChooseItem(CLauncherHost::kView, 2);
    EXPECT_EQ(m_prompter.MessageNumbers(), std::vector<int>{1002});

    // Another reason, an item without a collection, or a collection without a directory:
    // nothing, but still between enter and leave.
    m_prompter.Clear();
    m_host.m_calls.clear();
    ChooseItem(CLauncherHost::kView, 1);
    ChooseItem(0x999, 2);
    m_host.m_directory.clear();
    ChooseItem(CLauncherHost::kView, 2);
    EXPECT_TRUE(m_prompter.Events().empty());
    EXPECT_EQ(m_host.m_calls,
              (std::vector<std::string>{"Enter", "Leave", "Enter", "Leave", "Enter", "Leave"}));
}

TEST_F(ObuUtilModule, OpensTheModelWithTheProgramBesideTheCaller)
{
    // The program folder's "model" is a script that notes its arguments.
    const std::string folder = m_dir / "bin";
    const std::string note = m_dir / "started.txt";
    const std::string program =
        m_dir.Write("bin/model", "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + note + ".part'\nmv '" +
                                     note + ".part' '" + note + "'\n");
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    const std::string model =
        m_dir.Write("coll/model/manuals.mdl", "[DOCUMENTATION]\nCOLLECTION=MANUALS A\n");
    Start();
    Module().setProgramFolder(folder.c_str());
    ChooseItem(CLauncherHost::kView, 2);
    EXPECT_TRUE(m_prompter.Events().empty());
    for (int i = 0; i < 500 && !std::filesystem::exists(note); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::ifstream in(note);
    std::string argument;
    std::getline(in, argument);
    EXPECT_EQ(argument, model);

    // No program there: 1003 after the warning beep.
    Module().setProgramFolder((m_dir / "nothing").c_str());
    ChooseItem(CLauncherHost::kView, 2);
    ASSERT_EQ(m_prompter.Events().size(), 2u);
    EXPECT_EQ(m_prompter.Events()[0].beep, platform::BeepType::Exclamation);
    EXPECT_EQ(m_prompter.Events()[1].icon, platform::Icon::Exclamation);
    EXPECT_EQ(m_prompter.MessageNumbers(), std::vector<int>{1003});
}

TEST_F(ObuUtilModule, DisclaimerCommandShowsTheFileInTheDialog)
{
    m_dir.Write("data/disclaim.txt", "No warranty.\nUse at your own risk.\n");
    Start("[zelio]\nDATA_DIR=data/\n");
    const std::optional<QString> shown = DisclaimerCommand();
    ASSERT_TRUE(shown);
    EXPECT_EQ(*shown, "No warranty.\nUse at your own risk.\n");
    EXPECT_TRUE(m_prompter.Events().empty());

    // Other commands are ignored, between enter and leave.
    m_host.m_calls.clear();
    for (uintptr_t command : {0ul, 40000ul, 40002ul, 57665ul})
        EXPECT_EQ(Event(4, command), 0);
    EXPECT_TRUE(m_prompter.Events().empty());
    EXPECT_EQ(m_host.m_calls.size(), 8u);
}

TEST_F(ObuUtilModule, DisclaimerFailuresAreSaidThenTheDialogIsEmpty)
{
    Start("[zelio]\nDATA_DIR=data\n");
    std::filesystem::create_directories(m_dir / "data");
    const std::optional<QString> shown = DisclaimerCommand();
    ASSERT_TRUE(shown);
    EXPECT_EQ(*shown, "");
    EXPECT_EQ(m_prompter.MessageNumbers(), std::vector<int>{1004});
    EXPECT_EQ(m_prompter.Events()[0].beep, platform::BeepType::Exclamation);
    EXPECT_EQ(m_prompter.m_captions, std::vector<std::string>{"OBU"});
    Module().destroy(0);
    m_started = false;

    // Nothing configured: 1005 and no dialog.
    m_prompter.Clear();
    Start("[zelio]\nCOLLECTION=coll\n");
    EXPECT_FALSE(DisclaimerCommand());
    EXPECT_EQ(m_prompter.MessageNumbers(), std::vector<int>{1005});
}

TEST_F(ObuUtilModule, DisclaimerBelongsToTheMainWindowOnceFound)
{
    m_dir.Write("disclaim.txt", "Text");
    QWidget mainWindow;
    mainWindow.setWindowTitle("Zelio");
    mainWindow.show();
    platform::CWindowRegistration registration(&mainWindow, "Zelio30");
    ASSERT_TRUE(registration.Registered()) << registration.ErrorText().toStdString();
    m_host.m_mainWindow = reinterpret_cast<uintptr_t>(&mainWindow);
    Start();
    // The watch thread finds the registered window at its first look and asks it to repaint,
    // which this thread's event loop answers.
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1000);
    while (std::chrono::steady_clock::now() < end) {
        QApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    QWidget* owner = nullptr;
    ASSERT_TRUE(DisclaimerCommand(&owner));
    EXPECT_EQ(owner, &mainWindow);

    // A word that is no window of this program is never taken as one.
    m_host.m_mainWindow = 0x1234;
    owner = &mainWindow;
    ASSERT_TRUE(DisclaimerCommand(&owner));
    EXPECT_EQ(owner, nullptr);
}
