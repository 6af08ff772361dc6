// Find Next over the instance list: matching, stepping, messages and what is recorded.

#include "InstanceFinder.h"
#include "InstanceStore.h"
#include "prompter/ScriptedPrompter.h"
#include "text/AsciiCase.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using platform::Answer;
using platform::BeepType;
using platform::ScriptedPrompter;

class RecordingHost : public IFindHost
{
public:
    struct Search
    {
        std::string word;
        int hits;
        int matchCase;
        bool operator==(const Search&) const = default;
    };
    void SelectEntry(int listPosition) override { selected.push_back(listPosition); }
    void ShowFindStatus(int current, int count) override { status = {current, count}; }
    void RecordSearch(const std::string& word, int hits, int matchCase) override
    {
        searches.push_back({word, hits, matchCase});
    }
    void PushRecentWord() override { ++pushes; }

    std::vector<int> selected;
    std::pair<int, int> status{-1, -1};
    std::vector<Search> searches;
    int pushes = 0;
};

class InstanceFinderTest : public ::testing::Test
{
protected:
    void Fill(const std::vector<std::string>& texts)
    {
        for (std::size_t i = 0; i < texts.size(); ++i)
            store.Add("KEY" + std::to_string(i), texts[i], nullptr);
    }
    std::vector<std::uint32_t> Matches(const std::string& word, int matchCase)
    {
        std::vector<std::uint32_t> matches;
        EXPECT_TRUE(finder.Search(word, store, matchCase, matches));
        return matches;
    }
    int Next(const std::string& word, int matchCase = 0)
    {
        return finder.FindNext(word, store, matchCase, host, prompter);
    }

    CInstanceStore store;
    CInstanceFinder finder;
    RecordingHost host;
    ScriptedPrompter prompter;
};

using List = std::vector<std::uint32_t>;

TEST_F(InstanceFinderTest, MatchesWithAndWithoutCase)
{
    Fill({"Pump^Berlin", "PUMP HOUSE^Oslo", "sump^pUmP", "Valve^Pu mp", "\xC4pump^\xE4PUMP"});
    // Any value counts, not only the one shown; ASCII letters fold, others do not.
    EXPECT_EQ(Matches("pump", 0), (List{0, 1, 2, 4}));
    EXPECT_EQ(Matches("pump", 1), (List{4}));
    EXPECT_EQ(Matches("PUMP", 1), (List{1, 4}));
    EXPECT_EQ(Matches("\xC4PUMP", 0), (List{4}));
    EXPECT_EQ(Matches("\xE4PUMP", 0), (List{4}));
    EXPECT_EQ(Matches("\xE4pump", 1), (List{}));
    // A word across two values is an ordinary substring.
    EXPECT_EQ(Matches("p^berl", 0), (List{0}));
    EXPECT_EQ(Matches("^", 0), (List{0, 1, 2, 3, 4}));
}

TEST_F(InstanceFinderTest, KeysAndNeighbouringRowsDoNotMatch)
{
    Fill({"alpha", "beta^gamma", "", "delta"});
    // Keys are KEY0..KEY3: in the arena, but not part of any text.
    EXPECT_EQ(Matches("key", 0), (List{}));
    // Across a row's end (into its key, or into the next row) nothing matches.
    EXPECT_EQ(Matches("alpha\nKEY0", 1), (List{}));
    EXPECT_EQ(Matches("phab", 0), (List{}));
    // Hits at the very start and end of the arena's texts.
    EXPECT_EQ(Matches("alpha", 0), (List{0}));
    EXPECT_EQ(Matches("delta", 0), (List{3}));
    EXPECT_EQ(Matches("a", 0), (List{0, 1, 3}));
    EXPECT_EQ(Matches("deltas", 0), (List{}));
    EXPECT_EQ(Matches("", 0), (List{}));
}

