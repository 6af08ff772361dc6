// Loading models: structures, late binding, enabled flags, fonts, titles, hints and every
// message of a failed load.

#include "Messages.h"
#include "ModelTestSupport.h"
#include "NonRegularFiles.h"
#include "settings/MemorySettingsStore.h"
#include "StringUtil.h"
#include "settings/SettingsStore.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using platform::ScriptedPrompter;

// Two pages; Main has a group family, a link to the second page and a symbol.
const char kTwoPages[] = "[MODEL]\n"
                         "NAME=Test\n"
                         "PAGES=Main, Detail\n"
                         "[DOCUMENTATION]\n"
                         "COLLECTION=Test Collection\n"
                         "PUBLISHING ID=PID-1\n"
                         "[Main]\n"
                         "SIZE=40,30\n"
                         "ELEMENT SIZE=8,3\n"
                         "IMAGE=2\n"
                         "E1=1,1,Pump,0,pump.ins,$1,spare,Id; Name ;Site\n"
                         "E2=1,10,Motor,0,motor.ins,$1,spare,Id\n"
                         "E3=20,10,Seal,0,seal.ins,$1,spare,Id\n"
                         "E4=20,20,Next,1,M2\n"
                         "G1=5;4;5;3,1,E1,E2;E3\n"
                         "L1=E1,M2;E1,0,2,pump_part.rel,4;4,5;4,1;2\n"
                         "L2=M1;E2,E3,1,1,motor_seal.rel,2;2\n"
                         "S1=10,5,0,1,2,L1;3,L2;7\n"
                         "[Detail]\n"
                         "SIZE=20,20\n"
                         "ELEMENT SIZE=8,3\n"
                         "E1=1,1,Part,0,part.ins,$1,spare,Id\n";

std::string WithLine(std::string text, const std::string& after, const std::string& line)
{
    const std::size_t at = text.find(after);
    text.insert(at + after.size(), line);
    return text;
}

std::string Without(std::string text, const std::string& line)
{
    const std::size_t at = text.find(line);
    text.erase(at, line.size());
    return text;
}

class ModelDocTest : public ::testing::Test, public ModelFixture
{
protected:
    void SetUp() override
    {
        dir.Write("pump.ins", "P1|a\n");
        dir.Write("motor.ins", "M1|a\n");
        dir.Write("part.ins", "X1|a\n");
    }
};

TEST_F(ModelDocTest, LoadsPagesElementsGroupsLinksAndSymbols)
{
    ASSERT_TRUE(Open(kTwoPages));
    EXPECT_TRUE(prompter.MessageNumbers().empty());
    ASSERT_EQ(doc.PageCount(), 2);
    const CPage& main = *doc.PageAt(0);
    EXPECT_EQ(main.name, "Main");
    EXPECT_EQ(doc.PageAt(1)->name, "Detail"); // blanks around page names dropped
    EXPECT_EQ(main.modelWidth, 40);
    EXPECT_EQ(main.elementHeight, 3);
    EXPECT_EQ(main.icon, 2);
    EXPECT_EQ(doc.PageAt(1)->icon, -1);

    ASSERT_EQ(main.elements.size(), 4u);
    const CElement& pump = *main.elements[0];
    EXPECT_EQ(pump.name, "Pump");
    EXPECT_EQ(pump.file, "pump.ins");
    EXPECT_EQ(pump.query, "$1");
    EXPECT_EQ(pump.spare, "spare");
    EXPECT_EQ(pump.attributes, (std::vector<std::string>{"Id", "Name", "Site"}));
    EXPECT_EQ(pump.jumpTarget, -1);
    const CElement& next = *main.elements[3];
    EXPECT_TRUE(next.IsJump());
    EXPECT_EQ(next.jumpTarget, 2);
    EXPECT_EQ(next.enabled, 1);
    EXPECT_TRUE(next.file.empty());

    ASSERT_EQ(main.groups.size(), 1u);
    const CGroup& group = *main.groups[0];
    EXPECT_EQ(group.arrowX, 5);
    EXPECT_EQ(group.arrowCode, 5);
    EXPECT_EQ(group.arrowLength, 3);
    EXPECT_EQ(group.halfCell, 1);
    EXPECT_EQ(group.parent, main.elements[0].get());
    EXPECT_EQ(group.children,
              (std::vector<CElement*>{main.elements[1].get(), main.elements[2].get()}));

    ASSERT_EQ(main.links.size(), 2u);
    const CLink& toDetail = *main.links[0];
    EXPECT_EQ(toDetail.first, main.elements[0].get());
    EXPECT_EQ(toDetail.second, doc.FindElement(1, 0)); // bound after all pages were read
    EXPECT_EQ(toDetail.kind, 2);
    EXPECT_EQ(toDetail.startX, 4);
    EXPECT_EQ(toDetail.segments, (std::vector<CSegment>{{5, 4}, {1, 2}}));
    const CLink& local = *main.links[1];
    EXPECT_EQ(local.first, main.elements[1].get()); // "M1;E2" from page 1 itself
    EXPECT_TRUE(local.segments.empty());

    ASSERT_EQ(main.symbols.size(), 1u);
    const CSymbol& symbol = *main.symbols[0];
    EXPECT_EQ(symbol.kind, 2);
    EXPECT_EQ(symbol.vShift, 1);
    ASSERT_EQ(symbol.counters.size(), 2u);
    EXPECT_EQ(symbol.counters[0].link, main.links[0].get());
    EXPECT_EQ(symbol.counters[0].place, 3);
    EXPECT_EQ(symbol.counters[1].place, 7);
    EXPECT_EQ(symbol.counters[1].relations, -1);

    EXPECT_EQ(context.collection, "Test Collection");
    EXPECT_EQ(context.publishingId, "PID-1");
    EXPECT_EQ(doc.Title(), "Test Collection");
}

