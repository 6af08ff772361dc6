// The process-wide switches: defaults on an empty store and a round trip through the store.

#include "Switches.h"
#include "TempDir.h"
#include "settings/SettingsStore.h"

#include <gtest/gtest.h>

namespace {

TEST(SwitchesTest, EmptyStoreGivesEveryDefault)
{
    TempDir dir;
    platform::IniSettingsStore store(dir / "Model.ini");
    ASSERT_TRUE(store.Load());
    CSwitches switches;
    switches.useWindowInfo = 7; // overwritten by the load
    switches.Load(store);
    const CSwitches defaults;
    EXPECT_EQ(switches.useWindowInfo, 1);
    EXPECT_EQ(switches.useSavedFont, 1);
    EXPECT_EQ(switches.loadRelationsOnStartup, 0);
    EXPECT_EQ(switches.largeDataAlarm, 1);
    EXPECT_EQ(switches.showTooltipDetails, 0);
    EXPECT_EQ(switches.doNotShowRestoreTypeDialog, 1);
    EXPECT_EQ(switches.suppressInfoMessages, 1);
    EXPECT_EQ(switches.helpEngine, defaults.helpEngine);
}

TEST(SwitchesTest, SavedValuesComeBackUnderTheirKeys)
{
    TempDir dir;
    const std::string path = dir / "Model.ini";
    {
        platform::IniSettingsStore store(path);
        ASSERT_TRUE(store.Load());
        CSwitches switches;
        switches.autoSort = 1;
        switches.attribute = 2;
        switches.restoreType = 3;
        switches.showDebugTab = 1;
        switches.Save(store);
    }
    platform::IniSettingsStore store(path);
    ASSERT_TRUE(store.Load());
    EXPECT_EQ(store.ReadInt("settings", "auto sort", -1), 1);
    EXPECT_EQ(store.ReadInt("SETTINGS", "ATTRIBUTE", -1), 2);
    EXPECT_EQ(store.ReadInt("HISTORY", "RESTORE TYPE", -1), 3);
    EXPECT_EQ(store.ReadInt("SETTINGS", "SHOW DEBUG TAB", -1), 1);
    CSwitches loaded;
    loaded.Load(store);
    EXPECT_EQ(loaded.autoSort, 1);
    EXPECT_EQ(loaded.attribute, 2);
    EXPECT_EQ(loaded.restoreType, 3);
    EXPECT_EQ(loaded.useWindowInfo, 1);
}

} // namespace
