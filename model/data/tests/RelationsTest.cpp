// Relation files: reading both maps, the large-file question, counting and listing modes.

#include "Messages.h"
#include "ModelTestSupport.h"
#include "RelationMap.h"
#include "StringUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <utility>

namespace {

using platform::Answer;

// Page Main: A (a.ins) linked to B (b.ins) by L1 with relation file ab.rel; C is a child of
// A's group and linked to B by L2.
const char kModel[] = "[MODEL]\nPAGES=Main\n[DOCUMENTATION]\nCOLLECTION=R\n"
                      "[Main]\nSIZE=40,40\nELEMENT SIZE=4,2\n"
                      "E1=1,1,A,0,a.ins,q,s,Id\n"
                      "E2=20,1,B,0,b.ins,q,s,Id\n"
                      "E3=1,20,C,0,c.ins,q,s,Id\n"
                      "G1=2;3;5;2,0,E1,E3\n"
                      "L1=E1,E2,0,2,ab.rel,5;1,1;10\n"
                      "L2=E3,E2,0,2,cb.rel,5;20,1;10\n"
                      "S1=10,1,0,0,2,L1;2\n"
                      "S2=10,20,0,0,2,L2;6\n";

class RelationsTest : public ::testing::Test, public ModelFixture
{
protected:
    void SetUp() override
    {
        dir.Write("a.ins", "A1|x\nA2|y\n");
        dir.Write("b.ins", "B1|x\nB2|y\nB3|z\n");
        dir.Write("c.ins", "C1|x\n");
        dir.Write("ab.rel", "a1,b1\na1,b2\na2,b1\n");
        dir.Write("cb.rel", "C1,B3\n");
        ASSERT_TRUE(Open(kModel));
    }
    CLink& Link(int n) { return *doc.PageAt(0)->links[static_cast<std::size_t>(n)]; }
    CElement* A() { return Element(0, 0); }
    CElement* B() { return Element(0, 1); }
    CElement* C() { return Element(0, 2); }

