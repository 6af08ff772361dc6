// The compact instance store: what goes in comes back, sorting, group families, limits.

#include "InstanceStore.h"
#include "ModelTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace {

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
    const std::vector<std::pair<std::string, std::string>> lines = {
        {"K1", "Pump P-1^Berlin"}, {"", ""}, {"K3", "a ^ b ^"}, {"K5", "\xC4lv^\xE9t\xE9"}};
    CInstanceStore store;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        CInstanceRecord record{lines[i].first, lines[i].second, i < 2 ? &first : &second, -1};
        ASSERT_TRUE(store.AddInstance(std::move(record), nullptr));
    }
    ASSERT_EQ(store.Count(), lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const CInstanceRecord copy = store.Record(i);
        EXPECT_EQ(copy.key, lines[i].first);
        EXPECT_EQ(copy.text, lines[i].second);
        EXPECT_EQ(copy.element, i < 2 ? &first : &second);
        EXPECT_EQ(copy.index, -1);
    }
    std::string value;
    ASSERT_TRUE(store.Value(2, 1, value));
    EXPECT_EQ(value, "b");
    EXPECT_FALSE(store.Value(2, 3, value));
    EXPECT_FALSE(store.Value(0, -1, value));
    EXPECT_FALSE(store.Value(99, 0, value));
    EXPECT_EQ(store.Text(99), "");

    store.Clear();
    EXPECT_EQ(store.MemoryBytes(), 0u);
    ASSERT_TRUE(store.Add("N", "new", &first));
    EXPECT_EQ(store.Key(0), "N");
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
    for (std::size_t i = 0; i < store.Count(); ++i) {
        EXPECT_EQ(store.Key(i), "K" + std::to_string(store.Row(i))); // keys go with texts
        EXPECT_EQ(store.ListPosition(store.Row(i)), i);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Orders, InstanceStoreSort,
    ::testing::Values(
        SortCase{"LoadOrderKept", 0, {"b", "a", "c", "a"}, {"b", "a", "c", "a"}},
        SortCase{"FirstValueDecidesFirst",
                 1,
                 {"b^a", "a^z", "a^b", "ab^a"},
                 {"a^b", "a^z", "ab^a", "b^a"}},
        SortCase{"HighBytesAfterAscii",
                 1,
                 {"\xC4pple", "zebra", "Apple", "apple", "\x80"},
                 {"Apple", "apple", "zebra", "\x80", "\xC4pple"}},
        // Texts that agree over one or more 16-byte windows, and ones that end inside them.
        SortCase{"LongCommonPrefixes",
                 1,
                 {"Pump station 12 north^b", "Pump station 12 north", "", "Pump station 11^z",
                  "Pump station 12 north^a", "Pump station 12 nort", "Pump station 12 north\x01"},
                 {"", "Pump station 11^z", "Pump station 12 nort", "Pump station 12 north",
                  "Pump station 12 north\x01", "Pump station 12 north^a",
                  "Pump station 12 north^b"}}),
    [](const ::testing::TestParamInfo<SortCase>& info) { return std::string(info.param.name); });

TEST(InstanceStore, SortIsStableAndCanBeUndone)
{
    CInstanceStore store;
    for (const char* text : {"same", "other", "same", "same", "a"})
        store.Add("K" + std::to_string(store.Count()), text, nullptr);
    ASSERT_TRUE(store.Sort(1));
    std::vector<std::string> keys;
    for (std::size_t i = 0; i < store.Count(); ++i)
        keys.emplace_back(store.Key(i));
    EXPECT_EQ(keys, (std::vector<std::string>{"K4", "K1", "K0", "K2", "K3"}));

    store.Add("K5", "0", nullptr); // at the end of the list until the next sort
    EXPECT_EQ(store.Text(5), "0");
    ASSERT_TRUE(store.Sort(0));
    EXPECT_EQ(store.Key(0), "K0");
}

TEST(InstanceStore, RefusesWhatItCannotRecord)
{
    CInstanceStore store;
    EXPECT_FALSE(store.Add(std::string(70000, 'k'), "text", nullptr));
    EXPECT_TRUE(store.Arena().empty());

    // Element indexes are 16 bits wide: the 65537th element is refused, the rest kept.
    std::vector<CElement> elements(65537);
    for (std::size_t i = 0; i < 65536; ++i)
        ASSERT_TRUE(store.Add("K", "t", &elements[i]));
    EXPECT_FALSE(store.Add("K", "t", &elements[65536]));
    EXPECT_EQ(store.Count(), 65536u);
    EXPECT_TRUE(store.Add("K", "again", &elements[7]));
    EXPECT_EQ(store.Element(65536), &elements[7]);
}

#if !defined(__SANITIZE_ADDRESS__)
// In a child process whose address space is capped a little above what it uses: adding must
// stop with false (nothing thrown), keep what was added, and sorting must still answer.
void FillUntilMemoryRunsOut()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    long long sizeKb = -1;
    while (std::getline(status, line)) {
        if (line.rfind("VmSize:", 0) == 0)
            sizeKb = std::stoll(line.substr(7));
    }
    const rlim_t cap = static_cast<rlim_t>(sizeKb + 48 * 1024) * 1024;
    const rlimit limit{cap, cap};
    if (sizeKb < 0 || ::setrlimit(RLIMIT_AS, &limit) != 0)
        std::_Exit(2);

    CInstanceStore store;
    const std::string text(1000, 't');
    std::size_t added = 0;
    while (added < 1'000'000 && store.Add("K" + std::to_string(added), text, nullptr))
        ++added;
    if (added == 0 || added == 1'000'000 || store.Count() != added ||
        store.Key(added - 1) != "K" + std::to_string(added - 1))
        std::_Exit(3);
    store.Sort(1);
    std::_Exit(store.Count() == added && store.Text(0) == text ? 0 : 4);
}

TEST(InstanceStore, RunningOutOfMemoryIsAnAnswerNotAnException)
{
    EXPECT_EXIT(FillUntilMemoryRunsOut(), ::testing::ExitedWithCode(0), "");
}
#endif

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
    ASSERT_EQ(fixture.Element(0, 2)->enabled, 0);

    CInstanceStore store;
    LoadInstanceTree(fixture.doc, fixture.Element(0, 0), nullptr, store);
    EXPECT_EQ(Texts(store),
              (std::vector<std::string>{"Pump^Berlin", "Pump^Oslo", "Centrifugal", "Inline"}));
    EXPECT_EQ(store.Element(1), fixture.Element(0, 0));
    EXPECT_EQ(store.Element(2), fixture.Element(0, 1));
    EXPECT_EQ(store.Element(3), fixture.Element(0, 3));
    EXPECT_EQ(store.Key(3), "I1");
    EXPECT_TRUE(fixture.prompter.MessageNumbers().empty());
}

} // namespace
