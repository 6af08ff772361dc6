#include "History.h"
#include "HistoryTestSupport.h"

#include <gtest/gtest.h>

using platform::Answer;
using platform::ScriptedPrompter;

namespace {

// A progress side that notes every step and stops before a chosen position.
class ScriptedRunner : public IRestoreRunner
{
public:
    void Begin(int count) override { begun = count; }
    bool Step(int position, int count, int icon, const std::string& description,
              bool skipped) override
    {
        if (position == stopBefore)
            return false;
        steps.push_back(description);
        icons.push_back(icon);
        EXPECT_EQ(count, begun);
        EXPECT_EQ(skipped, description.find(" [Skipped]") != std::string::npos);
        EXPECT_GT(CHistory::RestoreDepth(), 0);
        return true;
    }
    void End() override { ++ended; }

    int begun = 0;
    int ended = 0;
    int stopBefore = 0;
    std::vector<std::string> steps;
    std::vector<int> icons;
};

class HistoryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(model.opened);
        model.context.switches.suppressInfoMessages = 0;
        model.prompter.Clear();
    }

    // The item the history added last.
    const CHistoryItem* Last() const { return history.LastAction(); }
    CRelationSource Entry(const std::string& key, const std::string& values) const
    {
        CRelationSource entry;
        entry.key = key;
        entry.text = values;
        entry.element = model.Stations();
        return entry;
    }
    // Event Stations, a search, related Structures through S1, documentation of ST-02.
    void RecordSession()
    {
        ASSERT_EQ(1, history.RecordEvent(&modelPane, model.Stations()));
        ASSERT_EQ(1, history.RecordSearch(&instancePane, "pump", 4, 0));
        ASSERT_EQ(1, history.RecordRelated(&modelPane, model.Counter(0, 0), model.Structures(), 3));
        ASSERT_EQ(1, history.RecordDocumentation(&instancePane, model.Structures(),
                                                 "WW-02|Wet Well 2^ST-02"));
    }

    SampleModelFixture model;
    RecordingView modelPane{model.doc};
    RecordingView instancePane{model.doc};
    RecordingView historyView{model.doc};
    CHistory history{model.context, model.doc};
};

TEST_F(HistoryTest, ItemsCarryTheirTextsIconsAndLook)
{
    const CRelationSource entry = Entry("ST-01", " \tNorth Station\t ^Riverside^Booster");
    ASSERT_EQ(1, history.RecordEvent(&modelPane, model.Stations()));
    ASSERT_EQ(1, history.RecordRelations(&instancePane, model.Stations(), 4, &entry));
    ASSERT_EQ(1, history.RecordRelations(&instancePane, model.Stations(), -1, nullptr));
    ASSERT_EQ(1, history.RecordSearch(&instancePane, "Booster", 0, 1));
    ASSERT_EQ(1, history.RecordSearch(&instancePane, "north", 2, 0));
    ASSERT_EQ(1, history.RecordDocumentation(&instancePane, model.Stations(),
                                             "ST-01|North Station^Riverside"));
    ASSERT_EQ(1, history.RecordRelated(&modelPane, model.Counter(0, 0), model.Structures(), 12));

    ASSERT_EQ(1u, history.Roots().size());
    const CHistoryItem& event = *history.Roots()[0];
    const struct
    {
        const char* text;
        int icon;
        bool bold;
        bool dimmed;
    } expected[] = {
        {"North Station's relations enumerated", 1, false, false},
        {"All relations enumerated", 2, false, false},
        {"Searched 'Booster', no hits found", 4, false, true},
        {"Searched 'north', 2 hits found", 4, false, false},
        {"Viewing North Station in documentation", 5, false, false},
        {"12 related Structures(s) loaded", 3, true, false},
    };
    EXPECT_EQ("Stations(s) loaded", event.text);
    EXPECT_TRUE(event.bold);
    EXPECT_EQ(0, event.icon);
    ASSERT_EQ(std::size(expected), event.children.size());
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        const CHistoryItem& item = *event.children[i];
        EXPECT_EQ(expected[i].text, item.text);
        EXPECT_EQ(expected[i].icon, item.icon);
        EXPECT_EQ(expected[i].bold, item.bold);
        EXPECT_EQ(expected[i].dimmed, item.dimmed);
        EXPECT_EQ(&event, item.parent);
    }
    const CHistoryAction& related = event.children[0]->record;
    EXPECT_EQ("ST-01| \tNorth Station\t ^Riverside^Booster", related.text);
    EXPECT_EQ(4, related.index);
    EXPECT_EQ(-1, event.children[1]->record.index);
    EXPECT_EQ(1, event.children[2]->record.matchCase);
    // Each record links to the one recorded before it, back to the event.
    EXPECT_EQ(&event.children[4]->record, event.children[5]->record.previous);
    EXPECT_EQ(&event.record, related.previous);
    EXPECT_EQ(nullptr, event.record.previous);
    // How the restore dialogs describe the relation records.
    EXPECT_EQ("Enumerating Relations of North Station (Stations)", CHistory::Describe(related));
    EXPECT_EQ("Enumerating All Relations of Stations",
              CHistory::Describe(event.children[1]->record));
}

