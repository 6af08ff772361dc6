#include "DocumentationLink.h"

#include "TempDir.h"
#include "settings/SettingsStore.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

class DocumentationLinkTest : public ::testing::Test
{
protected:
    void SetUp() override { link.SetProgramDirectory("/opt/model"); }

    TempDir dir;
    platform::IniSettingsStore store{dir / "Model.ini"};
    CDocumentationLink link;
};

TEST_F(DocumentationLinkTest, EmptyStoreGivesTheViewerDefaults)
{
    EXPECT_EQ(link.Loaded(), 0);
    EXPECT_EQ(link.DocumentationService(), 1);
    link.LoadSettings(store);
    EXPECT_EQ(link.Loaded(), 1);
    EXPECT_EQ(link.ViewerProgram(), "/opt/model/ZELIO.EXE");
    EXPECT_EQ(link.ClassName(), "ZELWIN");
    EXPECT_EQ(link.DdeService(), "ZELIO");
    EXPECT_EQ(link.DdeTopic(), "OBU");
    EXPECT_EQ(link.TimeoutIndex(), 4);
    EXPECT_EQ(link.Timeout(), 5000);
    EXPECT_EQ(link.SleepIndex(), 5);
    EXPECT_EQ(link.Sleep(), 5000);
    EXPECT_EQ(link.ShowMode(), 0);
    EXPECT_EQ(link.ShowCommand(), 1);
    EXPECT_EQ(CDocumentationLink::ViewerDefault(6), "CORVELLE.INI");
    EXPECT_EQ(CDocumentationLink::ViewerDefault(7), "ZELIO");
    EXPECT_EQ(CDocumentationLink::ViewerDefault(13), "2_0");
    EXPECT_EQ(CDocumentationLink::ViewerDefault(14), "");
    EXPECT_EQ(CDocumentationLink::ViewerDefault(0), "");
}

TEST_F(DocumentationLinkTest, ProgramDirectoryIsJoinedWithOneSeparator)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/opt/model", "/opt/model/ZELIO.EXE"},
        {"/opt/model/", "/opt/model/ZELIO.EXE"},
        {"C:\\Model\\", "C:\\Model\\ZELIO.EXE"},
        {"", "ZELIO.EXE"},
    };
    for (const auto& [directory, expected] : cases) {
        link.SetProgramDirectory(directory);
        EXPECT_EQ(link.DefaultViewerProgram(), expected);
        link.LoadDefaults();
        EXPECT_EQ(link.ViewerProgram(), expected);
    }
}

TEST_F(DocumentationLinkTest, EmptyProgramIsReplacedButOtherEmptyTextsStay)
{
    store.WriteString("DOCUMENTATION", "PROGRAM", "");
    store.WriteString("DOCUMENTATION", "CLASS NAME", "");
    store.WriteString("DOCUMENTATION", "DDE TOPIC", "Other");
    link.LoadSettings(store);
    EXPECT_EQ(link.ViewerProgram(), "/opt/model/ZELIO.EXE");
    EXPECT_EQ(link.ClassName(), "");
    EXPECT_EQ(link.DdeService(), "ZELIO");
    EXPECT_EQ(link.DdeTopic(), "Other");
}

TEST_F(DocumentationLinkTest, StoredIndexesOutsideTheirTablesGiveTheDefaults)
{
    struct Case
    {
        const char* timeout;
        const char* sleep;
        int timeoutIndex, sleepIndex;
    };
    const Case cases[] = {
        {"-1", "0", 4, 0},
        {"0", "16", 0, 16},
        {"15", "17", 15, 5},
        {"16", "-1", 4, 5},
        {"-2", "999", 4, 5},
        {"abc", "2147483647", 4, 5},
        {"99999999999999", "-2147483648", 4, 5},
    };
    for (const Case& c : cases) {
        store.WriteString("DOCUMENTATION", "DDE TIMEOUT", std::string(c.timeout));
        store.WriteString("DOCUMENTATION", "DDE SLEEP", std::string(c.sleep));
        link.LoadSettings(store);
        EXPECT_EQ(link.TimeoutIndex(), c.timeoutIndex) << c.timeout;
        EXPECT_EQ(link.SleepIndex(), c.sleepIndex) << c.sleep;
    }
}

