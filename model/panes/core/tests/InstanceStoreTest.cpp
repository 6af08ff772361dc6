// The compact instance store: what goes in comes back, sorting, group families, limits.

#include "InstanceStore.h"
#include "ModelTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Line
{
    std::string key;
    std::string text;
};

std::vector<std::string> Texts(const CInstanceStore& store)
{
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < store.Count(); ++i)
        texts.emplace_back(store.Text(i));
    return texts;
}

TEST(InstanceStore, KeepsEveryRecordAsGiven)
{
    CElement first, second;
    const std::vector<Line> lines = {
        {"K1", "Pump P-1^Berlin"},  {"", ""}, {"K3", "a ^ b ^"}, {"12", "x"},
        {"K5", "\xC4lv^\xE9t\xE9"},
    };
    CInstanceStore store;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        CInstanceRecord record{lines[i].key, lines[i].text, i < 3 ? &first : &second, -1};
        ASSERT_TRUE(store.AddInstance(std::move(record), nullptr));
    }
    ASSERT_EQ(store.Count(), lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(store.Key(i), lines[i].key);
        EXPECT_EQ(store.Text(i), lines[i].text);
        EXPECT_EQ(store.Element(i), i < 3 ? &first : &second);
        const CInstanceRecord copy = store.Record(i);
        EXPECT_EQ(copy.key, lines[i].key);
        EXPECT_EQ(copy.text, lines[i].text);
        EXPECT_EQ(copy.element, store.Element(i));
        EXPECT_EQ(copy.index, -1);
    }

    std::string value;
    ASSERT_TRUE(store.Value(2, 1, value));
    EXPECT_EQ(value, "b");
    ASSERT_TRUE(store.Value(2, 2, value));
    EXPECT_EQ(value, "");
    EXPECT_FALSE(store.Value(2, 3, value));
    EXPECT_FALSE(store.Value(0, -1, value));

    // Out of range: empty answers, no crash.
    EXPECT_EQ(store.Text(99), "");
    EXPECT_EQ(store.Element(99), nullptr);
    EXPECT_FALSE(store.Value(99, 0, value));

    store.Clear();
    EXPECT_EQ(store.Count(), 0u);
    EXPECT_EQ(store.MemoryBytes(), 0u);
    ASSERT_TRUE(store.Add("N", "new", &first));
    EXPECT_EQ(store.Text(0), "new");
    EXPECT_EQ(store.Key(0), "N");
}

TEST(InstanceStore, RowsAreSeparatedInTheArena)
{
    CInstanceStore store;
    store.Add("K1", "ab", nullptr);
    store.Add("K2", "cd", nullptr);
    EXPECT_EQ(store.Arena(), "ab\nK1\ncd\nK2\n");
    EXPECT_EQ(store.TextBegin(1), 6u);
    EXPECT_EQ(store.TextEnd(1), 8u);
    for (std::uint64_t offset = 0; offset < 6; ++offset)
        EXPECT_EQ(store.StorageRowAt(offset), 0u);
    for (std::uint64_t offset = 6; offset < 12; ++offset)
        EXPECT_EQ(store.StorageRowAt(offset, 1), 1u);
    // A hint past the offset is ignored rather than trusted.
    EXPECT_EQ(store.StorageRowAt(2, 1), 0u);
}

TEST(InstanceStore, StorageRowAtFindsEveryRowOfALargeStore)
{
    CInstanceStore store;
    std::vector<std::uint64_t> begins;
    for (int i = 0; i < 5000; ++i) {
        const std::string text(static_cast<std::size_t>(i % 7), 'x');
        begins.push_back(store.Arena().size());
        store.Add("K" + std::to_string(i), text, nullptr);
    }
    std::size_t hint = 0;
    for (std::size_t row = 0; row < begins.size(); row += 37) {
        hint = store.StorageRowAt(begins[row] + 1, hint);
        ASSERT_EQ(hint, row);
        EXPECT_EQ(store.StorageRowAt(begins[row]), row);
    }
}

struct SortCase
{
    const char* name;
    int autoSort;
    std::vector<std::string> texts;
    std::vector<std::string> listed;
};

class InstanceStoreSort : public ::testing::TestWithParam<SortCase>
{
};