TEST_F(ModelDocTest, EnabledFlagsFollowInstanceFilesAndGroupChildren)
{
    ASSERT_TRUE(Open(kTwoPages));
    const CPage& main = *doc.PageAt(0);
    EXPECT_EQ(main.elements[1]->enabled, 1); // motor.ins exists
    EXPECT_EQ(main.elements[2]->enabled, 0); // seal.ins does not
    EXPECT_EQ(main.elements[0]->enabled, 1);

    // A parent without a file of its own is enabled through an enabled child.
    dir.Write("motor.ins", "");
    std::filesystem::remove(dir / "pump.ins");
    ASSERT_TRUE(Open(kTwoPages));
    EXPECT_EQ(doc.PageAt(0)->elements[0]->enabled, 1);
    std::filesystem::remove(dir / "motor.ins");
    ASSERT_TRUE(Open(kTwoPages));
    EXPECT_EQ(doc.PageAt(0)->elements[0]->enabled, 0);
}

TEST_F(ModelDocTest, InstanceFilesAreFoundIgnoringCase)
{
    dir.Write("SEAL.INS", "S1|a\n");
    ASSERT_TRUE(Open(kTwoPages));
    EXPECT_EQ(doc.PageAt(0)->elements[2]->enabled, 1);
}

TEST_F(ModelDocTest, HintsAnnounceTheNewModel)
{
    struct Recorder : IModelView
    {
        void OnUpdate(IModelView*, CUpdateHint& hint) override
        {
            seen.emplace_back(hint.kind, hint.code);
        }
        std::vector<std::pair<int, int>> seen;
    } view;
    doc.AddView(&view);
    ASSERT_TRUE(Open(kTwoPages));
    const std::vector<std::pair<int, int>> expected{{3, 3}, {1, 1}, {2, 1}};
    EXPECT_EQ(view.seen, expected);
}

TEST_F(ModelDocTest, BroadcastSkipsTheSenderAndClearsHighlightsExceptForListings)
{
    ASSERT_TRUE(Open(kTwoPages));
    struct Counter : IModelView
    {
        void OnUpdate(IModelView*, CUpdateHint& hint) override
        {
            ++calls;
            hint.result = 1;
        }
        int calls = 0;
    } a, b;
    doc.AddView(&a);
    doc.AddView(&b);
    CElement* pump = Element(0, 0);

    for (int code : {7, 8}) {
        pump->relationHighlight = 1;
        CUpdateHint hint;
        hint.Set(2, code, pump);
        doc.UpdateAllViews(&a, hint);
        EXPECT_EQ(pump->relationHighlight, 1) << code;
        EXPECT_EQ(hint.result, 1);
    }
    pump->relationHighlight = 1;
    CUpdateHint hint;
    hint.Set(2, 4, pump);
    doc.UpdateAllViews(&a, hint);
    EXPECT_EQ(pump->relationHighlight, 0);
    EXPECT_EQ(a.calls, 0);
    EXPECT_EQ(b.calls, 3);
}

