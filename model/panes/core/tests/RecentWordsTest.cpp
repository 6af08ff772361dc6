// The recent words of the find box and their section in the settings store.

#include "RecentWords.h"
#include "TempDir.h"
#include "settings/MemorySettingsStore.h"
#include "settings/SettingsStore.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Words = std::vector<std::string>;
constexpr const char* kSection = "RECENT FIND LIST";

TEST(RecentWords, PushPutsTheWordFirstOnce)
{
    CRecentWords words;
    words.Push("pump");
    words.Push("valve");
    words.Push("");
    EXPECT_EQ(words.Words(), (Words{"valve", "pump"}));
    // An entry equal ignoring case goes; the new spelling is kept.
    words.Push("PUMP");
    EXPECT_EQ(words.Words(), (Words{"PUMP", "valve"}));
    // Only ASCII letters fold.
    words.Push("\xC4pple");
    words.Push("\xE4pple");
    EXPECT_EQ(words.Words(), (Words{"\xE4pple", "\xC4pple", "PUMP", "valve"}));
}

TEST(RecentWords, NeverMoreThan19AfterAPush)
{
    CRecentWords words;
    for (int i = 1; i <= 21; ++i) {
        words.Push("w" + std::to_string(i));
        EXPECT_LE(words.Words().size(), 19u);
    }
    ASSERT_EQ(words.Words().size(), 19u);
    EXPECT_EQ(words.Words().front(), "w21");
    EXPECT_EQ(words.Words().back(), "w3"); // w1 and w2 were pushed out
}

TEST(RecentWords, LoadsUpToTwentyAndStopsAtAGap)
{
    platform::MemorySettingsStore store;
    for (int i = 1; i <= 22; ++i)
        store.WriteString(kSection, std::to_string(i), "w" + std::to_string(i));
    CRecentWords words;
    words.Load(store);
    ASSERT_EQ(words.Words().size(), 20u);
    EXPECT_EQ(words.Words().back(), "w20");
    // A push on a full list of 20 leaves 19.
    words.Push("new");
    EXPECT_EQ(words.Words().size(), 19u);
    EXPECT_EQ(words.Words().back(), "w18");

    store.WriteString(kSection, "3", std::string());
    words.Load(store);
    EXPECT_EQ(words.Words(), (Words{"w1", "w2"}));
    store.WriteString(kSection, "1", std::nullopt);
    words.Load(store);
    EXPECT_TRUE(words.Words().empty());
}

TEST(RecentWords, SaveReplacesTheWholeSection)
{
    TempDir dir;
    platform::IniSettingsStore ini(dir / "Model.ini");
    platform::MemorySettingsStore memory;
    for (platform::ISettingsStore* store : {static_cast<platform::ISettingsStore*>(&ini),
                                            static_cast<platform::ISettingsStore*>(&memory)}) {
        for (int i = 1; i <= 5; ++i)
            store->WriteString(kSection, std::to_string(i), "old" + std::to_string(i));
        store->WriteString(kSection, "OTHER", "x");
        store->WriteString("SETTINGS", "MATCH CASE", "1");

        CRecentWords words;
        words.Push("b");
        words.Push("a");
        words.Save(*store);
        EXPECT_EQ(store->ReadString(kSection, "1", ""), "a");
        EXPECT_EQ(store->ReadString(kSection, "2", ""), "b");
        EXPECT_EQ(store->ReadString(kSection, "3", "gone"), "gone");
        EXPECT_EQ(store->ReadString(kSection, "OTHER", "gone"), "gone");
        EXPECT_EQ(store->ReadString("SETTINGS", "MATCH CASE", ""), "1");

        CRecentWords again;
        again.Load(*store);
        EXPECT_EQ(again.Words(), words.Words());
    }
    // The file itself holds the new section only.
    platform::IniSettingsStore reread(dir / "Model.ini");
    ASSERT_TRUE(reread.Load());
    EXPECT_EQ(reread.ReadString(kSection, "1", ""), "a");
    EXPECT_EQ(reread.ReadString(kSection, "4", "gone"), "gone");
}

} // namespace