    static std::vector<std::string> Values(const CRelationMap& map, const std::string& key)
    {
        std::vector<std::string_view> views;
        std::vector<std::string> values;
        if (map.Lookup(key, views))
            values.assign(views.begin(), views.end());
        return values;
    }
};

TEST_F(RelationsTest, LinesFillBothMapsUpperCased)
{
    dir.Write("ab.rel", "a,b\n"
                        " a ,c\n"
                        "A,C\n"
                        "A,C\n"
                        "D\n"
                        "A,X,F\n"
                        "E12,X\n"
                        "Y,M3\n"
                        "p;q\n"
                        "\n"
                        "last,line");
    ASSERT_EQ(Link(0).LoadRelations(context), 1);
    const CRelationMap& byFirst = Link(0).maps[0];
    const CRelationMap& bySecond = Link(0).maps[1];
    EXPECT_EQ(Values(byFirst, "A"), (std::vector<std::string>{"B", "C", "C", "X"}));
    EXPECT_EQ(Values(byFirst, " A "), std::vector<std::string>{"C"}); // blanks are kept
    EXPECT_EQ(Values(byFirst, "D"), std::vector<std::string>{""});    // missing field 2
    EXPECT_EQ(Values(bySecond, "B"), std::vector<std::string>{"A"});
    EXPECT_EQ(Values(bySecond, "C"), (std::vector<std::string>{" A ", "A", "A"}));
    EXPECT_EQ(Values(byFirst, "LAST"), std::vector<std::string>{"LINE"}); // no final line end
    EXPECT_FALSE(byFirst.Contains("E12"));
    EXPECT_FALSE(byFirst.Contains("Y"));
    EXPECT_FALSE(byFirst.Contains("P;Q"));
    EXPECT_EQ(byFirst.KeyCount(), 4); // A, " A ", D, LAST
    EXPECT_EQ(bySecond.Count("C"), 3);
}

TEST_F(RelationsTest, ReadingShowsProgressAndRestoresTheStatus)
{
    ASSERT_EQ(Link(0).LoadRelations(context), 1);
    EXPECT_EQ(statusBar.texts.at(statusBar.texts.size() - 2), "Reading Relation File: A/B ");
    EXPECT_EQ(statusBar.Text(), "Ready");
    EXPECT_EQ(statusBar.barsCreated, statusBar.barsDestroyed);
    ASSERT_FALSE(statusBar.positions.empty());
    EXPECT_EQ(statusBar.positions.back(), 100);
    EXPECT_TRUE(std::is_sorted(statusBar.positions.begin(), statusBar.positions.end()));
}

TEST_F(RelationsTest, MissingFileFailsSilentlyAndSetsTheErrorFlagWhenCounting)
{
    std::filesystem::remove(dir / "ab.rel");
    EXPECT_EQ(Link(0).LoadRelations(context), 0);
    EXPECT_EQ(Link(0).CountRelations(context, A(), nullptr), 0);
    EXPECT_EQ(Link(0).errorFlag, 1);
    EXPECT_TRUE(prompter.MessageNumbers().empty());
    std::vector<std::string_view> values;
    EXPECT_FALSE(Link(0).RelatedValues(context, A(), "A1", values));
}

TEST_F(RelationsTest, CountsFromEitherEndWithAndWithoutKey)
{
    CLink& link = Link(0);
    EXPECT_EQ(link.CountRelations(context, A(), nullptr), 2); // B1, B2 have relations
    EXPECT_EQ(link.fromElement, A());
    EXPECT_EQ(link.recordedKey, "");
    const std::string a1 = "A1", a2 = "A2", lower = "a1", b1 = "B1";
    EXPECT_EQ(link.CountRelations(context, A(), &a1), 2);
    EXPECT_EQ(link.recordedKey, "A1");
    EXPECT_EQ(link.CountRelations(context, A(), &a2), 1);
    EXPECT_EQ(link.CountRelations(context, A(), &lower), 0); // keys are stored upper-cased
    EXPECT_EQ(link.CountRelations(context, B(), &b1), 2);
    EXPECT_EQ(link.CountRelations(context, B(), nullptr), 2); // A1, A2
    EXPECT_EQ(link.fromElement, B());
    EXPECT_EQ(link.CountRelations(context, C(), nullptr), 0); // not an end
    EXPECT_EQ(link.fromElement, B());
}

TEST_F(RelationsTest, LargeFileAsksOnlyInsideARequestScope)
{
    // 199999 bytes load without a question, 200000 bytes ask.
    auto fill = [&](std::size_t bytes) {
        std::string text;
        while (text.size() + 8 <= bytes)
            text += "A1,B1\n";
        text.append(bytes - text.size(), 'x');
        dir.Write("ab.rel", text);
    };
    context.switches.largeDataAlarm = 1;
    {
        CRequestScopeGuard scope(context.requestScope);
        fill(199999);
        EXPECT_EQ(Link(0).EnsureRelations(context, 0), 1);
        EXPECT_TRUE(prompter.MessageNumbers().empty());
    }
    Link(0).maps[0].Clear();
    Link(0).maps[1].Clear();
    fill(200000);
    EXPECT_EQ(Link(0).EnsureRelations(context, 0), 1); // no scope: no question
    EXPECT_TRUE(prompter.MessageNumbers().empty());
    Link(0).maps[0].Clear();
    Link(0).maps[1].Clear();

    CRequestScopeGuard scope(context.requestScope);
    prompter.PushAnswer(Answer::Yes);
    EXPECT_EQ(Link(0).EnsureRelations(context, 0), -1);
    ASSERT_EQ(prompter.MessageNumbers(), std::vector<int>{5040});
    EXPECT_EQ(prompter.MessageTexts()[0],
              "The relation file between 'A' and 'B'  is quite large and it may take several "
              "minutes to complete the load. Do you want to SKIP the loading process?");
    EXPECT_EQ(prompter.Events()[0].beep, platform::BeepType::Question);
    // Skipped for the rest of the scope without another question; counters keep -1.
    EXPECT_EQ(Link(0).CountRelations(context, A(), nullptr), -1);
    EXPECT_EQ(prompter.MessageNumbers().size(), 1u);
    doc.CountPageRelations(A(), 0, nullptr);
    EXPECT_EQ(doc.PageAt(0)->symbols[0]->counters[0].relations, -1);

    // A new scope asks again; No loads the file.
    context.requestScope.Open();
    prompter.PushAnswer(Answer::No);
    EXPECT_EQ(Link(0).EnsureRelations(context, 0), 1);
    EXPECT_GT(Link(0).maps[0].KeyCount(), 0);
    // Loaded: no further question.
    EXPECT_EQ(Link(0).EnsureRelations(context, 0), 1);
    EXPECT_EQ(prompter.MessageNumbers().size(), 2u);
}

TEST_F(RelationsTest, FileWithoutValidLinesIsReadAgainOnEveryRequest)
{
    dir.Write("ab.rel", "E1,E2\n");
    EXPECT_EQ(Link(0).EnsureRelations(context, 0), 1);
    dir.Write("ab.rel", "A1,B1\n");
    EXPECT_EQ(Link(0).EnsureRelations(context, 0), 1);
    EXPECT_EQ(Link(0).maps[0].KeyCount(), 1);
}

TEST_F(RelationsTest, CountingOnAPageReachesTheGroupFamily)
{
    // From C (a child of A) the top ancestor A is counted on L1, and C itself on L2.
    doc.CountPageRelations(C(), 0, nullptr);
    const CPage& page = *doc.PageAt(0);
    EXPECT_EQ(page.symbols[0]->counters[0].relations, 2);
    EXPECT_EQ(page.symbols[1]->counters[0].relations, 1);
    EXPECT_EQ(Link(0).listingMode, 2);
    EXPECT_EQ(Link(1).fromElement, C());

    const std::string key = "A2";
    doc.CountPageRelations(A(), 0, &key);
    EXPECT_EQ(page.symbols[0]->counters[0].relations, 1);
    EXPECT_EQ(page.symbols[1]->counters[0].relations, 0); // "A2" is no key of C's side
    EXPECT_EQ(Link(0).listingMode, 1);

    doc.ResetCounters();
    EXPECT_EQ(page.symbols[0]->counters[0].relations, -1);
    EXPECT_EQ(page.FirstCounter(), nullptr);
}

TEST_F(RelationsTest, CounterNavigationSkipsUncountedCounters)
{
    doc.CountPageRelations(C(), 0, nullptr);
    const CPage& page = *doc.PageAt(0);
    CRelationCounter* first = &page.symbols[0]->counters[0];
    CRelationCounter* second = &page.symbols[1]->counters[0];
    EXPECT_EQ(page.FirstCounter(), first);
    EXPECT_EQ(page.LastCounter(), second);
    EXPECT_EQ(page.NextCounter(first), second);
    EXPECT_EQ(page.NextCounter(second), nullptr);
    EXPECT_EQ(page.PreviousCounter(second), first);
}

TEST_F(RelationsTest, ReadAllRelationsLoadsEveryCapableLink)
{
    EXPECT_EQ(doc.ReadAllRelations(1), 1);
    EXPECT_EQ(Link(0).maps[0].KeyCount(), 2);
    EXPECT_EQ(Link(1).maps[1].KeyCount(), 1);
    EXPECT_EQ(statusBar.Text(), "Ready");
    std::filesystem::remove(dir / "cb.rel");
    EXPECT_EQ(doc.ReadAllRelations(1), 0);
}

TEST_F(RelationsTest, LoadRelationsOnStartupReadsWhileOpening)
{
    context.switches.loadRelationsOnStartup = 1;
    ASSERT_TRUE(Open(kModel));
    EXPECT_EQ(doc.PageAt(0)->links[0]->maps[0].KeyCount(), 2);
}

TEST(RelationMapTest, KeepsInsertionOrderAndSurvivesGrowth)
{
    CRelationMap map;
    for (int i = 0; i < 5000; ++i) {
        const std::string key = "K" + std::to_string(i % 1000);
        ASSERT_EQ(map.Add(key, "V" + std::to_string(i)), 1);
    }
    EXPECT_EQ(map.KeyCount(), 1000);
    EXPECT_EQ(map.KeyAt(0), "K0");
    EXPECT_EQ(map.KeyAt(999), "K999");
    EXPECT_EQ(map.Count("K7"), 5);
    std::vector<std::string_view> values;
    map.ValuesAt(7, values);
    EXPECT_EQ(values, (std::vector<std::string_view>{"V7", "V1007", "V2007", "V3007", "V4007"}));
    EXPECT_EQ(map.KeyAt(1000), "");
    map.Clear();
    EXPECT_EQ(map.KeyCount(), 0);
    EXPECT_FALSE(map.Contains("K1"));
    EXPECT_EQ(map.Add("", ""), 1);
    EXPECT_TRUE(map.Contains(""));
}

// What a map must answer: every key in the order first added with its values in the order
// added. Built from plain containers, independently of the map.
struct Expected
{
    void Add(const std::string& key, const std::string& value)
    {
        auto [it, added] = position.emplace(key, keys.size());
        if (added)
            keys.push_back({key, {}});
        keys[it->second].second.push_back(value);
    }
    std::vector<std::pair<std::string, std::vector<std::string>>> keys;
    std::map<std::string, std::size_t> position;
};

void ExpectSame(const CRelationMap& map, const Expected& expected)
{
    ASSERT_EQ(map.KeyCount(), static_cast<int>(expected.keys.size()));
    std::vector<std::string_view> values;
    for (std::size_t k = 0; k < expected.keys.size(); ++k) {
        const auto& [key, list] = expected.keys[k];
        ASSERT_EQ(map.KeyAt(static_cast<int>(k)), key) << "key " << k;
        map.ValuesAt(static_cast<int>(k), values);
        ASSERT_EQ(std::vector<std::string>(values.begin(), values.end()), list) << key;
        ASSERT_EQ(map.Count(key), static_cast<int>(list.size())) << key;
        ASSERT_TRUE(map.Lookup(key, values)) << key;
        ASSERT_EQ(values.size(), list.size()) << key;
    }
}

// Lines with keys repeated a few times and a few very often, the same line twice, empty
// values, and keys long enough for two- and three-byte lengths.
std::vector<std::pair<std::string, std::string>> SampleLines(int count)
{
    std::mt19937 rng(5);
    std::vector<std::pair<std::string, std::string>> lines;
    for (int i = 0; i < count; ++i) {
        const unsigned a = rng() % 4 == 0 ? rng() % 20 : rng() % 3000;
        const unsigned b = rng() % 4 == 0 ? rng() % 20 : rng() % 3000;
        std::string first = "A" + std::to_string(a), second = "B" + std::to_string(b);
        if (i % 97 == 0)
            second.clear();
        if (i % 211 == 0)
            first.append(200 + i % 50, 'L');
        if (i == 500)
            second.assign(20000, 'X');
        lines.emplace_back(first, second);
        if (i % 53 == 0)
            lines.emplace_back(first, second);
    }
    return lines;
}

TEST(RelationMapTest, SharedMapsAnswerAsSeparateMapsDo)
{
    const auto lines = SampleLines(20000);
    Expected byFirst, bySecond;
    CRelationMap separate0(0), separate1(1);
    for (const auto& [a, b] : lines) {
        byFirst.Add(a, b);
        bySecond.Add(b, a);
        ASSERT_EQ(separate0.Add(a, b), 1);
        ASSERT_EQ(separate1.Add(b, a), 1);
    }

    // In batches as a file is read; then line by line, with queries in between that group
    // the values so far, so later values join groups that exist already.
    CRelationMap batched0(0), batched1(1);
    ASSERT_TRUE(CRelationMap::StartShared(batched0, batched1, 400000));
    std::vector<std::string_view> firsts, seconds;
    for (const auto& [a, b] : lines) {
        firsts.push_back(a);
        seconds.push_back(b);
    }
    for (std::size_t at = 0; at < lines.size(); at += 300) {
        const std::size_t n = std::min<std::size_t>(300, lines.size() - at);
        ASSERT_EQ(CRelationMap::AddPairs(batched0, batched1, &firsts[at], &seconds[at], n), n);
    }
    CRelationMap stepped0(0), stepped1(1);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        ASSERT_EQ(CRelationMap::AddPair(stepped0, stepped1, lines[i].first, lines[i].second), 1);
        if (i % 1999 == 0) {
            EXPECT_GT(stepped0.Count(lines[i].first), 0);
            EXPECT_GT(stepped1.KeyCount(), 0);
        }
    }

