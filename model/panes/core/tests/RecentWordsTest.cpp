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
    for (const char* word : {"pump", "valve", "", "PUMP", "\xC4pple", "\xE4pple"})
        words.Push(word);
    // The entry equal ignoring ASCII case goes, the new spelling stays; other bytes do not fold.
    EXPECT_EQ(words.Words(), (Words{"\xE4pple", "\xC4pple", "PUMP", "valve"}));
}

TEST(RecentWords, TwentyCanBeReadButAPushLeaves19)
{
    CRecentWords words;
    for (int i = 1; i <= 21; ++i)
        words.Push("w" + std::to_string(i));
    ASSERT_EQ(words.Words().size(), 19u);
    EXPECT_EQ(words.Words().back(), "w3"); // the oldest were pushed out

    platform::MemorySettingsStore store;
    for (int i = 1; i <= 22; ++i)
        store.WriteString(kSection, std::to_string(i), "w" + std::to_string(i));
    words.Load(store);
    ASSERT_EQ(words.Words().size(), 20u);
    words.Push("new");
    EXPECT_EQ(words.Words().size(), 19u);

    store.WriteString(kSection, "3", std::string()); // an empty key ends the list
    words.Load(store);
    EXPECT_EQ(words.Words(), (Words{"w1", "w2"}));
}

TEST(RecentWords, SaveReplacesTheWholeSection)
{
    TempDir dir;
    platform::IniSettingsStore ini(dir / "Model.ini");
    platform::MemorySettingsStore memory;
    for (platform::ISettingsStore* store : {static_cast<platform::ISettingsStore*>(&ini),
                                            static_cast<platform::ISettingsStore*>(&memory)}) {
        for (int i = 1; i <= 5; ++i)
            store->WriteString(kSection, std::to_string(i), "old");
        store->WriteString("SETTINGS", "MATCH CASE", "1");

        CRecentWords words;
        words.Push("b");
        words.Push("a");
        words.Save(*store);
        EXPECT_EQ(store->ReadString(kSection, "3", "gone"), "gone");
        EXPECT_EQ(store->ReadString("SETTINGS", "MATCH CASE", ""), "1");
        CRecentWords again;
        again.Load(*store);
        EXPECT_EQ(again.Words(), (Words{"a", "b"}));
    }
    platform::IniSettingsStore reread(dir / "Model.ini");
    ASSERT_TRUE(reread.Load());
    EXPECT_EQ(reread.ReadString(kSection, "4", "gone"), "gone");
}

} // namespace