TEST_P(InstanceStoreSort, ListsInTheExpectedOrder)
{
    const SortCase& c = GetParam();
    CInstanceStore store;
    for (std::size_t i = 0; i < c.texts.size(); ++i)
        store.Add("K" + std::to_string(i), c.texts[i], nullptr);
    ASSERT_TRUE(store.Sort(c.autoSort));
    EXPECT_EQ(Texts(store), c.listed);
    // Keys travel with their texts.
    for (std::size_t i = 0; i < store.Count(); ++i) {
        const std::size_t row = store.Row(i);
        EXPECT_EQ(store.Key(i), "K" + std::to_string(row));
        EXPECT_EQ(store.ListPosition(row), i);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Orders, InstanceStoreSort,
    ::testing::Values(SortCase{"LoadOrderKept", 0, {"b", "a", "c", "a"}, {"b", "a", "c", "a"}},
                      SortCase{"UnknownValueKeepsLoadOrder", 2, {"b", "a"}, {"b", "a"}},
                      SortCase{"FirstValueDecidesFirst",
                               1,
                               {"b^a", "a^z", "a^b", "ab^a"},
                               {"a^b", "a^z", "ab^a", "b^a"}},
                      SortCase{"HighBytesAfterAscii",
                               1,
                               {"\xC4pple", "zebra", "Apple", "apple", "\x80"},
                               {"Apple", "apple", "zebra", "\x80", "\xC4pple"}},
                      SortCase{"PrefixOfALongerTextFirst",
                               1,
                               {"abcdefghij", "abcdefgh", "abcdefghi", ""},
                               {"", "abcdefgh", "abcdefghi", "abcdefghij"}},
                      SortCase{"LongCommonPrefixes",
                               1,
                               {"Pump station 12^b", "Pump station 11^z", "Pump station 12^a"},
                               {"Pump station 11^z", "Pump station 12^a", "Pump station 12^b"}}),
    [](const ::testing::TestParamInfo<SortCase>& info) { return std::string(info.param.name); });

TEST(InstanceStore, SortIsStableAndCanBeUndone)
{
    CInstanceStore store;
    const char* const texts[] = {"same", "other", "same", "same", "a"};
    for (int i = 0; i < 5; ++i)
        store.Add("K" + std::to_string(i), texts[i], nullptr);
    ASSERT_TRUE(store.Sort(1));
    std::vector<std::string> keys;
    for (std::size_t i = 0; i < store.Count(); ++i)
        keys.emplace_back(store.Key(i));
    EXPECT_EQ(keys, (std::vector<std::string>{"K4", "K1", "K0", "K2", "K3"}));

    // Added after sorting: at the end of the list until the next sort.
    store.Add("K5", "0", nullptr);
    EXPECT_EQ(store.Text(5), "0");
    ASSERT_TRUE(store.Sort(1));
    EXPECT_EQ(store.Text(0), "0");

    ASSERT_TRUE(store.Sort(0));
    EXPECT_FALSE(store.Sorted());
    EXPECT_EQ(store.Key(0), "K0");
}

TEST(InstanceStore, RefusesWhatItCannotRecord)
{
    CInstanceStore store;
    EXPECT_FALSE(store.Add(std::string(70000, 'k'), "text", nullptr));
    EXPECT_EQ(store.Count(), 0u);
    EXPECT_TRUE(store.Arena().empty());

    // Element indexes are 16 bits wide: element number 65537 is refused, the rest kept.
    std::vector<CElement> elements(65537);
    for (std::size_t i = 0; i < 65536; ++i)
        ASSERT_TRUE(store.Add("K", "t", &elements[i]));
    const std::size_t arena = store.Arena().size();
    EXPECT_FALSE(store.Add("K", "t", &elements[65536]));
    EXPECT_EQ(store.Count(), 65536u);
    EXPECT_EQ(store.Arena().size(), arena);
    EXPECT_TRUE(store.Add("K", "again", &elements[7]));
    EXPECT_EQ(store.Element(65536), &elements[7]);
}

// A parent listed with its family: its own instances, then each enabled child's in group
// order; a child without an instance file is disabled and contributes nothing.
TEST(InstanceStore, FillsFromAGroupFamily)
{
    ModelFixture fixture;
    fixture.dir.Write("pumps.ins", "P1|Pump^Berlin\nP2|Pump^Oslo\n");
    fixture.dir.Write("centrifugal.ins", "C1|Centrifugal\n");
    fixture.dir.Write("inline.ins", "I1|Inline\n");
    ASSERT_TRUE(fixture.Open("[MODEL]\nPAGES=Main\n[DOCUMENTATION]\nCOLLECTION=I\n"
                             "[Main]\nSIZE=60,40\nELEMENT SIZE=4,2\n"
                             "E1=1,1,Pumps,0,pumps.ins,q,s,Id;Name\n"
                             "E2=1,10,Centrifugal,0,centrifugal.ins,q,s,Id\n"
                             "E3=10,10,Dosing,0,dosing.ins,q,s,Id\n"
                             "E4=1,20,Inline,0,inline.ins,q,s,Id\n"
                             "G1=2;3;5;2,0,E1,E3;E2\n"
                             "G2=2;13;5;2,0,E2,E4\n"));
    CElement* pumps = fixture.Element(0, 0);
    ASSERT_EQ(fixture.Element(0, 2)->enabled, 0);

    CInstanceStore store;
    LoadInstanceTree(fixture.doc, pumps, nullptr, store);
    EXPECT_EQ(Texts(store),
              (std::vector<std::string>{"Pump^Berlin", "Pump^Oslo", "Centrifugal", "Inline"}));
    EXPECT_EQ(store.Element(0), pumps);
    EXPECT_EQ(store.Element(2), fixture.Element(0, 1));
    EXPECT_EQ(store.Element(3), fixture.Element(0, 3));
    EXPECT_EQ(store.Key(3), "I1");
    EXPECT_TRUE(fixture.prompter.MessageNumbers().empty());
}

} // namespace
