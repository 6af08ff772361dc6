// The user-documents plug-in module as the browser loads it: by path, through its exports,
// against libzelio with a stand-in browser host; user documents opened through the shell
// with a private desktop; the menu item's dialog with real widgets.

#include "CaptionPrompter.h"
#include "UserDocBrowserHost.h"

#include "TempDir.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <thread>

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Init = uintptr_t (*)(uintptr_t, const uintptr_t*);
using Destroy = intptr_t (*)(uintptr_t);
using SetPrompter = void (*)(platform::IPrompter*);
using ScriptConstruct = intptr_t (*)(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
using ScriptProc = intptr_t (*)(uintptr_t, uintptr_t, uintptr_t, uintptr_t);

// Sets an environment variable for the life of the object, then restores it.
class CScopedEnv
{
public:
    CScopedEnv(const char* name, const std::string& value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~CScopedEnv()
    {
        if (m_old)
            ::setenv(m_name.c_str(), m_old->c_str(), 1);
        else
            ::unsetenv(m_name.c_str());
    }
    CScopedEnv(const CScopedEnv&) = delete;
    CScopedEnv& operator=(const CScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

// A script record as the browser makes it, its text at byte 20.
class CScriptRecord
{
public:
    explicit CScriptRecord(const std::string& text)
        : m_bytes(ZEL_SCRIPT_TEXT_OFFSET + text.size() + 1)
    {
        const uint32_t size = static_cast<uint32_t>(m_bytes.size());
        std::memcpy(m_bytes.data(), &size, sizeof size);
        std::memcpy(m_bytes.data() + ZEL_SCRIPT_TEXT_OFFSET, text.c_str(), text.size() + 1);
    }
    uintptr_t Word() const { return reinterpret_cast<uintptr_t>(m_bytes.data()); }

private:
    std::vector<char> m_bytes;
};

bool Exists(const std::string& path)
{
    struct stat info = {};
    return ::lstat(path.c_str(), &info) == 0;
}

// The module loaded and started with a scripted prompter; stopped and its prompter reset at
// the end. Kept mapped after dlclose, as a browser keeps its plug-ins until it ends.
class ObuUDocModule : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_module = ::dlopen(OBUUDOC_MODULE, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        ASSERT_NE(m_module, nullptr) << ::dlerror();
        m_init = Symbol<Init>("KBL_PLUGINinit");
        m_destroy = Symbol<Destroy>("KBL_PLUGINdestroy");
        m_setPrompter = Symbol<SetPrompter>("_Z18ObuUDocSetPrompterPN8platform9IPrompterE");
        ASSERT_TRUE(m_init && m_destroy && m_setPrompter);
        m_setPrompter(&m_prompter);
        m_host.m_windows[4] = reinterpret_cast<uintptr_t>(&m_mainWindow);
        const uintptr_t start[7] = {CUserDocBrowserHost::kContext, 0, 0, 0, 0, 0, 0};
        m_plugin = m_init(0, start);
        ASSERT_NE(m_plugin, 0u);
    }
    void TearDown() override
    {
        if (m_module == nullptr)
            return;
        if (m_plugin != 0)
            m_destroy(m_plugin);
        m_setPrompter(nullptr);
        ::dlclose(m_module);
    }
    template <typename T> T Symbol(const char* name)
    {
        return reinterpret_cast<T>(::dlsym(m_module, name));
    }

    // The raster script's construct, refresh and destruct as the browser calls them for a
    // kind no plug-in registered.
    void Construct(const CScriptRecord& record, uintptr_t view, uintptr_t script)
    {
        EXPECT_EQ(Symbol<ScriptConstruct>("PluginScriptConstructProc")(
                      view, record.Word(), script, 0, CUserDocBrowserHost::kContext),
                  static_cast<intptr_t>(record.Word()));
    }
    void Refresh(const CScriptRecord& record, uintptr_t view, uintptr_t script)
    {
        Symbol<ScriptProc>("PluginScriptRefreshProc")(view, record.Word(), script, 0);
    }
    void Destruct(const CScriptRecord& record, uintptr_t view, uintptr_t script)
    {
        Symbol<ScriptProc>("PluginScriptDestructProc")(view, record.Word(), script, 0);
    }

    TempDir m_dir;
    CUserDocBrowserHost m_host;
    QWidget m_mainWindow;
    CCaptionPrompter m_prompter;
    void* m_module = nullptr;
    Init m_init = nullptr;
    Destroy m_destroy = nullptr;
    SetPrompter m_setPrompter = nullptr;
    uintptr_t m_plugin = 0;
};

} // namespace

TEST_F(ObuUDocModule, HooksScriptKindAndMenuItems)
{
    // Collection window and view events only, then the launch kind with the context.
    EXPECT_EQ(m_host.m_calls, (std::vector<std::string>{"start 2", "event 17", "event 9",
                                                        "script kind user_document context"}));
    const auto& kind = m_host.m_scriptKinds["user_document"];
    EXPECT_EQ(reinterpret_cast<void*>(kind.construct),
              ::dlsym(m_module, "OBU_LAUNCH_ScriptConstructProc"));
    EXPECT_EQ(reinterpret_cast<void*>(kind.destruct),
              ::dlsym(m_module, "OBU_LAUNCH_ScriptDestructProc"));
    EXPECT_EQ(reinterpret_cast<void*>(kind.refresh),
              ::dlsym(m_module, "OBU_LAUNCH_ScriptRefreshProc"));
    EXPECT_EQ(kind.data, CUserDocBrowserHost::kContext);
    EXPECT_EQ(kind.destruct(0, 1, 2, 3), 0);
    EXPECT_EQ(::dlsym(m_module, "PluginMenuItemProc"), nullptr);

    m_host.m_calls.clear();
    m_host.m_events[17](CUserDocBrowserHost::kContext, 17, 0x77, 0, 0, 0);
    m_host.m_events[9](CUserDocBrowserHost::kContext, 9, 0x1, 0x55, 0, 0);
    EXPECT_EQ(m_host.m_calls, (std::vector<std::string>{"menu colwin 119 Add &User Doc 0x10002 0",
                                                        "menu view 85 Add &User Doc 0x10002 0"}));
    void* itemProc = ::dlsym(m_module, "OBUUDocAddUserDocMenuItemProc");
    EXPECT_EQ(reinterpret_cast<void*>(m_host.m_menuProcs["colwin 119"]), itemProc);
    EXPECT_EQ(reinterpret_cast<void*>(m_host.m_menuProcs["view 85"]), itemProc);
    EXPECT_EQ(m_host.m_depth, 0);

    // The chooser alone, as the dialog's "&Browse" uses it.
    m_prompter.PushFile(std::nullopt);
    EXPECT_EQ(Symbol<Destroy>("LocateDocumentFile")(0), 1);
    ASSERT_EQ(m_prompter.Events().size(), 1u);
    EXPECT_EQ(m_prompter.Events()[0].file.title, "Add Document");
    m_prompter.Clear();

    // Annotation scripts only beep.
    EXPECT_EQ(Symbol<ScriptConstruct>("OBUUDocAnnotScriptConstructProc")(1, 2, 3, 4, 5), 0);
    ASSERT_EQ(m_prompter.Events().size(), 1u);
    EXPECT_EQ(m_prompter.Events()[0].kind, platform::ScriptedPrompter::Event::Kind::Beep);
    EXPECT_EQ(m_prompter.Events()[0].beep, platform::BeepType::Simple);
}

TEST_F(ObuUDocModule, RasterFigureShownRefreshedAndDeletedWithItsWindow)
{
    CScopedEnv tmp("TMPDIR", m_dir.Path());
    const std::string figure = m_dir.Write("pump.tif", "II*\0");
    const std::string second = m_dir.Write("valve.tif", "II*\0");
    const CScriptRecord record("orn-raster=pump.tif");
    const CScriptRecord other("orn-raster=valve.tif");
    m_host.m_calls.clear();

    Construct(record, 0x51, 7);
    const std::string g1 = std::to_string(CUserDocBrowserHost::kFirstGraph);
    EXPECT_EQ(m_host.m_calls, (std::vector<std::string>{
                                  "create Graphics Window " + g1, "graph callback " + g1 + " 0",
                                  "load " + g1 + " " + figure, "show " + g1}));
    Refresh(record, 0x51, 7);
    EXPECT_EQ(m_host.m_calls.back(), "refresh " + g1);
    // Destroying the script closes the window; the window's end deletes the figure file and
    // gives the script back.
    m_host.m_calls.clear();
    Destruct(record, 0x51, 7);
    EXPECT_EQ(m_host.m_calls, (std::vector<std::string>{"close " + g1, "release 81 7"}));
    EXPECT_FALSE(Exists(figure));

    // A window the user closes: the figure goes at once; the script's end later does nothing.
    Construct(other, 0x52, 8);
    const std::string g2 = std::to_string(CUserDocBrowserHost::kFirstGraph + 1);
    m_host.m_calls.clear();
    EXPECT_EQ(m_host.CloseGraph(CUserDocBrowserHost::kFirstGraph + 1), 0);
    EXPECT_EQ(m_host.m_calls, (std::vector<std::string>{"release 82 8"}));
    EXPECT_FALSE(Exists(second));
    Refresh(other, 0x52, 8);
    Destruct(other, 0x52, 8);
    EXPECT_EQ(m_host.m_calls.size(), 1u);
    EXPECT_EQ(m_host.m_depth, 0);
    EXPECT_TRUE(m_prompter.Events().empty());
}

TEST_F(ObuUDocModule, FigureNamesOutsideTheTemporaryFolderAreRefused)
{
    CScopedEnv tmp("TMPDIR", m_dir / "tmp");
    const std::string outside = m_dir.Write("precious.tif", "keep");
    m_dir.Write("tmp/keep", "");
    m_host.m_calls.clear();
    for (const char* text : {"orn-raster=../precious.tif", "orn-raster=", "orn-raster"}) {
        const CScriptRecord record(text);
        Construct(record, 0x53, 9);
        Destruct(record, 0x53, 9);
    }
    EXPECT_TRUE(m_host.m_calls.empty());
    EXPECT_TRUE(Exists(outside));
    const std::vector<std::string> texts = m_prompter.MessageTexts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_NE(texts[0].find("orn-raster=../precious.tif"), std::string::npos);
    EXPECT_EQ(m_prompter.Events()[1].icon, platform::Icon::Stop);
    // Other kinds are not figures.
    const CScriptRecord foreign("other=pump.tif");
    Construct(foreign, 0x54, 1);
    EXPECT_TRUE(m_host.m_calls.empty());
}

TEST_F(ObuUDocModule, OpenFiguresAreClosedAndDeletedWhenThePluginStops)
{
    CScopedEnv tmp("TMPDIR", m_dir.Path());
    const std::string figure = m_dir.Write("pump.tif", "II*\0");
    Construct(CScriptRecord("orn-raster=pump.tif"), 0x51, 7);
    m_host.m_calls.clear();
    EXPECT_EQ(m_destroy(m_plugin), 0);
    m_plugin = 0;
    EXPECT_EQ(m_host.m_calls,
              (std::vector<std::string>{"close " + std::to_string(CUserDocBrowserHost::kFirstGraph),
                                        "release 81 7"}));
    EXPECT_FALSE(Exists(figure));
}

TEST_F(ObuUDocModule, UserDocumentsOpenThroughTheShell)
{
    // A private desktop: the ".obutest" type opens with a program that records its argument.
    CScopedEnv dataHome("XDG_DATA_HOME", m_dir / "data");
    CScopedEnv dataDirs("XDG_DATA_DIRS", m_dir / "sys-data");
    CScopedEnv configHome("XDG_CONFIG_HOME", m_dir / "config");
    CScopedEnv configDirs("XDG_CONFIG_DIRS", m_dir / "sys-config");
    CScopedEnv cacheHome("XDG_CACHE_HOME", m_dir / "cache");
    m_dir.Write("runtime/keep", "");
    ::chmod((m_dir / "runtime").c_str(), 0700);
    CScopedEnv runtime("XDG_RUNTIME_DIR", m_dir / "runtime");
    m_dir.Write("data/mime/globs2", "50:application/x-obutest:*.obutest\n");
    const std::string recorder = m_dir.Write(
        "bin/recorder", "#!/bin/sh\nprintf '%s' \"$1\" > \"$(dirname \"$0\")/opened.tmp\"\n"
                        "mv \"$(dirname \"$0\")/opened.tmp\" \"$(dirname \"$0\")/opened\"\n");
    ::chmod(recorder.c_str(), 0755);
    m_dir.Write("data/applications/obutest.desktop",
                "[Desktop Entry]\nType=Application\nName=Recorder\nExec=" + recorder + " %f\n");
    m_dir.Write("config/mimeapps.list",
                "[Default Applications]\napplication/x-obutest=obutest.desktop\n");
    const std::string document = m_dir.Write("docs/note.obutest", "note");

    const auto launch = m_host.m_scriptKinds["user_document"].construct;
    ASSERT_NE(launch, nullptr);
    const CScriptRecord record("user_document");
    EXPECT_EQ(launch(record.Word(), 1, 2, CUserDocBrowserHost::kContext,
                     reinterpret_cast<uintptr_t>(document.c_str())),
              0);
    std::string opened;
    for (int i = 0; i < 500 && opened.empty(); ++i) {
        if (Exists(m_dir / "bin/opened"))
            opened = TempDir::Read(m_dir / "bin/opened");
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(opened, document);
    EXPECT_TRUE(m_prompter.Events().empty());

    // Failures are the shell's texts, owned by the script's window.
    m_host.m_scriptWindow = reinterpret_cast<uintptr_t>(&m_mainWindow);
    launch(record.Word(), 1, 2, 0, reinterpret_cast<uintptr_t>((m_dir / "gone/x.obutest").c_str()));
    launch(record.Word(), 1, 2, 0,
           reinterpret_cast<uintptr_t>(m_dir.Write("docs/x.unknown", "").c_str()));
    EXPECT_EQ(m_prompter.MessageTexts(),
              (std::vector<std::string>{"The specified path was not found.",
                                        "There is no application associated with the given "
                                        "filename extension."}));
    ASSERT_EQ(m_prompter.Events().size(), 4u);
    EXPECT_EQ(m_prompter.Events()[0].beep, platform::BeepType::Stop);
    EXPECT_EQ(m_prompter.Events()[1].icon, platform::Icon::Stop);
    EXPECT_EQ(m_prompter.m_captions[1], "OBU ERROR");
}

TEST_F(ObuUDocModule, MenuItemDialogAddsToTheConfiguredBook)
{
    m_dir.Write("etc/corvelle.ini", "[userdoc]\nCollection1=../coll\nBook1=manuals\n");
    CScopedEnv config("ZELIO_CONFIG", m_dir / "etc/corvelle.ini");
    m_dir.Write("coll/books/manuals/manuals.sgm", "<!DOCTYPE u>\n<userdoc>\n</userdoc>\n");
    QWidget* owner = nullptr;
    QTimer::singleShot(0, [&owner] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        owner = dialog->parentWidget();
        dialog->findChild<QLineEdit*>("1000")->setText("Data sheet");
        dialog->findChild<QPlainTextEdit*>("1001")->setPlainText("Pump data");
        dialog->findChild<QLineEdit*>("1002")->setText("/srv/p101.pdf");
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    const ZelCallback itemProc =
        reinterpret_cast<ZelCallback>(::dlsym(m_module, "OBUUDocAddUserDocMenuItemProc"));
    EXPECT_EQ(itemProc(0x1234, 0x55, 2, 0, 0, 0), 0);
    EXPECT_EQ(owner, &m_mainWindow);
    EXPECT_EQ(TempDir::Read(m_dir / "coll/books/manuals/manuals.sgm"),
              "<!DOCTYPE u>\n\n<!ENTITY OBU000.TXT SYSTEM \"OBU000.TXT\">\n<userdoc>\n"
              "\n&OBU000.TXT;\n</userdoc>\n");
    EXPECT_NE(TempDir::Read(m_dir / "coll/books/manuals/OBU000.TXT").find("<doctitle>Data sheet<"),
              std::string::npos);
    EXPECT_TRUE(m_prompter.Events().empty());

    // A failure is an error naming the step.
    ::unlink((m_dir / "coll/books/manuals/manuals.sgm").c_str());
    QTimer::singleShot(0, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QLineEdit*>("1000")->setText("T");
        dialog->findChild<QPlainTextEdit*>("1001")->setPlainText("D");
        dialog->findChild<QLineEdit*>("1002")->setText("L");
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    Symbol<Destroy>("AskUserdocumentInfoDialogProc")(reinterpret_cast<uintptr_t>(&m_mainWindow));
    ASSERT_EQ(m_prompter.MessageTexts().size(), 1u);
    EXPECT_EQ(m_prompter.MessageTexts()[0].substr(0, 38), "Error while opening user document file");
    EXPECT_EQ(m_prompter.m_captions, std::vector<std::string>{"OBU ERROR"});
}

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