TEST_F(HistoryTest, RepeatsAreDroppedWithANoticeUnlessSuppressed)
{
    const CRelationSource entry = Entry("ST-01", "North Station");
    const CRelationSource sameIgnoringCase = Entry("st-01", "NORTH station");
    for (int suppress : {0, 1}) {
        SCOPED_TRACE(suppress);
        model.context.switches.suppressInfoMessages = suppress;
        model.prompter.Clear();
        history.Reset();
        // The same element twice; the same instance's relations twice; the same word twice.
        EXPECT_EQ(1, history.RecordEvent(&modelPane, model.Stations()));
        EXPECT_EQ(0, history.RecordEvent(&modelPane, model.Stations()));
        EXPECT_EQ(1, history.RecordRelations(&instancePane, model.Stations(), 0, &entry));
        EXPECT_EQ(0,
                  history.RecordRelations(&instancePane, model.Stations(), 0, &sameIgnoringCase));
        EXPECT_EQ(1, history.RecordSearch(&instancePane, "Pump", 3, 0));
        EXPECT_EQ(0, history.RecordSearch(&instancePane, "PUMP", 3, 1));
        EXPECT_EQ(3, history.ItemCount());
        const std::vector<int> expected =
            suppress ? std::vector<int>{} : std::vector<int>{5058, 5058, 5058};
        EXPECT_EQ(expected, model.prompter.MessageNumbers());
    }
    // Another element is a new event; the first one again after it is a new event too.
    EXPECT_EQ(1, history.RecordEvent(&modelPane, model.Structures()));
    EXPECT_EQ(1, history.RecordEvent(&modelPane, model.Stations()));
}

// Actions after related instances hang below them; related instances go below the event.
TEST_F(HistoryTest, ActionsAfterRelatedInstancesHangBelowThem)
{
    ASSERT_EQ(1, history.RecordEvent(&modelPane, model.Stations()));
    ASSERT_EQ(1, history.RecordRelations(&instancePane, model.Stations(), -1, nullptr));
    ASSERT_EQ(1, history.RecordRelated(&modelPane, model.Counter(0, 0), model.Structures(), 3));
    const CHistoryItem* related = Last();
    ASSERT_EQ(1, history.RecordSearch(&instancePane, "well", 1, 0));
    const CHistoryItem* search = Last();
    ASSERT_EQ(1, history.RecordRelated(&modelPane, model.Counter(0, 1), model.Pipelines(), 2));
    const CHistoryItem* second = Last();

    const CHistoryItem* event = history.Roots()[0].get();
    EXPECT_EQ(event, related->parent);
    EXPECT_EQ(related, search->parent);
    EXPECT_EQ(related, second->parent);
    EXPECT_EQ(related, history.CurrentEvent());
    // The related-instances item is now the event the repeat test compares with.
    EXPECT_EQ(0, history.RecordRelated(&modelPane, model.Counter(0, 0), model.Structures(), 3));
    EXPECT_EQ(std::vector<int>{5058}, model.prompter.MessageNumbers());
}