    for (const CRelationMap* map : {&separate0, &batched0, &stepped0})
        ExpectSame(*map, byFirst);
    for (const CRelationMap* map : {&separate1, &batched1, &stepped1})
        ExpectSame(*map, bySecond);
    EXPECT_TRUE(batched0.Compact() && batched1.Compact());
    ExpectSame(batched0, byFirst);
    ExpectSame(batched1, bySecond);
    EXPECT_FALSE(batched0.Contains("B1")); // a key of the other side only
    EXPECT_FALSE(batched0.Contains("a1")); // exact case
    EXPECT_EQ(batched0.Count("NONE"), 0);
    EXPECT_LT(batched0.MemoryBytes() + batched1.MemoryBytes(),
              separate0.MemoryBytes() + separate1.MemoryBytes());
}

TEST(RelationMapTest, SharedMapsStayApartWhenOneChanges)
{
    CRelationMap first(0), second(1);
    ASSERT_EQ(CRelationMap::AddPair(first, second, "A1", "B1"), 1);
    ASSERT_EQ(CRelationMap::AddPair(first, second, "A1", "B2"), 1);
    ASSERT_EQ(CRelationMap::AddPair(first, second, "A2", "B1"), 1);

    // A value added to one map alone is no key of the other.
    ASSERT_EQ(second.Add("B9", "A9"), 1);
    EXPECT_EQ(first.KeyCount(), 2);
    EXPECT_FALSE(first.Contains("A9"));
    EXPECT_EQ(second.Count("B9"), 1);
    // The maps share no more: further lines go to each map on its own, and still agree.
    ASSERT_EQ(CRelationMap::AddPair(first, second, "A3", "B1"), 1);
    std::vector<std::string_view> values;
    ASSERT_TRUE(second.Lookup("B1", values));
    EXPECT_EQ(values, (std::vector<std::string_view>{"A1", "A2", "A3"}));
    ASSERT_TRUE(first.Lookup("A3", values));
    EXPECT_EQ(values, std::vector<std::string_view>{"B1"});

    // Clearing one map leaves the other's values readable.
    CRelationMap left(0), right(1);
    ASSERT_EQ(CRelationMap::AddPair(left, right, "K", "V1"), 1);
    ASSERT_EQ(CRelationMap::AddPair(left, right, "K", "V2"), 1);
    left.Clear();
    EXPECT_EQ(left.KeyCount(), 0);
    ASSERT_TRUE(right.Lookup("V2", values));
    EXPECT_EQ(values, std::vector<std::string_view>{"K"});
    ASSERT_EQ(right.Add("V3", "K"), 1);
    ASSERT_EQ(left.Add("K", "V3"), 1);
    EXPECT_EQ(right.KeyCount(), 3);
    EXPECT_EQ(left.Count("K"), 1);
}