TEST_F(ModelDocTest, StatusBarShowsEachPageWhileLoadingAndIsRestored)
{
    ASSERT_TRUE(Open(kTwoPages));
    const auto& texts = statusBar.texts;
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Loading Model: Main ..."), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Loading Model: Detail ..."), texts.end());
    EXPECT_EQ(statusBar.Text(), "Ready");
}

// Every way a load fails, with the messages in order. A failed load leaves an empty,
// untitled document.
struct FailureCase
{
    const char* name;
    std::string model;
    std::vector<int> messages;
    std::string firstText;
};

class ModelLoadFailureTest : public ModelDocTest, public ::testing::WithParamInterface<FailureCase>
{
};

TEST_P(ModelLoadFailureTest, ReportsAndLeavesAnEmptyDocument)
{
    const FailureCase& c = GetParam();
    EXPECT_FALSE(Open(c.model));
    EXPECT_EQ(prompter.MessageNumbers(), c.messages);
    if (!c.firstText.empty()) {
        ASSERT_FALSE(prompter.MessageTexts().empty());
        EXPECT_EQ(prompter.MessageTexts().front(), c.firstText);
    }
    ASSERT_FALSE(prompter.MessageTexts().empty());
    EXPECT_EQ(prompter.MessageTexts().back(), MessageFormat(MSG_MODEL_NOT_LOADED));
    // Each message is preceded by the exclamation beep.
    const auto& events = prompter.Events();
    for (std::size_t i = 0; i < events.size(); ++i) {
        if (events[i].kind == ScriptedPrompter::Event::Kind::Message) {
            ASSERT_GT(i, 0u);
            EXPECT_EQ(events[i - 1].kind, ScriptedPrompter::Event::Kind::Beep);
            EXPECT_EQ(events[i].icon, platform::Icon::Exclamation);
        }
    }
    EXPECT_EQ(doc.PageCount(), 0);
    EXPECT_EQ(doc.Title(), "Untitled");
    EXPECT_TRUE(doc.PathName().empty());
}

std::string MainSection(const std::string& entries)
{
    return "[MODEL]\nPAGES=Main\n[Main]\nSIZE=10,10\nELEMENT SIZE=2,2\n" + entries;
}