TEST_F(HistoryTest, DefaultRestoreSkipsSearchesAndDocumentationInTheMiddle)
{
    RecordSession();
    const CHistoryItem* documentation = Last();
    const CHistoryItem* search = history.Roots()[0]->children[0].get();
    const struct
    {
        const CHistoryItem* item;
        int restoreType;
        std::vector<int> codes;
    } cases[] = {
        {documentation, 0, {9, 12, 14}},
        {documentation, 1, {9, 13, 12, 14}},
        // The search skipped before is last now and is replayed.
        {search, 0, {9, 13}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.item->text + " type " + std::to_string(c.restoreType));
        const CHistory::Chain chain = history.BuildChain(c.item);
        CHistory::MarkChain(chain, c.restoreType);
        modelPane.seen.clear();
        historyView.seen.clear();
        ScriptedRunner runner;
        EXPECT_TRUE(history.RunChain(chain, runner, &historyView));
        EXPECT_EQ(c.codes, modelPane.RestoreCodes());
        EXPECT_TRUE(historyView.seen.empty()) << "the sender is not sent its own hints";
        EXPECT_EQ(static_cast<int>(chain.size()), runner.begun);
        EXPECT_EQ(1, runner.ended);
        EXPECT_EQ(0, CHistory::RestoreDepth());
        for (const RecordingView::Seen& seen : modelPane.seen) {
            EXPECT_EQ(&historyView, seen.sender);
            EXPECT_EQ(seen.code == 9 || seen.code == 12 ? 3 : 2, seen.kind);
        }
    }
    // Every step is shown, skipped ones marked so.
    const CHistory::Chain chain = history.BuildChain(documentation);
    CHistory::MarkChain(chain, 0);
    ScriptedRunner runner;
    history.RunChain(chain, runner, &historyView);
    EXPECT_EQ((std::vector<std::string>{
                  "Loading Instances of Stations", "Searching Word 'pump' [Skipped]",
                  "Loading Related Structures(s)", "Viewing Wet Well 2 In Documentation"}),
              runner.steps);
    EXPECT_EQ((std::vector<int>{0, 4, 3, 5}), runner.icons);
}

TEST_F(HistoryTest, RestoringAnOlderItemFreezesUntilTheNextEvent)
{
    // Restoring records nothing, even when a receiver reports what it did.
    modelPane.onHint = [&](CUpdateHint& hint) {
        CHistoryAction* action = hint.Action();
        if (action && hint.code == CUpdateHint::CodeRestoreElement) {
            EXPECT_EQ(0, history.RecordEvent(&modelPane, action->element));
        }
    };
    RecordSession();
    ScriptedRunner runner;
    history.RunChain(history.BuildChain(history.Roots()[0].get()), runner, &historyView);
    EXPECT_TRUE(history.IsFrozen());
    EXPECT_EQ(4, history.ItemCount());
    EXPECT_TRUE(model.prompter.MessageNumbers().empty());

    EXPECT_EQ(0, history.RecordRelated(&modelPane, model.Counter(0, 1), model.Pipelines(), 2));
    EXPECT_EQ(0, history.RecordSearch(&instancePane, "valve", 1, 0));
    EXPECT_EQ(std::vector<int>{5061}, model.prompter.MessageNumbers());
    EXPECT_EQ(4, history.ItemCount());

    EXPECT_EQ(1, history.RecordEvent(&modelPane, model.Pipelines()));
    EXPECT_FALSE(history.IsFrozen());
    EXPECT_EQ(1, history.RecordSearch(&instancePane, "valve", 1, 0));

    // Restoring the newest item leaves recording on.
    history.RunChain(history.BuildChain(Last()), runner, &historyView);
    EXPECT_FALSE(history.IsFrozen());
}

TEST_F(HistoryTest, ACancelStopsBeforeTheNextRecord)
{
    RecordSession();
    EXPECT_TRUE(history.BuildChain(nullptr).empty());
    const CHistory::Chain chain = history.BuildChain(Last());
    CHistory::MarkChain(chain, 1);
    ScriptedRunner runner;
    runner.stopBefore = 3;
    EXPECT_FALSE(history.RunChain(chain, runner, &historyView));
    EXPECT_EQ((std::vector<int>{9, 13}), modelPane.RestoreCodes());
    EXPECT_EQ(1, runner.ended);
    EXPECT_EQ(0, CHistory::RestoreDepth());

    // The question behind a cancel: question beep, No the default button.
    model.prompter.Clear();
    model.prompter.PushAnswer(Answer::No);
    model.prompter.PushAnswer(Answer::Yes);
    EXPECT_FALSE(history.AskAbort());
    EXPECT_TRUE(history.AskAbort());
    const auto& events = model.prompter.Events();
    ASSERT_EQ(4u, events.size());
    EXPECT_EQ(platform::BeepType::Question, events[0].beep);
    EXPECT_EQ(5057, events[1].number);
    EXPECT_EQ(platform::Buttons::YesNo, events[1].buttons);
    EXPECT_EQ(Answer::No, events[1].defaultButton);
}