TEST_F(DocumentationLinkTest, SaveWritesEveryKeyInOrderAndOtherFlagsReload)
{
    link.LoadSettings(store);
    link.SetViewerProgram("/usr/bin/zelio");
    link.SetClassName("");
    link.SetDdeTopic("TOPIC");
    ASSERT_TRUE(link.SetTimeoutIndex(15));
    ASSERT_TRUE(link.SetSleepIndex(0));
    link.SaveSettings(1, store);

    const std::string file = TempDir::Read(store.Path());
    const char* keys[] = {
        "PROGRAM=", "CLASS NAME=", "DDE PROGRAM=", "DDE TOPIC=", "DDE TIMEOUT=", "DDE SLEEP="};
    std::size_t last = 0;
    for (const char* key : keys) {
        const std::size_t at = file.find(key, last);
        ASSERT_NE(at, std::string::npos) << key << " after offset " << last << " in\n" << file;
        last = at;
    }
    EXPECT_EQ(store.ReadString("DOCUMENTATION", "PROGRAM", "absent"), "/usr/bin/zelio");
    EXPECT_EQ(store.ReadString("DOCUMENTATION", "CLASS NAME", "absent"), "");
    EXPECT_EQ(store.ReadString("DOCUMENTATION", "DDE PROGRAM", "absent"), "ZELIO");
    EXPECT_EQ(store.ReadInt("DOCUMENTATION", "DDE TIMEOUT", -7), 15);
    EXPECT_EQ(store.ReadInt("DOCUMENTATION", "DDE SLEEP", -7), 0);

    // Any flag other than 1 throws away unsaved edits by reading the store again.
    link.SetDdeService("EDITED");
    link.SetTimeoutIndex(1);
    link.SaveSettings(0, store);
    EXPECT_EQ(link.DdeService(), "ZELIO");
    EXPECT_EQ(link.TimeoutIndex(), 15);
    link.SetDdeService("EDITED");
    link.SaveSettings(2, store);
    EXPECT_EQ(link.DdeService(), "ZELIO");
    EXPECT_EQ(store.ReadString("DOCUMENTATION", "DDE PROGRAM", "absent"), "ZELIO");

    CDocumentationLink fresh;
    EXPECT_EQ(fresh.Loaded(), 0);
    fresh.SaveSettings(0, store);
    EXPECT_EQ(fresh.Loaded(), 1);
    EXPECT_EQ(fresh.ViewerProgram(), "/usr/bin/zelio");
}

TEST_F(DocumentationLinkTest, LoadDefaultsResetsEverySettingButNotTheLoadedFlag)
{
    link.SetViewerProgram("x");
    link.SetClassName("x");
    link.SetDdeService("x");
    link.SetDdeTopic("x");
    link.SetTimeoutIndex(0);
    link.SetSleepIndex(0);
    ASSERT_TRUE(link.SetShowMode(2));
    link.LoadDefaults();
    EXPECT_EQ(link.ViewerProgram(), "/opt/model/ZELIO.EXE");
    EXPECT_EQ(link.ClassName(), "ZELWIN");
    EXPECT_EQ(link.DdeService(), "ZELIO");
    EXPECT_EQ(link.DdeTopic(), "OBU");
    EXPECT_EQ(link.TimeoutIndex(), 4);
    EXPECT_EQ(link.SleepIndex(), 5);
    EXPECT_EQ(link.ShowMode(), 0);
    EXPECT_EQ(link.Loaded(), 0);

    // The show mode is not a stored setting: loading leaves it alone.
    link.SetShowMode(1);
    link.LoadSettings(store);
    EXPECT_EQ(link.ShowMode(), 1);
    EXPECT_EQ(link.ShowCommand(), 6);
}

TEST(DocumentationLinkTables, EntriesTextsAndClampedLookups)
{
    using L = CDocumentationLink;
    const std::pair<int, const char*> timeouts[] = {
        {0, "1 second"},    {1, "2 seconds"}, {9, "10 seconds"}, {10, "15 seconds"},
        {14, "50 seconds"}, {15, "1 minute"}, {-3, "1 second"},  {16, "1 minute"}};
    for (const auto& [index, text] : timeouts)
        EXPECT_EQ(L::TimeoutText(index), text) << index;
    const std::pair<int, const char*> sleeps[] = {
        {0, "0 seconds"}, {1, "1 second"},  {2, "2 seconds"}, {11, "15 seconds"},
        {16, "1 minute"}, {17, "1 minute"}, {-1, "0 seconds"}};
    for (const auto& [index, text] : sleeps)
        EXPECT_EQ(L::SleepText(index), text) << index;
    EXPECT_EQ(L::TimeoutMilliseconds(12), 30000);
    EXPECT_EQ(L::SleepMilliseconds(12), 20000);
    EXPECT_EQ(L::TimeoutMilliseconds(1 << 30), 60000);
    EXPECT_EQ(L::ShowCommandOf(1), 6);
    EXPECT_EQ(L::ShowCommandOf(2), 3);
    EXPECT_EQ(L::ShowName(1), "Minimized");
    EXPECT_EQ(L::ShowName(2), "Maximized");
    EXPECT_EQ(L::ShowName(7), "Maximized");

    CDocumentationLink link;
    EXPECT_FALSE(link.SetTimeoutIndex(16));
    EXPECT_FALSE(link.SetSleepIndex(-1));
    EXPECT_FALSE(link.SetShowMode(3));
    EXPECT_EQ(link.TimeoutIndex(), 4);
    EXPECT_EQ(link.SleepIndex(), 5);
    EXPECT_EQ(link.ShowMode(), 0);
    link.DisableDocumentationService();
    EXPECT_EQ(link.DocumentationService(), 0);
}

} // namespace
