#include "settings/SettingsStore.h"

#include "profile/ProfileReader.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <optional>

using platform::IniSettingsStore;

namespace {

std::vector<std::string> FilesIn(const std::string& dir)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class SettingsStore : public ::testing::Test
{
protected:
    std::string Path() const { return m_dir / "cfg/Model.ini"; }
    TempDir m_dir;
};

TEST_F(SettingsStore, RoundTripThroughFile)
{
    {
        IniSettingsStore store(Path());
        ASSERT_TRUE(store.Load()); // missing file: empty store
        store.WriteInt("Frame", "Left", -120);
        store.WriteInt("Frame", "Width", 800);
        store.WriteString("Recent", "File1", std::string("/models/a.mdl"));
        EXPECT_TRUE(store.LastError().empty()) << store.LastError();
    }
    IniSettingsStore store(Path());
    ASSERT_TRUE(store.Load());
    EXPECT_EQ(store.ReadInt("Frame", "Left", 0), -120);
    EXPECT_EQ(store.ReadInt("Frame", "Width", 0), 800);
    EXPECT_EQ(store.ReadString("Recent", "File1", ""), "/models/a.mdl");
    EXPECT_EQ(store.ReadString("Recent", "File2", "none"), "none");
    EXPECT_EQ(TempDir::Read(Path()),
              "[Frame]\nLeft=-120\nWidth=800\n\n[Recent]\nFile1=/models/a.mdl\n");
}

TEST_F(SettingsStore, AwkwardValuesRoundTrip)
{
    const std::string values[] = {
        "line1\nline2",
        "cr\r\nlf",
        "trailing\\",
        "back\\slash",
        "C:\\new\\readme",
        "\\n literally",
        "\\\\double",
        "\\\n",
        "  padded  ",
        "\"quoted\"",
        "'single'",
        "\"",
        "\"half",
        "tab\tinside",
        "\vvtab",
        "a;b#c=d",
        "[notsection]",
        std::string("nul\0byte", 8),
        "",
        "\xE9\xC3\xA9",
        "\\0zero",
        "\\",
    };
    {
        IniSettingsStore store(Path());
        for (std::size_t i = 0; i < std::size(values); ++i)
            store.WriteString("Values", "V" + std::to_string(i), values[i]);
    }
    IniSettingsStore store(Path());
    ASSERT_TRUE(store.Load());
    for (std::size_t i = 0; i < std::size(values); ++i)
        EXPECT_EQ(store.ReadString("Values", "V" + std::to_string(i), "<missing>"), values[i])
            << "value " << i;
}

TEST_F(SettingsStore, FileStaysSensibleForTheIniReader)
{
    IniSettingsStore store(Path());
    store.WriteString("S", "Path", std::string("C:\\dir\\file"));
    store.WriteString("S", "Text", std::string("two\nlines"));
    store.WriteString("S", "Pad", std::string(" x "));
    platform::ClearProfileCache();
    EXPECT_EQ(platform::GetProfileString(Path(), "s", "path", ""), "C:\\dir\\file");
    EXPECT_EQ(platform::GetProfileString(Path(), "s", "text", ""), "two\\nlines");
    EXPECT_EQ(platform::GetProfileString(Path(), "s", "pad", ""), " x ");
}

TEST_F(SettingsStore, NamesReadIgnoringCaseAndKeepFirstCase)
{
    IniSettingsStore store(Path());
    store.WriteInt("Options", "ShowGrid", 1);
    store.WriteInt("OPTIONS", "SHOWGRID", 2);
    store.WriteInt("options", "Other", 3);
    EXPECT_EQ(store.ReadInt("oPtIoNs", "showgrid", 0), 2);
    EXPECT_EQ(TempDir::Read(Path()), "[Options]\nShowGrid=2\nOther=3\n");
}

TEST_F(SettingsStore, LoadedFileKeepsOrderAndNewKeysAppend)
{
    m_dir.Write("cfg/Model.ini", "; hand edited\n[B]\nz=1\na=2\n[A]\nk=3\n[b]\ny=9\n");
    IniSettingsStore store(Path());
    ASSERT_TRUE(store.Load());
    store.WriteInt("a", "new", 4);
    store.WriteInt("C", "c", 5);
    EXPECT_EQ(TempDir::Read(Path()), "[B]\nz=1\na=2\n\n[A]\nk=3\nnew=4\n\n[C]\nc=5\n");
}

TEST_F(SettingsStore, DeleteKey)
{
    IniSettingsStore store(Path());
    store.WriteString("S", "a", std::string("1"));
    store.WriteString("S", "b", std::string("2"));
    store.WriteString("T", "only", std::string("3"));
    store.WriteString("s", "A", std::nullopt);
    store.WriteString("T", "only", std::nullopt);
    store.WriteString("missing", "x", std::nullopt);
    EXPECT_EQ(store.ReadString("S", "a", "gone"), "gone");
    EXPECT_EQ(store.ReadString("S", "b", ""), "2");
    EXPECT_EQ(TempDir::Read(Path()), "[S]\nb=2\n");
}

TEST_F(SettingsStore, ReadIntOnNonNumberGivesDefault)
{
    IniSettingsStore store(Path());
    struct
    {
        const char* text;
        int expected;
    } cases[] = {{"12", 12},
                 {"-7", -7},
                 {" 5 ", 5},
                 {"+3", 3},
                 {"12abc", 99},
                 {"abc", 99},
                 {"", 99},
                 {"-", 99},
                 {"0x10", 99},
                 {"2147483647", INT_MAX},
                 {"-2147483648", INT_MIN},
                 {"2147483648", 99},
                 {"99999999999999999999", 99}};
    for (const auto& c : cases) {
        store.WriteString("N", "k", std::string(c.text));
        EXPECT_EQ(store.ReadInt("N", "k", 99), c.expected) << '"' << c.text << '"';
    }
}

TEST_F(SettingsStore, UnwritableNamesAreRefused)
{
    IniSettingsStore store(Path());
    store.WriteInt("Good", "k", 1);
    const std::pair<std::string, std::string> bad[] = {
        {"Sec]tion", "k"}, {"Sec\nX", "k"}, {" Sec", "k"},  {"Good", "a=b"},
        {"Good", "a\nb"},  {"Good", "[x"},  {"Good", ";x"}, {"Good", "k "},
    };
    for (const auto& [section, key] : bad) {
        store.WriteInt(section, key, 2);
        EXPECT_FALSE(store.LastError().empty()) << section << "/" << key;
    }
    EXPECT_EQ(TempDir::Read(Path()), "[Good]\nk=1\n");
}

TEST_F(SettingsStore, AtomicSaveLeavesNoTemporaryFile)
{
    IniSettingsStore store(Path());
    for (int i = 0; i < 5; ++i)
        store.WriteInt("S", "k" + std::to_string(i), i);
    EXPECT_EQ(FilesIn(m_dir / "cfg"), std::vector<std::string>{"Model.ini"});
}

TEST_F(SettingsStore, FailedSaveKeepsOldContentAndReportsError)
{
    const std::string blocker = m_dir.Write("blocker", "a regular file, not a folder");
    IniSettingsStore store(blocker + "/sub/Model.ini");
    store.WriteInt("S", "k", 1);
    EXPECT_FALSE(store.LastError().empty());
    EXPECT_FALSE(store.Save());
    EXPECT_FALSE(store.LastError().empty());
    EXPECT_EQ(TempDir::Read(blocker), "a regular file, not a folder");
    EXPECT_EQ(store.ReadInt("S", "k", 0), 1); // still in memory
}

TEST_F(SettingsStore, FailedRenameKeepsOldFile)
{
    // The target is a non-empty folder: the rename fails after the temporary file is written.
    m_dir.Write("cfg/Model.ini/keep", "x");
    IniSettingsStore store(Path());
    store.SetAutoSave(false);
    store.WriteInt("S", "k", 1);
    EXPECT_FALSE(store.Save());
    EXPECT_FALSE(store.LastError().empty());
    EXPECT_EQ(FilesIn(m_dir / "cfg"), std::vector<std::string>{"Model.ini"});
    EXPECT_EQ(TempDir::Read(m_dir / "cfg/Model.ini/keep"), "x");
}

TEST_F(SettingsStore, AutoSaveOff)
{
    IniSettingsStore store(Path());
    store.SetAutoSave(false);
    store.WriteInt("S", "k", 1);
    EXPECT_FALSE(std::filesystem::exists(Path()));
    EXPECT_TRUE(store.Save());
    EXPECT_EQ(TempDir::Read(Path()), "[S]\nk=1\n");
}

TEST_F(SettingsStore, SaveKeepsFileMode)
{
    m_dir.Write("cfg/Model.ini", "[S]\nk=0\n");
    ::chmod(Path().c_str(), 0640);
    IniSettingsStore store(Path());
    ASSERT_TRUE(store.Load());
    store.WriteInt("S", "k", 1);
    struct stat st;
    ASSERT_EQ(::stat(Path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(SettingsStore, SaveWritesThroughSymlink)
{
    const std::string real = m_dir.Write("real.ini", "[S]\nk=0\n");
    std::filesystem::create_directories(m_dir / "cfg");
    std::filesystem::create_symlink(real, Path());
    IniSettingsStore store(Path());
    ASSERT_TRUE(store.Load());
    store.WriteInt("S", "k", 5);
    EXPECT_TRUE(std::filesystem::is_symlink(Path()));
    EXPECT_EQ(TempDir::Read(real), "[S]\nk=5\n");
}

TEST_F(SettingsStore, UnreadableFileGivesDefaultsAndMessage)
{
    std::filesystem::create_directories(Path()); // a folder where the file should be
    IniSettingsStore store(Path());
    EXPECT_FALSE(store.Load());
    EXPECT_FALSE(store.LastError().empty());
    EXPECT_EQ(store.ReadInt("S", "k", 7), 7);
}

TEST_F(SettingsStore, LoadReplacesContent)
{
    IniSettingsStore store(Path());
    store.SetAutoSave(false);
    store.WriteInt("S", "k", 1);
    ASSERT_TRUE(store.Load()); // file missing: empty again
    EXPECT_EQ(store.ReadInt("S", "k", 0), 0);
}

class ScopedEnv
{
public:
    ScopedEnv(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (m_old)
            ::setenv(m_name, m_old->c_str(), 1);
        else
            ::unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST(SettingsDefaultPath, FollowsXdgConfigHome)
{
    ScopedEnv xdg("XDG_CONFIG_HOME", "/tmp/xdg-test/");
    EXPECT_EQ(IniSettingsStore::DefaultPath(), "/tmp/xdg-test/Tallvik/Model.ini");
    EXPECT_EQ(IniSettingsStore::DefaultPath("Acme", "Tool"), "/tmp/xdg-test/Acme/Tool.ini");
}

TEST(SettingsDefaultPath, FallsBackToHomeConfig)
{
    ScopedEnv home("HOME", "/home/someone");
    for (const char* xdg : {static_cast<const char*>(nullptr), "", "relative/dir"}) {
        ScopedEnv env("XDG_CONFIG_HOME", xdg);
        EXPECT_EQ(IniSettingsStore::DefaultPath(), "/home/someone/.config/Tallvik/Model.ini");
    }
}

} // namespace