// The arena search against a plain search entry by entry, on random texts over a small
// alphabet (so that words recur, overlap and straddle rows), sorted and unsorted.
TEST_F(InstanceFinderTest, AgreesWithAPlainSearch)
{
    std::mt19937 rng(11);
    const std::string alphabet = "aAbB^ \xC4\xE4";
    const auto randomText = [&](std::size_t maxLength) {
        std::string text(rng() % (maxLength + 1), ' ');
        for (char& c : text)
            c = alphabet[rng() % alphabet.size()];
        return text;
    };
    const auto fold = [](std::string text, int matchCase) {
        if (matchCase == 0)
            for (char& c : text)
                c = platform::UpperAscii(c);
        return text;
    };
    for (int i = 0; i < 300; ++i)
        store.Add(randomText(4), randomText(12), nullptr);
    for (int sorted = 0; sorted <= 1; ++sorted) {
        ASSERT_TRUE(store.Sort(sorted));
        for (int round = 0; round < 200; ++round) {
            const std::string word = randomText(4);
            const int matchCase = round % 2;
            List expected;
            if (!word.empty()) {
                for (std::size_t i = 0; i < store.Count(); ++i) {
                    if (fold(std::string(store.Text(i)), matchCase).find(fold(word, matchCase)) !=
                        std::string::npos)
                        expected.push_back(static_cast<std::uint32_t>(i));
                }
            }
            ASSERT_EQ(Matches(word, matchCase), expected) << word << " case " << matchCase;
        }
    }
}

TEST_F(InstanceFinderTest, SortedListGivesListPositionsInOrder)
{
    Fill({"c pump", "a", "b pump", "a pump"});
    ASSERT_TRUE(store.Sort(1)); // a, a pump, b pump, c pump
    EXPECT_EQ(Matches("PUMP", 0), (List{1, 2, 3}));
    Next("pump");
    EXPECT_EQ(host.selected, std::vector<int>{1});
}

TEST_F(InstanceFinderTest, FoldPredicateDecidesForNonAsciiWords)
{
    Fill({"\xC3\x84pfel", "\xC3\xA4pfel", "apfel"});
    // Without a predicate the bytes must match exactly.
    EXPECT_EQ(Matches("\xC3\xA4pfel", 0), (List{1}));
    std::vector<std::string> asked;
    finder.SetFoldPredicate([&](std::string_view text, std::string_view word) {
        asked.emplace_back(text);
        return text.substr(2) == word.substr(2); // stands in for Unicode folding
    });
    EXPECT_EQ(Matches("\xC3\xA4pfel", 0), (List{0, 1}));
    EXPECT_EQ(asked.size(), 3u);
    // With the case matched, or with an ASCII word, the predicate is not asked.
    asked.clear();
    EXPECT_EQ(Matches("\xC3\xA4pfel", 1), (List{1}));
    EXPECT_EQ(Matches("PFEL", 0), (List{0, 1, 2}));
    EXPECT_TRUE(asked.empty());
}

TEST_F(InstanceFinderTest, EmptyWordIsRejected)
{
    Fill({"a"});
    EXPECT_EQ(Next(""), 0);
    ASSERT_EQ(prompter.MessageNumbers(), std::vector<int>{5020});
    EXPECT_EQ(prompter.MessageTexts()[0], "Invalid or no search word was given.");
    EXPECT_EQ(prompter.Events()[0].beep, BeepType::Information);
    EXPECT_TRUE(host.searches.empty());
    EXPECT_TRUE(host.selected.empty());
}

TEST_F(InstanceFinderTest, NoHitIsReportedAndRecorded)
{
    Fill({"Pump", "Valve"});
    host.status = {3, 9};
    EXPECT_EQ(Next("motor", 1), 0);
    ASSERT_EQ(prompter.MessageNumbers(), std::vector<int>{5009});
    EXPECT_EQ(prompter.MessageTexts()[0], "String not found in the instance list.");
    EXPECT_EQ(host.status, std::make_pair(0, 0));
    EXPECT_EQ(host.searches, (std::vector<RecordingHost::Search>{{"motor", 0, 1}}));
    EXPECT_EQ(host.pushes, 0);
    EXPECT_FALSE(finder.Continuing());
    // Not continuing: the next F3 searches (and records) again.
    Next("motor", 1);
    EXPECT_EQ(host.searches.size(), 2u);
}