TEST(RelationMapTest, KeysCanBeReachedInAnyOrder)
{
    CRelationMap map;
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(map.Add("K" + std::to_string(i), std::to_string(i * 2)), 1);
    std::vector<std::string_view> values;
    for (int i : {999, 0, 64, 63, 65, 500, 501, 128, 127}) {
        EXPECT_EQ(map.KeyAt(i), "K" + std::to_string(i));
        map.ValuesAt(i, values);
        EXPECT_EQ(values, std::vector<std::string_view>{std::to_string(i * 2)});
    }
    for (int i = 999; i >= 0; i -= 7)
        EXPECT_EQ(map.KeyAt(i), "K" + std::to_string(i));
    EXPECT_EQ(map.KeyAt(-1), "");
    map.ValuesAt(1000, values);
    EXPECT_TRUE(values.empty());
}

TEST(RelationMapTest, AddingAfterCompactingAndIndexingGrowsAgain)
{
    CRelationMap first(0), second(1);
    ASSERT_TRUE(CRelationMap::StartShared(first, second, 50000000));
    ASSERT_EQ(CRelationMap::AddPair(first, second, "A", "B"), 1);
    ASSERT_EQ(CRelationMap::AddPair(first, second, "A", "C"), 1);
    EXPECT_TRUE(first.Compact());
    EXPECT_TRUE(second.Compact());
    Expected expected;
    expected.Add("A", "B");
    expected.Add("A", "C");
    for (int i = 0; i < 5000; ++i) {
        const std::string key = "A" + std::to_string(i % 700);
        const std::string value = "V" + std::to_string(i);
        ASSERT_EQ(CRelationMap::AddPair(first, second, key, value), 1);
        expected.Add(key, value);
        if (i % 1000 == 0) {
            EXPECT_TRUE(first.Compact());
        }
    }
    ExpectSame(first, expected);
    EXPECT_EQ(second.Count("C"), 1);
    EXPECT_EQ(second.KeyCount(), 5002);
}

