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
using platform::ScriptedPrompter;
using List = std::vector<std::uint32_t>;

class RecordingHost : public IFindHost
{
public:
    void SelectEntry(int listPosition) override { selected.push_back(listPosition); }
    void ShowFindStatus(int current, int count) override { status = {current, count}; }
    void RecordSearch(const std::string& word, int hits, int matchCase) override
    {
        searches.push_back(word + "/" + std::to_string(hits) + "/" + std::to_string(matchCase));
    }
    void PushRecentWord() override { ++pushes; }

    std::vector<int> selected;
    std::pair<int, int> status{-1, -1};
    std::vector<std::string> searches;
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
    List Matches(const std::string& word, int matchCase)
    {
        List matches;
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

TEST_F(InstanceFinderTest, MatchesWithAndWithoutCase)
{
    Fill({"Pump^Berlin", "PUMP HOUSE^Oslo", "sump^pUmP", "Valve^Pu mp", "\xC4pump^\xE4PUMP"});
    // Any value counts, not only the one shown; ASCII letters fold, others do not.
    EXPECT_EQ(Matches("pump", 0), (List{0, 1, 2, 4}));
    EXPECT_EQ(Matches("pump", 1), (List{4}));
    EXPECT_EQ(Matches("\xC4PUMP", 0), (List{4}));
    EXPECT_EQ(Matches("\xE4pump", 1), (List{}));
    // A word across two values is an ordinary substring.
    EXPECT_EQ(Matches("p^berl", 0), (List{0}));
}

TEST_F(InstanceFinderTest, KeysAndNeighbouringRowsDoNotMatch)
{
    Fill({"alpha", "beta^gamma", "", "delta"});
    EXPECT_EQ(Matches("key", 0), (List{}));         // keys are in the arena, not in texts
    EXPECT_EQ(Matches("alpha\nKEY0", 1), (List{})); // nor does a text run on into its key
    EXPECT_EQ(Matches("a", 0), (List{0, 1, 3}));
    EXPECT_EQ(Matches("deltas", 0), (List{}));
    EXPECT_EQ(Matches("", 0), (List{}));
}

// The arena search against a plain search entry by entry, on random texts over a small
// alphabet (so that words recur, overlap and straddle rows), unsorted and sorted.
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
    for (int i = 0; i < 300; ++i)
        store.Add(randomText(4), randomText(12), nullptr);
    for (int sorted = 0; sorted <= 1; ++sorted) {
        ASSERT_TRUE(store.Sort(sorted));
        for (int round = 0; round < 200; ++round) {
            const std::string word = randomText(4);
            const int matchCase = round % 2;
            const auto fold = [&](std::string_view text) {
                return matchCase ? std::string(text) : platform::ToUpperAscii(text);
            };
            List expected;
            for (std::size_t i = 0; i < store.Count() && !word.empty(); ++i) {
                if (fold(store.Text(i)).find(fold(word)) != std::string::npos)
                    expected.push_back(static_cast<std::uint32_t>(i));
            }
            ASSERT_EQ(Matches(word, matchCase), expected) << word << " case " << matchCase;
        }
    }
}

TEST_F(InstanceFinderTest, FoldPredicateDecidesForNonAsciiWords)
{
    Fill({"\xC3\x84pfel", "\xC3\xA4pfel", "apfel"});
    EXPECT_EQ(Matches("\xC3\xA4pfel", 0), (List{1})); // no predicate: the bytes must match
    int asked = 0;
    finder.SetFoldPredicate([&](std::string_view text, std::string_view word) {
        ++asked;
        return text.substr(2) == word.substr(2); // stands in for Unicode folding
    });
    EXPECT_EQ(Matches("\xC3\xA4pfel", 0), (List{0, 1}));
    EXPECT_EQ(asked, 3);
    // With the case matched, or with an ASCII word, it is not asked.
    EXPECT_EQ(Matches("\xC3\xA4pfel", 1), (List{1}));
    EXPECT_EQ(Matches("PFEL", 0), (List{0, 1, 2}));
    EXPECT_EQ(asked, 3);
}

TEST_F(InstanceFinderTest, EmptyWordAndNoHit)
{
    Fill({"Pump", "Valve"});
    EXPECT_EQ(Next(""), 0);
    EXPECT_EQ(prompter.Events()[0].beep, platform::BeepType::Information);
    EXPECT_TRUE(host.searches.empty());

    host.status = {3, 9};
    EXPECT_EQ(Next("motor", 1), 0);
    EXPECT_EQ(prompter.MessageNumbers(), (std::vector<int>{5020, 5009}));
    EXPECT_EQ(prompter.MessageTexts()[1], "String not found in the instance list.");
    EXPECT_EQ(host.status, std::make_pair(0, 0));
    EXPECT_EQ(host.searches, std::vector<std::string>{"motor/0/1"});
    EXPECT_EQ(host.pushes, 0);
    // Not continuing: the next F3 searches (and records) again.
    Next("motor", 1);
    EXPECT_EQ(host.searches.size(), 2u);
}

TEST_F(InstanceFinderTest, StepsThroughThreeMatchesThenAsks)
{
    Fill({"pump 1", "valve", "Pump 2", "motor", "PUMP 3"});
    EXPECT_EQ(Next("pump"), 1);
    EXPECT_EQ(host.searches, std::vector<std::string>{"pump/3/0"});
    EXPECT_EQ(host.pushes, 1);
    EXPECT_EQ(host.status, std::make_pair(1, 3));
    Next("pump");
    Next("pump");
    EXPECT_EQ(host.status, std::make_pair(3, 3));
    EXPECT_EQ(host.selected, (std::vector<int>{0, 2, 4}));
    EXPECT_TRUE(prompter.MessageNumbers().empty());

    // At the end: No leaves the last selected, and the next F3 asks again.
    prompter.PushAnswer(Answer::No);
    EXPECT_EQ(Next("pump"), 0);
    const ScriptedPrompter::Event& question = prompter.Events().back();
    EXPECT_EQ(question.number, 5021);
    EXPECT_EQ(question.text, "End of the list is reached. Continue search from start?");
    EXPECT_EQ(question.buttons, platform::Buttons::YesNo);
    EXPECT_EQ(question.defaultButton, Answer::No);
    EXPECT_EQ(host.selected.size(), 3u);

    prompter.PushAnswer(Answer::Yes);
    EXPECT_EQ(Next("pump"), 1);
    EXPECT_EQ(prompter.MessageNumbers(), (std::vector<int>{5021, 5021}));
    EXPECT_EQ(host.selected.back(), 0);
    EXPECT_EQ(host.status, std::make_pair(1, 3));
    // Stepping records nothing and leaves the recent words alone.
    EXPECT_EQ(host.searches.size(), 1u);
    EXPECT_EQ(host.pushes, 1);
}

TEST_F(InstanceFinderTest, ResetAndContinuingDecideWhenToSearchAgain)
{
    Fill({"pump a", "pump b"});
    ASSERT_TRUE(store.Sort(1));
    Next("pump");
    finder.SetContinuing(false); // the word changed
    Next("pump b");
    EXPECT_EQ(host.searches.size(), 2u);
    EXPECT_EQ(host.selected, (std::vector<int>{0, 1}));

    finder.Reset();
    EXPECT_TRUE(finder.Matches().empty());
    EXPECT_FALSE(finder.Continuing());
    // Told to continue with nothing to step through: it searches instead of stepping.
    finder.SetContinuing(true);
    EXPECT_EQ(Next("pump"), 1);
    EXPECT_EQ(host.searches.size(), 3u);
}

} // namespace