INSTANTIATE_TEST_SUITE_P(
    Failures, ModelLoadFailureTest,
    ::testing::Values(
        FailureCase{"MissingSize", Without(kTwoPages, "SIZE=20,20\n"), {5002, 5017},
                    "Unable to read 'SIZE' information from the section 'Detail'. Unable to "
                    "continue."},
        FailureCase{"EmptyElementSize", WithLine(Without(kTwoPages, "ELEMENT SIZE=8,3\nE1=1,1,Part"),
                                                "SIZE=20,20\n", "ELEMENT SIZE=\nE1=1,1,Part"),
                    {5002, 5017},
                    "Unable to read 'ELEMENT SIZE' information from the section 'Detail'. "
                    "Unable to continue."},
        FailureCase{"SizeNotNumbers", MainSection("E1=1,1,A,0,a.ins,q,s,Id\n").replace(
                                          std::string("[MODEL]\nPAGES=Main\n[Main]\n").size(),
                                          10, "SIZE=1,x\n"),
                    {5017}, ""},
        FailureCase{"PageWithoutElements", MainSection("E2=1,1,A,0,a.ins,q,s,Id\n"),
                    {5016, 5017},
                    "Unable to find any valid elements from model 'Main'. Model is not loaded."},
        FailureCase{"GroupChildAfterGap",
                    MainSection("E1=1,1,A,0,a.ins,q,s,Id\nE2=1,4,B,0,b.ins,q,s,Id\n"
                                "E4=1,8,D,0,d.ins,q,s,Id\nG1=1;1;5;2,0,E1,E2;E4\n"),
                    {5003, 5017},
                    "Invalid element reference 'E4' found in group 'G1' / model 'Main'."},
        FailureCase{"GroupParentMissing",
                    MainSection("E1=1,1,A,0,a.ins,q,s,Id\nG1=1;1;5;2,0,E1,E1\n"
                                "G2=1;1;5;2,0,E7,E1\n"),
                    {5003, 5017},
                    "Invalid element reference 'E7' found in group 'G2' / model 'Main'."},
        FailureCase{"GroupFirstFieldNotPair",
                    MainSection("E1=1,1,A,0,a.ins,q,s,Id\nG1=1;1;x;2,0,E1,E1\n"), {5017}, ""},
        FailureCase{"ElementNameIsNumber", MainSection("E1=1,1,12,0,a.ins,q,s,Id\n"), {5017},
                    ""},
        FailureCase{"ElementNameIsReference", MainSection("E1=1,1,E5,0,a.ins,q,s,Id\n"), {5017},
                    ""},
        FailureCase{"ElementFileWithoutDot", MainSection("E1=1,1,Pump,0,pumpfile,q,s,Id\n"),
                    {5017}, ""},
        FailureCase{"ElementEmptyQuery", MainSection("E1=1,1,Pump,0,p.txt,,x,Id\n"), {5017},
                    ""},
        FailureCase{"CounterNotALinkReference",
                    MainSection("E1=1,1,A,0,a.ins,q,s,Id\nE2=1,5,B,0,b.ins,q,s,Id\n"
                                "L1=E1,E2,0,1,r.rel,1;1,5;2\nS1=1,1,0,0,1,L1;2,E1;2\n"),
                    {5017}, ""},
        // A segment that is not "code;length" already fails the link's pattern check, so
        // the load fails instead of just ending the segment list.
        FailureCase{"LinkSegmentNotNumbers",
                    MainSection("E1=1,1,A,0,a.ins,q,s,Id\nL1=E1,E1,0,1,r.rel,1;1,x;4,5;2\n"),
                    {5017}, ""},
        FailureCase{"LinkToMissingPage",
                    MainSection("E1=1,1,A,0,a.ins,q,s,Id\nL1=E1,M3;E1,0,1,r.rel,1;1,5;2\n"),
                    {5008, 5017},
                    "Invalid link between two elements, belonging to different models found "
                    "while doing late binding. Check that all elements and links between them "
                    "correct ."},
        FailureCase{"LinkToMissingElement",
                    MainSection("E1=1,1,A,0,a.ins,q,s,Id\nL1=E1,E2,0,1,r.rel,1;1,5;2\n"),
                    {5008, 5017}, ""},
        FailureCase{"NoPages", "[MODEL]\nNAME=x\n", {5002, 5017},
                    "Unable to read 'SIZE' information from the section ''. Unable to "
                    "continue."}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

TEST_F(ModelDocTest, LoadPositionNamesTheEntryWhereTheLoadStopped)
{
    using Entry = std::pair<std::string, std::string>;
    const struct
    {
        std::string model;
        Entry position;
    } cases[] = {
        {Without(kTwoPages, "SIZE=20,20\n"), {"Detail", "SIZE"}},
        {MainSection("E1=1,1,12,0,a.ins,q,s,Id\n"), {"Main", "E1"}},
        {MainSection("E2=1,1,A,0,a.ins,q,s,Id\n"), {"Main", "E1"}},
        {MainSection("E1=1,1,A,0,a.ins,q,s,Id\nG1=1;1;5;2,0,E1,E1\nG2=1;1;5;2,0,E7,E1\n"),
         {"Main", "G2"}},
        {MainSection("E1=1,1,A,0,a.ins,q,s,Id\nL1=E1,E1,0,1,r.rel,1;1\n"
                     "L2=E1,M3;E1,0,1,r.rel,1;1,5;2\n"),
         {"Main", "L2"}},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(Open(c.model));
        EXPECT_EQ(Entry(doc.LoadPosition().section, doc.LoadPosition().key), c.position) << c.model;
    }
    ASSERT_TRUE(Open(kTwoPages));
    EXPECT_TRUE(doc.LoadPosition().section.empty());
    EXPECT_TRUE(doc.LoadPosition().key.empty());
}

TEST_F(ModelDocTest, ModelFileThatIsNotAFileIsNotOpened)
{
    const HangGuard guard;
    for (const SpecialFile kind : kSpecialFiles) {
        const std::string path = dir / (std::string(SpecialFileName(kind)) + ".mdl");
        ASSERT_TRUE(MakeSpecialFile(path, kind));
        prompter.Clear();
        EXPECT_FALSE(doc.OnOpenDocument(path));
        EXPECT_EQ(prompter.MessageTexts(),
                  std::vector<std::string>{"Cannot open the file '" + path + "'."})
            << SpecialFileName(kind);
    }
}

TEST_F(ModelDocTest, EntriesAfterAGapAreIgnored)
{
    ASSERT_TRUE(Open(MainSection("E1=1,1,A,0,a.ins,q,s,Id\nE2=1,4,B,0,b.ins,q,s,Id\n"
                                 "E4=1,8,D,0,d.ins,q,s,Id\n")));
    EXPECT_EQ(doc.PageAt(0)->elements.size(), 2u);
}

TEST_F(ModelDocTest, ElementQuirksThatLoad)
{
    ASSERT_TRUE(Open(MainSection("E1=1,1,Odd,2,a.ins,q,s,Id\n"
                                 "E2=1,4,Short,0,b.ins\n"
                                 "E3=1,8,Jumpy,1,x.txt,q,s,Id\n"
                                 "G1=1;1;5;2,0,E0,E\n")));
    const CPage& page = *doc.PageAt(0);
    EXPECT_EQ(page.elements[0]->type, 2); // any other type loads like a normal element
    EXPECT_EQ(page.elements[0]->file, "a.ins");
    EXPECT_TRUE(page.elements[1]->query.empty()); // five fields are a leading part
    EXPECT_EQ(page.elements[1]->attributes, std::vector<std::string>{""});
    EXPECT_EQ(page.elements[2]->jumpTarget, -1); // type 1 with a file name: no digits
    // "E0" and a bare "E" name element 1.
    EXPECT_EQ(page.groups[0]->parent, page.elements[0].get());
    EXPECT_EQ(page.groups[0]->children[0], page.elements[0].get());
}

TEST_F(ModelDocTest, CounterWithoutPlacePassesAsALeadingPart)
{
    // "L2" is a leading part of "L#;#", so the counter loads with place 0.
    ASSERT_TRUE(Open(MainSection("E1=1,1,A,0,a.ins,q,s,Id\nE2=1,5,B,0,b.ins,q,s,Id\n"
                                 "L1=E1,E2,0,1,r.rel,1;1,5;2\nL2=E1,E2,0,1,r.rel,1;1,5;2\n"
                                 "S1=1,1,0,0,1,L1;2,L2\n")));
    const CSymbol& symbol = *doc.PageAt(0)->symbols[0];
    ASSERT_EQ(symbol.counters.size(), 2u);
    EXPECT_EQ(symbol.counters[1].link, doc.PageAt(0)->links[1].get());
    EXPECT_EQ(symbol.counters[1].place, 0);
}

TEST_F(ModelDocTest, CounterNamingNoLinkIsKeptWithoutALink)
{
    ASSERT_TRUE(Open(MainSection("E1=1,1,A,0,a.ins,q,s,Id\nS1=1,1,0,0,1,L9;2\n")));
    const CRelationCounter& counter = doc.PageAt(0)->symbols[0]->counters[0];
    EXPECT_EQ(counter.link, nullptr);
    EXPECT_EQ(counter.linkNumber, 9);
}

TEST_F(ModelDocTest, EmptyCollectionLoadsWithAnEmptyTitle)
{
    ASSERT_TRUE(Open(MainSection("E1=1,1,A,0,a.ins,q,s,Id\n")));
    EXPECT_EQ(doc.Title(), "");
}

TEST_F(ModelDocTest, ValuesAreCutAt298Characters)
{
    const std::string attributes = "Id;" + std::string(400, 'a');
    ASSERT_TRUE(Open(MainSection("E1=1,1,A,0,a.ins,q,s," + attributes + "\n")));
    const CElement& e = *doc.PageAt(0)->elements[0];
    ASSERT_EQ(e.attributes.size(), 2u);
    EXPECT_EQ(std::string("1,1,A,0,a.ins,q,s,Id;").size() + e.attributes[1].size(), 298u);
}

TEST_F(ModelDocTest, UnreadableFileKeepsTheOpenModel)
{
    ASSERT_TRUE(Open(kTwoPages));
    EXPECT_FALSE(doc.OnOpenDocument(dir / "missing.mdl"));
    EXPECT_EQ(prompter.MessageNumbers(), std::vector<int>{0});
    EXPECT_EQ(doc.PageCount(), 2);
    EXPECT_EQ(doc.Title(), "Test Collection");
}

TEST_F(ModelDocTest, LookupsOnPagesAndGroups)
{
    ASSERT_TRUE(Open(kTwoPages));
    CElement* pump = Element(0, 0);
    CElement* motor = Element(0, 1);
    CElement* seal = Element(0, 2);
    EXPECT_EQ(doc.FindElement(0, 4), nullptr);
    EXPECT_EQ(doc.FindElement(2, 0), nullptr);
    EXPECT_EQ(doc.FindElement(-1, 0), nullptr);
    EXPECT_EQ(doc.PageOfElement(Element(1, 0)), 1);
    EXPECT_EQ(doc.ParentElementOf(seal, 0), pump);
    EXPECT_EQ(doc.GroupWithParent(pump, 0), doc.PageAt(0)->groups[0].get());
    EXPECT_EQ(doc.GroupOf(motor, 0), doc.PageAt(0)->groups[0].get());
    EXPECT_EQ(doc.PageAt(0)->TopAncestor(seal), pump);
    EXPECT_EQ(doc.FirstCounterLinkOf(motor), doc.PageAt(0)->links[1].get());

    // Enabled-element cycling: seal.ins is missing, so Seal is skipped.
    const CPage& main = *doc.PageAt(0);
    EXPECT_EQ(main.FirstEnabled(), pump);
    EXPECT_EQ(main.NextEnabled(motor), Element(0, 3));
    EXPECT_EQ(main.NextEnabled(Element(0, 3)), pump); // wraps
    EXPECT_EQ(main.PreviousEnabled(pump), Element(0, 3));
    EXPECT_EQ(main.LastEnabled(), Element(0, 3));
}

TEST_F(ModelDocTest, CyclicGroupsDoNotHang)
{
    dir.Write("a.ins", "A1|a\n");
    dir.Write("b.ins", "B1|b\n");
    ASSERT_TRUE(Open(MainSection("E1=1,1,A,0,a.ins,q,s,Id\nE2=1,4,B,0,b.ins,q,s,Id\n"
                                 "G1=1;1;5;2,0,E1,E2\nG2=1;1;5;2,0,E2,E1\n")));
    const CPage& page = *doc.PageAt(0);
    CElement* top = page.TopAncestor(page.elements[0].get());
    EXPECT_TRUE(top == page.elements[0].get() || top == page.elements[1].get());
    // Each file of the loop is listed once.
    CollectingSink sink;
    LoadInstanceTree(doc, page.elements[0].get(), nullptr, sink, 0);
    EXPECT_EQ(sink.Keys(), (std::vector<std::string>{"A1", "B1"}));
    doc.CountPageRelations(page.elements[0].get(), 0, nullptr);
    EXPECT_EQ(page.FirstCounter(), nullptr);
}

using MemoryStore = platform::MemorySettingsStore;

TEST_F(ModelDocTest, FontIsSavedPerModelAndRestored)
{
    MemoryStore store;
    context.settings = &store;
    ASSERT_TRUE(Open(kTwoPages));
    EXPECT_EQ(doc.Font(), CFontRecord::ModelDefault());
    CFontRecord font;
    font.height = 12;
    font.weight = 400;
    font.italic = 1;
    font.pitchAndFamily = 34;
    font.faceName = "DejaVu Sans";
    doc.SetFont(font);
    doc.OnCloseDocument();
    EXPECT_EQ(store.ReadString("FONTS", "Test Collection", ""), "12,0,0,0,400,1,0,0,0,0,0,0,34,DejaVu Sans");
    EXPECT_EQ(doc.Title(), "Untitled");

    ASSERT_TRUE(Open(kTwoPages));
    EXPECT_EQ(doc.Font(), font);

    // With the switch off the saved font is neither read nor written.
    context.switches.useSavedFont = 0;
    doc.ResetFont();
    doc.OnCloseDocument();
    EXPECT_EQ(store.ReadString("FONTS", "Test Collection", ""), "12,0,0,0,400,1,0,0,0,0,0,0,34,DejaVu Sans");
    ASSERT_TRUE(Open(kTwoPages));
    EXPECT_EQ(doc.Font(), CFontRecord::ModelDefault());
}

TEST(FontRecordTest, SavedValuesAreTakenFieldByField)
{
    CFontRecord font;
    font.ParseSaved("10,2");
    EXPECT_EQ(font.height, 10);
    EXPECT_EQ(font.width, 2);
    EXPECT_EQ(font.weight, 800); // fields that are not there keep their value
    font.ParseSaved("1,2,3,4,5,300,7,8,9,10,11,12,13," + std::string(40, 'F') + ",extra");
    EXPECT_EQ(font.italic, 300 & 0xFF);
    EXPECT_EQ(font.pitchAndFamily, 13);
    EXPECT_EQ(font.faceName.size(), 31u);
    CFontRecord unchanged;
    unchanged.ParseSaved("");
    EXPECT_EQ(unchanged, CFontRecord::ModelDefault());
}

TEST_F(ModelDocTest, RelativeModelPathResolvesFilesBesideTheModel)
{
    dir.Write("model.mdl", kTwoPages);
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    platform::ClearProfileCache();
    const bool opened = doc.OnOpenDocument("model.mdl");
    std::filesystem::current_path(previous);
    ASSERT_TRUE(opened);
    EXPECT_EQ(doc.PageAt(0)->elements[0]->enabled, 1);
    EXPECT_EQ(context.modelDirectory.back(), '/');
}

TEST(SampleModelTest, OpensWithoutMessages)
{
    ModelFixture fixture;
    ASSERT_TRUE(fixture.doc.OnOpenDocument(std::string(MB_EXAMPLES_DIR) + "/sample.mdl"));
    EXPECT_TRUE(fixture.prompter.MessageNumbers().empty());
    EXPECT_GE(fixture.doc.PageCount(), 3);
    int elements = 0;
    for (const auto& page : fixture.doc.Pages())
        elements += static_cast<int>(page->elements.size());
    EXPECT_GE(elements, 30);
    EXPECT_EQ(fixture.doc.ReadAllRelations(1), 1);
}

TEST(SampleModelTest, EveryInstanceShowsItsKeyUnderIdAndAValueForEachAttribute)
{
    // The key before "|" is not a value: the sample repeats it as value 1, so that the
    // property list shows it under "Id" and no column is one place off.
    ModelFixture fixture;
    ASSERT_TRUE(fixture.doc.OnOpenDocument(std::string(MB_EXAMPLES_DIR) + "/sample.mdl"));
    int instances = 0;
    for (const auto& page : fixture.doc.Pages()) {
        for (const auto& element : page->elements) {
            if (element->IsJump() || !element->enabled)
                continue;
            ASSERT_FALSE(element->attributes.empty());
            EXPECT_EQ(element->attributes.front(), "Id") << element->name;
            CollectingSink sink;
            ASSERT_EQ(LoadInstances(fixture.doc, element.get(), nullptr, nullptr, 1, sink), 1);
            const int count = static_cast<int>(element->attributes.size());
            for (const CInstanceRecord& record : sink.records) {
                SCOPED_TRACE(element->name + " " + record.key);
                std::string value;
                ASSERT_TRUE(InstanceValue(record.text, 1, value));
                EXPECT_EQ(value, record.key);
                ASSERT_TRUE(InstanceValue(record.text, count, value));
                EXPECT_FALSE(value.empty());
                EXPECT_FALSE(InstanceValue(record.text, count + 1, value));
                ++instances;
            }
        }
    }
    EXPECT_EQ(instances, 936);
}

} // namespace