TEST(RelationMapTest, BigBufferKeepsItsElementsThroughGrowthAndTrim)
{
    CBigBuffer<std::uint32_t> buffer;
    for (std::uint32_t i = 0; i < 1'500'000; ++i)
        ASSERT_TRUE(buffer.PushBack(i)); // past the size where pages get huge
    buffer.Truncate(1'000'000);
    buffer.Trim();
    ASSERT_TRUE(buffer.ReserveMore(10));
    EXPECT_TRUE(buffer.PushBack(7));
    EXPECT_EQ(buffer.size(), 1'000'001u);
    EXPECT_EQ(buffer[999'999], 999'999u);
    EXPECT_EQ(buffer[1'000'000], 7u);
    CBigBuffer<std::uint32_t> other;
    other.Swap(buffer);
    EXPECT_TRUE(buffer.empty());
    EXPECT_EQ(other[123'456], 123'456u);
}

TEST_F(RelationsTest, LargeFileKeepsFileOrderInBothMaps)
{
    // More lines than one batch, with keys seen again across batches.
    std::string text;
    Expected byFirst, bySecond;
    for (int i = 0; i < 3000; ++i) {
        const std::string a = "p" + std::to_string(i % 401), b = "w" + std::to_string(i % 257);
        text += a + "," + b + (i % 2 ? "\r\n" : "\n");
        byFirst.Add(ToUpperAscii(a), ToUpperAscii(b));
        bySecond.Add(ToUpperAscii(b), ToUpperAscii(a));
    }
    dir.Write("ab.rel", text);
    ASSERT_EQ(Link(0).LoadRelations(context), 1);
    ExpectSame(Link(0).maps[0], byFirst);
    ExpectSame(Link(0).maps[1], bySecond);
    // Read again: the maps start over.
    ASSERT_EQ(Link(0).LoadRelations(context), 1);
    ExpectSame(Link(0).maps[0], byFirst);
    EXPECT_TRUE(prompter.MessageNumbers().empty());
}

} // namespace
