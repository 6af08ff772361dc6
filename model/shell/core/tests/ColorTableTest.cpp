#include "ColorTable.h"

#include "TempDir.h"
#include "settings/SettingsStore.h"

#include <gtest/gtest.h>

namespace {

class ColorTableTest : public ::testing::Test
{
protected:
    TempDir dir;
    platform::IniSettingsStore store{dir / "Model.ini"};
    CColorTable table;
};

TEST_F(ColorTableTest, EmptyStoreGivesDefaultsAndWritesNothing)
{
    table.Load(store);
    EXPECT_EQ(table.Color("TEXT JUMP"), 255u);
    EXPECT_EQ(table.Color("BACKGROUND MODEL VIEW"), 12632256u);
    EXPECT_EQ(table.Color("BACKGROUND PROPERTY VIEW"), 12632256u);
    EXPECT_EQ(table.Color("COLOR GRAYTEXT"), 8421504u); // with the blank
    EXPECT_FALSE(table.Has("COLOR_GRAYTEXT"));
    EXPECT_EQ(table.Color("NO SUCH KEY"), 0u);
    EXPECT_EQ(table.Item("NO SUCH KEY"), nullptr);
    table.Save(store);
    ASSERT_TRUE(store.Save());
    platform::IniSettingsStore reread(store.Path());
    ASSERT_TRUE(reread.Load());
    for (const auto& item : CColorTable::StoredItems())
        EXPECT_EQ(reread.ReadString("COLOR", item.key, "absent"), "absent") << item.key;
}

TEST_F(ColorTableTest, OnlyChangedColoursAreWrittenAndChangingBackDeletes)
{
    table.Load(store);
    ASSERT_TRUE(table.Set(table.KeyOfDisplayName("jump text"), 16711680));
    table.Save(store);
    EXPECT_EQ(store.ReadString("COLOR", "TEXT JUMP", ""), "16711680");
    EXPECT_EQ(store.ReadString("COLOR", "TEXT ELEMENT", "absent"), "absent");

    CColorTable again;
    again.Load(store);
    EXPECT_EQ(again.Color("TEXT JUMP"), 16711680u);
    EXPECT_EQ(again.Item("TEXT JUMP")->defaultValue, 255u);
    EXPECT_EQ(again.Item("TEXT JUMP")->displayName, "Jump Text");

    ASSERT_TRUE(again.Set("TEXT JUMP", 255));
    again.Save(store);
    EXPECT_EQ(store.ReadString("COLOR", "TEXT JUMP", "absent"), "absent");
}

TEST_F(ColorTableTest, SystemColoursAreTakenButNeverStored)
{
    store.WriteString("COLOR", "COLOR_WINDOW", "123"); // never read for a named colour
    table.Load(store, {{"COLOR_WINDOW", MakeColorRef(1, 2, 3)}});
    EXPECT_EQ(table.Color("COLOR_WINDOW"), MakeColorRef(1, 2, 3));
    EXPECT_EQ(table.Item("COLOR_WINDOW")->defaultValue, 16777215u);
    EXPECT_EQ(table.Color("COLOR_HIGHLIGHT"), 8388608u); // not given: its default
    table.Save(store);
    EXPECT_EQ(store.ReadString("COLOR", "COLOR_WINDOW", "absent"), "absent");
}

TEST_F(ColorTableTest, BadStoredValuesAndLookups)
{
    store.WriteString("COLOR", "TEXT ELEMENT", "red");
    store.WriteString("COLOR", "TEXT VISITED", "  42xyz");
    table.Load(store);
    EXPECT_EQ(table.Color("TEXT ELEMENT"), 0u);
    EXPECT_EQ(table.Color("TEXT VISITED"), 42u);
    EXPECT_EQ(table.KeyOfDisplayName("MODEL BACKGROUND"), "BACKGROUND MODEL VIEW");
    EXPECT_EQ(table.KeyOfDisplayName("nothing"), "");
    EXPECT_EQ(table.KeyOfDisplayName(""), ""); // unlisted items have no display name
    EXPECT_FALSE(table.Set("NO SUCH KEY", 1));
    EXPECT_TRUE(table.Add("TEXT ELEMENT", 7, 7, "x", 0)); // existing key: unchanged
    EXPECT_EQ(table.Color("TEXT ELEMENT"), 0u);
}

TEST_F(ColorTableTest, NearestColourMapsValuesAndDefaults)
{
    table.SetNearestColor([](ColorRef c) { return c & 0xF0F0F0; });
    table.Load(store);
    EXPECT_EQ(table.Color("TEXT DISABLED"), 12632256u & 0xF0F0F0);
    table.Set("TEXT DISABLED", 0x0F0F0F);
    EXPECT_EQ(table.Color("TEXT DISABLED"), 0u);
}

} // namespace