TEST_F(HistoryTest, ClearAsksFirstAndFreezes)
{
    RecordSession();
    model.prompter.PushAnswer(Answer::No);
    EXPECT_FALSE(history.Clear());
    EXPECT_EQ(4, history.ItemCount());
    EXPECT_FALSE(history.IsFrozen());
    ASSERT_EQ(std::vector<int>{5064}, model.prompter.MessageNumbers());
    EXPECT_EQ(Answer::No, model.prompter.Events().back().defaultButton);

    // A clear cannot pull the records from under a running restore.
    modelPane.onHint = [&](CUpdateHint&) { EXPECT_FALSE(history.Clear()); };
    ScriptedRunner runner;
    history.RunChain(history.BuildChain(Last()), runner, &historyView);
    modelPane.onHint = nullptr;

    model.prompter.Clear();
    model.prompter.PushAnswer(Answer::Yes);
    EXPECT_TRUE(history.Clear());
    EXPECT_TRUE(history.IsEmpty());
    EXPECT_TRUE(history.Roots().empty());
    EXPECT_EQ(nullptr, history.Head());
    EXPECT_TRUE(history.IsFrozen());
    EXPECT_EQ(0, history.RecordSearch(&instancePane, "pump", 4, 0));
    EXPECT_EQ((std::vector<int>{5064, 5061}), model.prompter.MessageNumbers());
    EXPECT_EQ(1, history.RecordEvent(&modelPane, model.Stations()));
}

TEST(HistoryActionTest, SameActionComparesWhatTheTypeNames)
{
    CElement a, b;
    CRelationCounter c1, c2;
    auto make = [](int type, CElement* element, CRelationCounter* counter, CElement* other,
                   const char* text) {
        CHistoryAction r;
        r.type = type;
        r.element = element;
        r.counter = counter;
        r.otherEnd = other;
        r.text = text;
        return r;
    };
    const struct
    {
        CHistoryAction left, right;
        bool same;
    } cases[] = {
        {make(0, &a, nullptr, nullptr, ""), make(0, &a, nullptr, nullptr, "x"), true},
        {make(0, &a, nullptr, nullptr, ""), make(0, &b, nullptr, nullptr, ""), false},
        {make(0, &a, nullptr, nullptr, ""), make(2, &a, nullptr, nullptr, ""), false},
        {make(2, &a, nullptr, nullptr, "k|1"), make(2, &a, nullptr, nullptr, "k|2"), true},
        {make(1, &a, nullptr, nullptr, "k|Va"), make(1, &a, nullptr, nullptr, "K|vA"), true},
        {make(1, &a, nullptr, nullptr, "k|1"), make(1, &b, nullptr, nullptr, "k|1"), false},
        {make(5, &a, nullptr, nullptr, "k|1"), make(5, &a, nullptr, nullptr, "k|2"), false},
        {make(3, nullptr, &c1, &a, ""), make(3, nullptr, &c1, &a, ""), true},
        {make(3, nullptr, &c1, &a, ""), make(3, nullptr, &c1, &b, ""), false},
        {make(3, nullptr, &c1, &a, ""), make(3, nullptr, &c2, &a, ""), false},
        {make(4, &a, nullptr, nullptr, "Pump"), make(4, &b, nullptr, nullptr, "pUMP"), true},
        // Case folding touches ASCII letters only.
        {make(4, nullptr, nullptr, nullptr, "\xC4"), make(4, nullptr, nullptr, nullptr, "\xE4"),
         false},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(cases[i].same, cases[i].left.SameAction(cases[i].right)) << i;
}

} // namespace