TEST_F(InstanceFinderTest, StepsThroughThreeMatchesThenAsks)
{
    Fill({"pump 1", "valve", "Pump 2", "motor", "PUMP 3"});
    EXPECT_EQ(Next("pump"), 1);
    EXPECT_EQ(host.searches, (std::vector<RecordingHost::Search>{{"pump", 3, 0}}));
    EXPECT_EQ(host.pushes, 1);
    EXPECT_EQ(host.status, std::make_pair(1, 3));
    EXPECT_TRUE(finder.Continuing());
    Next("pump");
    EXPECT_EQ(host.status, std::make_pair(2, 3));
    Next("pump");
    EXPECT_EQ(host.status, std::make_pair(3, 3));
    EXPECT_EQ(host.selected, (std::vector<int>{0, 2, 4}));
    EXPECT_TRUE(prompter.MessageNumbers().empty());

    // At the end: the question, No leaves the last selected and asks again next time.
    prompter.PushAnswer(Answer::No);
    EXPECT_EQ(Next("pump"), 0);
    ASSERT_EQ(prompter.MessageNumbers(), std::vector<int>{5021});
    const ScriptedPrompter::Event& question = prompter.Events().back();
    EXPECT_EQ(question.text, "End of the list is reached. Continue search from start?");
    EXPECT_EQ(question.buttons, platform::Buttons::YesNo);
    EXPECT_EQ(question.defaultButton, Answer::No);
    EXPECT_EQ(prompter.Events()[prompter.Events().size() - 2].beep, BeepType::Question);
    EXPECT_EQ(host.selected.size(), 3u);
    EXPECT_EQ(host.status, std::make_pair(3, 3));

    prompter.PushAnswer(Answer::Yes);
    EXPECT_EQ(Next("pump"), 1);
    EXPECT_EQ(prompter.MessageNumbers().size(), 2u);
    EXPECT_EQ(host.selected.back(), 0);
    EXPECT_EQ(host.status, std::make_pair(1, 3));
    EXPECT_EQ(finder.CurrentMatch(), 0);
    // Stepping records nothing and does not touch the recent words.
    EXPECT_EQ(host.searches.size(), 1u);
    EXPECT_EQ(host.pushes, 1);
}

TEST_F(InstanceFinderTest, ASingleMatchAsksAtOnce)
{
    Fill({"only one", "two"});
    Next("one");
    prompter.PushAnswer(Answer::Yes);
    EXPECT_EQ(Next("one"), 1);
    EXPECT_EQ(prompter.MessageNumbers(), std::vector<int>{5021});
    EXPECT_EQ(host.selected, (std::vector<int>{0, 0}));
}

TEST_F(InstanceFinderTest, ResetAndContinuingDecideWhenToSearchAgain)
{
    Fill({"pump a", "pump b"});
    Next("pump");
    Next("pump");
    EXPECT_EQ(finder.CurrentMatch(), 1);

    // A changed word sets continuing off (the GUI does): a new search, a new record.
    finder.SetContinuing(false);
    Next("pump b");
    EXPECT_EQ(host.searches.size(), 2u);
    EXPECT_EQ(host.selected.back(), 1);

    finder.Reset();
    EXPECT_TRUE(finder.Matches().empty());
    EXPECT_EQ(finder.CurrentMatch(), 0);
    EXPECT_FALSE(finder.Continuing());

    // Told to continue with nothing to step through: it searches instead of stepping.
    finder.SetContinuing(true);
    EXPECT_EQ(Next("pump"), 1);
    EXPECT_EQ(host.searches.size(), 3u);
    EXPECT_TRUE(prompter.MessageNumbers().empty());
}

TEST_F(InstanceFinderTest, WaitCursorAroundANewSearch)
{
    Fill({"pump"});
    Next("valve");
    std::vector<bool> cursor;
    for (const ScriptedPrompter::Event& e : prompter.Events()) {
        if (e.kind == ScriptedPrompter::Event::Kind::WaitCursor)
            cursor.push_back(e.waitOn);
    }
    EXPECT_EQ(cursor, (std::vector<bool>{true, false}));
    // The cursor is back before the message box.
    EXPECT_EQ(prompter.Events()[2].kind, ScriptedPrompter::Event::Kind::Beep);
}

} // namespace
