// The information side driven through the whole program as a user drives it: elements and
// relation counters clicked on the page, entries clicked in the instance list, keys pressed,
// the find box typed into, questions answered by the scripted prompter. The models are small
// files written for each test, so every expected entry can be read off the files below.
#include "ShellTestSupport.h"

#include "AttributeCombo.h"
#include "ColListView.h"
#include "FindInstanceDialog.h"
#include "HistoryView.h"
#include "InstanceList.h"
#include "InstanceView.h"
#include "ListPropertyView.h"
#include "MainStatusBar.h"
#include "ModelListView.h"
#include "RestoreDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>

#include <filesystem>
#include <functional>
#include <iostream>
#include <string_view>

namespace {

using namespace std::string_view_literals;
using platform::Answer;
using Strings = std::vector<std::string>;

// Page Main: Object (object.ins) is the parent of Program, Data and Ghost (ghost.ins is never
// written, so Ghost is disabled); Block has no file of its own and is the parent of Routine.
// Person, Empty (no valid line), Lonely and Hostile stand alone. L1 links Program to Routine
// through prog_routine.rel and S1 counts it.
// Page Big: Left and Right linked through big.rel, which S1 counts twice.
const char kModel[] = "[MODEL]\nPAGES=Main,Big\n[DOCUMENTATION]\nCOLLECTION=Info Test\n"
                      "[Main]\nSIZE=64,34\nELEMENT SIZE=8,2\n"
                      "E1=2,2,Object,0,object.ins,q,s,Id;Name\n"
                      "E2=2,12,Program,0,program.ins,q,s,Name;Site;Region\n"
                      "E3=14,20,Data,0,data.ins,q,s,Id;Full Name\n"
                      "E4=26,20,Ghost,0,ghost.ins,q,s,Id\n"
                      "E5=50,2,Block,0,block.ins,q,s,Code;Name\n"
                      "E6=50,12,Routine,0,routine.ins,q,s,Code;Name\n"
                      "E7=2,28,Person,0,person.ins,q,s,Full Name;Name\n"
                      "E8=14,28,Empty,0,empty.ins,q,s,Id\n"
                      "E9=26,28,Lonely,0,lonely.ins,q,s,Id\n"
                      "E10=38,28,Hostile,0,hostile.ins,q,s,Text;More\n"
                      "G1=6;4;5;8,0,E1,E2;E3;E4\n"
                      "G2=54;4;5;8,0,E5,E6\n"
                      "L1=E2,E6,0,2,prog_routine.rel,10;13,4;40\n"
                      "S1=30,12,0,0,2,L1;0\n"
                      "[Big]\nSIZE=40,12\nELEMENT SIZE=8,2\n"
                      "E1=2,2,Left,0,left.ins,q,s,Id\n"
                      "E2=30,2,Right,0,right.ins,q,s,Id\n"
                      "L1=E1,E2,0,2,big.rel,10;3,4;20\n"
                      "S1=20,2,0,0,2,L1;0,L1;4\n";

// Program's entries in load order; P2 has no Region.
const Strings kProgramKeys = {"P3", "P1", "P2", "P4", "P5"};

class InformationSideTest : public ShellFixture
{
protected:
    void SetUp() override
    {
        Write("object.ins", "O1|Root object^Top\n");
        Write("program.ins", "P3|zeta^Oslo^North\n"
                             "P1|Alpha^Bergen^West\n"
                             "P2|beta^Pumphouse\n"
                             "P4|Beta^Pump Station^South\n"
                             "P5|gamma^Bergen^pump room\n");
        Write("data.ins", "D1|Disk^Data One\nD2|Tape^Data Two\n");
        Write("routine.ins", "R1|run^Start\nR2|halt^Stop\nR3|wait^Pause\n");
        Write("person.ins", "H1|Ada Lovelace^Ada\n");
        // A reference-like key and a second bar: nothing here is an instance.
        Write("empty.ins", "E5|x\nK1|a|b\n\n");
        Write("lonely.ins", "N1|x\n");
        Write("hostile.ins", "Z1|z\n");
        // P1 relates to R1 and R3, P3 to R2, P2 only to R9, which routine.ins does not hold.
        Write("prog_routine.rel", "P1,R1\nP1,R3\nP3,R2\nP2,R9\n");
        Write("left.ins", "A1|a\n");
        Write("right.ins", "B1|b\n");
        Write("big.rel", "A1,B1\n");
        m_model = WriteModel("info.mdl", kModel);
    }
    void TearDown() override
    {
        CRestoreEventDialog::SetExecHook(nullptr);
        CHistoryView::SetShiftQuery(nullptr);
        ShellFixture::TearDown();
    }

    void Write(const std::string& name, const std::string& bytes) const { dir.Write(name, bytes); }

    // Starts the program on the test model with the main window active (so that keys reach
    // the window's shortcuts) and the model side showing its first page.
    void Open()
    {
        ASSERT_TRUE(Start(m_model));
        Frame().resize(1000, 700);
        Frame().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
        ASSERT_NE(View(), nullptr);
        prompter.Clear();
    }

    CListPropertyView& Info() { return *Frame().InformationSide(); }
    CInstanceView* View() { return Info().InstanceView(); }
    CInstanceList* List() { return View()->List(); }
    CHistoryView* HistoryTree() { return Info().HistoryView(); }
    CElement* Main(const std::string& name) { return Element(0, name); }

    // A left click on the element on its page (the page's tab is selected first).
    void Click(int page, const std::string& name)
    {
        CElement* element = Element(page, name);
        ASSERT_NE(element, nullptr) << name;
        ModelSide().SelectTab(page);
        CModelView* view = PageView(page);
        const QPoint at = CentreOf(view, element);
        ASSERT_TRUE(view->viewport()->rect().contains(at)) << name << " is out of sight";
        ASSERT_EQ(view->ElementAt(at), element) << name << " is not under the pointer";
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    }
    void Click(const std::string& name) { Click(0, name); }
    // A left click on a relation counter of the current page; it must be counted and drawn.
    void ClickCounter(CRelationCounter* counter)
    {
        CModelView* view = ModelSide().CurrentPageView();
        view->viewport()->repaint();
        const QPoint at = CentreOf(view, counter);
        ASSERT_TRUE(view->viewport()->rect().contains(at)) << "the counter is out of sight";
        ASSERT_EQ(view->CounterAt(at), counter) << "the counter is not under the pointer";
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    }
    CRelationCounter* Counter(int page, int symbol = 0, int counter = 0)
    {
        return &app->Document()
                    .PageAt(page)
                    ->symbols[static_cast<std::size_t>(symbol)]
                    ->counters[static_cast<std::size_t>(counter)];
    }
    // A left click on a list entry.
    void ClickRow(int row)
    {
        const QRect r = List()->visualRect(View()->ListModel()->index(row));
        ASSERT_TRUE(r.isValid()) << row;
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, r.center());
        ASSERT_EQ(View()->SelectedPosition(), row);
    }
    // A key with modifiers pressed in the instance list (the window's shortcuts take it).
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(List(), key, modifiers);
    }

    Strings Keys()
    {
        Strings keys;
        for (std::size_t i = 0; i < View()->Store().Count(); ++i)
            keys.emplace_back(View()->Store().Key(i));
        return keys;
    }
    // What the list shows, row by row.
    Strings Shown()
    {
        Strings shown;
        const CInstanceListModel* model = View()->ListModel();
        for (int row = 0; row < model->rowCount(); ++row)
            shown.push_back(model->index(row).data().toString().toStdString());
        return shown;
    }
    // The rows whose entry is drawn as the relation source.
    std::vector<int> SourceRows()
    {
        std::vector<int> rows;
        const CInstanceListModel* model = View()->ListModel();
        for (int row = 0; row < model->rowCount(); ++row) {
            if (model->index(row).data(CInstanceListModel::RelationSourceRole).toBool())
                rows.push_back(row);
        }
        return rows;
    }
    // The property list as "Attribute=Value" lines.
    Strings Properties()
    {
        Strings rows;
        CColListView* list = Info().ItemsView()->PropertyList();
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = list->topLevelItem(i);
            rows.push_back((item->text(0) + "=" + item->text(1)).toStdString());
        }
        return rows;
    }
    std::string Property(const std::string& name)
    {
        for (const std::string& row : Properties()) {
            if (row.rfind(name + "=", 0) == 0)
                return row.substr(name.size() + 1);
        }
        return "<no row " + name + ">";
    }
    // Every history item's text, depth first.
    Strings History()
    {
        Strings texts;
        std::function<void(QTreeWidgetItem*)> walk = [&](QTreeWidgetItem* item) {
            texts.push_back(item->text(0).toStdString());
            for (int i = 0; i < item->childCount(); ++i)
                walk(item->child(i));
        };
        for (int i = 0; i < HistoryTree()->topLevelItemCount(); ++i)
            walk(HistoryTree()->topLevelItem(i));
        return texts;
    }
    // The last message box shown.
    platform::ScriptedPrompter::Event LastMessage()
    {
        const auto& events = prompter.Events();
        for (auto it = events.rbegin(); it != events.rend(); ++it) {
            if (it->kind == platform::ScriptedPrompter::Event::Kind::Message)
                return *it;
        }
        return {};
    }
    std::string FindStatus() { return Frame().StatusBar()->FindStatusText().toStdString(); }
    QLineEdit* FindEdit() { return Frame().FindBox()->lineEdit(); }
    // Replaces the find box's word as typed by the user.
    void TypeFindWord(const QString& word)
    {
        FindEdit()->setFocus();
        FindEdit()->selectAll();
        QTest::keyClick(FindEdit(), Qt::Key_Delete);
        QTest::keyClicks(FindEdit(), word);
    }
    bool FocusInFindBox()
    {
        QWidget* focus = QApplication::focusWidget();
        return focus && (focus == Frame().FindBox() || Frame().FindBox()->isAncestorOf(focus));
    }

    std::string m_model;
};

TEST_F(InformationSideTest, OpeningAnElementListsSelectsAndDescribesItsInstances)
{
    Open();
    Info().SelectTab(CListPropertyView::TabHistory);
    Click("Program");
    EXPECT_TRUE(prompter.MessageNumbers().empty());
    EXPECT_EQ(View()->CurrentElement(), Main("Program"));
    EXPECT_EQ(Keys(), kProgramKeys);
    EXPECT_EQ(Shown(), (Strings{"zeta", "Alpha", "beta", "Beta", "gamma"}));
    EXPECT_EQ(Info().CurrentTab(), CListPropertyView::TabItems);
    EXPECT_EQ(View()->SelectedPosition(), 0);
    EXPECT_EQ(View()->Selector()->count(), 3);
    EXPECT_EQ(View()->Selector()->currentText(), QStringLiteral("Name of Program"));
    // The element is a child of Object's group: the count names the parent.
    EXPECT_EQ(Properties(),
              (Strings{"Name=zeta", "Site=Oslo", "Region=North", "Information=Program IS AN Object",
                       "Count=5 items in Object"}));
    EXPECT_EQ(History(), Strings{"Program(s) loaded"});
    for (int id : {ID_RELATED_INSTANCES, ID_ALL_RELATED_INSTANCES, ID_FIND_INSTANCE})
        EXPECT_TRUE(Enabled(id)) << id;

    // The property list follows a click in the list; an entry without a Region has an empty
    // value there.
    ClickRow(2);
    EXPECT_EQ(Properties(),
              (Strings{"Name=beta", "Site=Pumphouse", "Region=", "Information=Program IS AN Object",
                       "Count=5 items in Object"}));

    // A parent whose name starts with a consonant: IS A.
    Click("Routine");
    EXPECT_EQ(Property("Information"), "Routine IS A Block");
    EXPECT_EQ(Property("Count"), "3 items in Block");
    EXPECT_EQ(History(), (Strings{"Program(s) loaded", "Routine(s) loaded"}));
}

TEST_F(InformationSideTest, AnElementWithoutValidLinesDisablesThePane)
{
    Open();
    Click("Program");
    Click("Empty");
    EXPECT_EQ(prompter.MessageNumbers(), std::vector<int>{5029});
    EXPECT_EQ(prompter.MessageTexts().back(), "No valid strings found in current element!");
    EXPECT_EQ(View()->Store().Count(), 0u);
    EXPECT_EQ(View()->Selector()->count(), 0);
    EXPECT_FALSE(View()->Selector()->isEnabled());
    EXPECT_FALSE(List()->isEnabled());
    EXPECT_FALSE(Info().ItemsView()->PropertyList()->isEnabled());
    EXPECT_EQ(Info().ItemsView()->PropertyList()->topLevelItemCount(), 0);
    for (int id : {ID_RELATED_INSTANCES, ID_ALL_RELATED_INSTANCES, ID_FIND_INSTANCE,
                   ID_FIND_NEXT_INSTANCE}) {
        EXPECT_FALSE(Enabled(id)) << id;
        EXPECT_FALSE(Frame().Action(id)->isEnabled()) << id;
    }
    // Ctrl+A on the disabled pane does nothing.
    QTest::keyClick(&Frame(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Counter(0)->relations, -1);

    // The next listing with entries enables everything again.
    Click("Person");
    EXPECT_TRUE(List()->isEnabled());
    EXPECT_TRUE(View()->Selector()->isEnabled());
    EXPECT_TRUE(Info().ItemsView()->PropertyList()->isEnabled());
    EXPECT_TRUE(Enabled(ID_ALL_RELATED_INSTANCES));
}

TEST_F(InformationSideTest, GroupParentsListTheirEnabledFamilyAndOnlyLeavesReportMissingFiles)
{
    Open();
    ASSERT_EQ(Main("Ghost")->enabled, 0);
    ASSERT_EQ(Main("Block")->enabled, 1); // through Routine
    Click("Object");
    EXPECT_EQ(Keys(), (Strings{"O1", "P3", "P1", "P2", "P4", "P5", "D1", "D2"}));
    EXPECT_EQ(Property("Information"), "Object");
    EXPECT_EQ(Property("Count"), "8 items in Object");
    // An entry from a child's file shows the child's attributes and, Object having no
    // parent, the child's name.
    ClickRow(6);
    EXPECT_EQ(Properties(), (Strings{"Id=Disk", "Full Name=Data One", "Information=Data",
                                     "Count=8 items in Data"}));
    // Block's own file is missing: no message for a parent.
    Click("Block");
    EXPECT_EQ(Keys(), (Strings{"R1", "R2", "R3"}));
    EXPECT_TRUE(prompter.MessageNumbers().empty());

    // A plain element whose file went away since the model was opened.
    std::filesystem::remove(dir / "lonely.ins");
    Click("Lonely");
    EXPECT_EQ(prompter.MessageNumbers(), (std::vector<int>{5012, 5029}));
    EXPECT_EQ(prompter.MessageTexts().front(),
              "Unable to open inatance file 'lonely.ins' for element 'Lonely'.");
}

TEST_F(InformationSideTest, AttributeChoiceFollowsTheAttributeSetting)
{
    Open();
    CAttributeCombo* selector = View()->Selector();
    Click("Program");
    ASSERT_EQ(View()->AttributeIndex(), 0);
    // The user picks Region with the keyboard: P2 has no Region.
    selector->setFocus();
    QTest::keyClick(selector, Qt::Key_Down);
    QTest::keyClick(selector, Qt::Key_Down);
    ASSERT_EQ(View()->AttributeIndex(), 2);
    EXPECT_EQ(Shown(),
              (Strings{"North", "West", "<Attribute not found or defined>", "South", "pump room"}));
    // ... then goes back up to Name, which is remembered.
    QTest::keyClick(selector, Qt::Key_Up);
    QTest::keyClick(selector, Qt::Key_Up);
    ASSERT_EQ(View()->AttributeIndex(), 0);

    // ATTRIBUTE 0: the remembered NAME is contained in Full Name ...
    Click("Data");
    EXPECT_EQ(selector->currentText(), QStringLiteral("Full Name of Data"));
    EXPECT_EQ(Shown(), (Strings{"Data One", "Data Two"}));
    // ... but an exact match wins over an earlier containing one.
    Click("Person");
    EXPECT_EQ(View()->AttributeIndex(), 1);
    EXPECT_EQ(Shown(), Strings{"Ada"});

    // ATTRIBUTE 1: the remembered index, whatever its name.
    app->Context().switches.attribute = 1;
    Click("Program");
    selector->setFocus();
    QTest::keyClick(selector, Qt::Key_Down);
    QTest::keyClick(selector, Qt::Key_Down); // Region, index 2
    Click("Object");
    EXPECT_EQ(View()->AttributeIndex(), -1); // Object has two attributes
    EXPECT_EQ(Shown().front(), "Root object");
    EXPECT_EQ(Property("Id"), "Root object");
    Click("Program");
    EXPECT_EQ(View()->AttributeIndex(), 2);

    // ATTRIBUTE 2: always the first.
    app->Context().switches.attribute = 2;
    Click("Routine");
    EXPECT_EQ(View()->AttributeIndex(), 0);
    Click("Program");
    EXPECT_EQ(View()->AttributeIndex(), 0);
    EXPECT_TRUE(prompter.MessageNumbers().empty());
}

TEST_F(InformationSideTest, AutoSortOrdersByBytesAndOffKeepsLoadOrder)
{
    Open();
    Click("Object");
    EXPECT_EQ(Keys(), (Strings{"O1", "P3", "P1", "P2", "P4", "P5", "D1", "D2"}));
    app->Context().switches.autoSort = 1;
    Click("Program");
    Click("Object");
    // Upper case before lower case, over the entries of all three files.
    EXPECT_EQ(Keys(), (Strings{"P1", "P4", "D1", "O1", "D2", "P2", "P5", "P3"}));
    EXPECT_EQ(Shown().front(), "Alpha");
    EXPECT_EQ(View()->SelectedPosition(), 0);
    EXPECT_EQ(Property("Name"), "Alpha");
}

TEST_F(InformationSideTest, RelatedInstancesMarkCountersAndListTheOtherEndBothWays)
{
    Open();
    CRelationCounter* counter = Counter(0);
    Click("Program");
    ClickRow(1); // P1
    // The request shows and counts the page of the listed element, whichever is showing.
    ModelSide().SelectTab(1);
    Key(Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(ModelSide().CurrentTab(), 0);
    EXPECT_EQ(counter->relations, 2);
    EXPECT_EQ(ModelSide().Caption(), QStringLiteral("Model (with Relations)"));
    EXPECT_EQ(SourceRows(), std::vector<int>{1});
    EXPECT_EQ(History().back(), "Alpha's relations enumerated");

    // Another entry becomes the relation source in its place.
    ClickRow(0); // P3
    Key(Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(counter->relations, 1);
    EXPECT_EQ(SourceRows(), std::vector<int>{0});

    // All Related Instances counts the other end's instances with relations and clears the
    // relation source.
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(counter->relations, 4); // R1, R3, R2, R9
    EXPECT_TRUE(SourceRows().empty());
    EXPECT_EQ(History().back(), "All relations enumerated");
    ClickCounter(counter);
    EXPECT_EQ(View()->CurrentElement(), Main("Routine"));
    EXPECT_EQ(Keys(), (Strings{"R1", "R2", "R3"})); // R9 has no instance
    EXPECT_EQ(History().back(), "4 related Routine(s) loaded");
    EXPECT_EQ(counter->relations, 4); // a related listing keeps the marks

    // From Program's P1 to Routine ...
    Click("Program");
    ClickRow(1);
    Key(Qt::Key_R, Qt::ControlModifier);
    ClickCounter(counter);
    EXPECT_EQ(View()->CurrentElement(), Main("Routine"));
    EXPECT_EQ(Keys(), (Strings{"R1", "R3"}));
    EXPECT_EQ(View()->SelectedPosition(), 0);
    EXPECT_EQ(Property("Information"), "Routine IS A Block");
    EXPECT_EQ(Property("Count"), "2 items in Block");
    EXPECT_EQ(History().back(), "2 related Routine(s) loaded");
    EXPECT_TRUE(SourceRows().empty());

    // ... and back from Routine's R3 to Program.
    ClickRow(1);
    Key(Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(counter->relations, 1);
    EXPECT_EQ(SourceRows(), std::vector<int>{1});
    ClickCounter(counter);
    EXPECT_EQ(View()->CurrentElement(), Main("Program"));
    EXPECT_EQ(Keys(), Strings{"P1"});
    EXPECT_EQ(History().back(), "1 related Program(s) loaded");
    EXPECT_TRUE(prompter.MessageNumbers().empty());
}

TEST_F(InformationSideTest, CountersThatCannotListLeaveOrDisableThePane)
{
    Open();
    CRelationCounter* counter = Counter(0);
    Click("Program");
    ClickRow(1);
    Key(Qt::Key_R, Qt::ControlModifier);
    ASSERT_EQ(counter->relations, 2);
    const Strings history = History();

    // A from-element that is neither end of the link: 5019, and the list stays as it was.
    counter->link->fromElement = Main("Person");
    ClickCounter(counter);
    EXPECT_EQ(prompter.MessageNumbers(), std::vector<int>{5019});
    EXPECT_EQ(prompter.MessageTexts().back(),
              "Unable to load relations. Source or target element is invalid.");
    EXPECT_EQ(View()->CurrentElement(), Main("Program"));
    EXPECT_EQ(Keys(), kProgramKeys);
    EXPECT_TRUE(List()->isEnabled());
    EXPECT_EQ(History(), history);

    // P2 relates only to R9, which Routine does not hold: 5029 and a disabled pane.
    prompter.Clear();
    ClickRow(2);
    Key(Qt::Key_R, Qt::ControlModifier);
    ASSERT_EQ(counter->relations, 1);
    const Strings before = History();
    ClickCounter(counter);
    EXPECT_EQ(prompter.MessageNumbers(), std::vector<int>{5029});
    EXPECT_EQ(View()->Store().Count(), 0u);
    EXPECT_FALSE(List()->isEnabled());
    EXPECT_FALSE(Enabled(ID_ALL_RELATED_INSTANCES));
    EXPECT_EQ(History(), before);
}

TEST_F(InformationSideTest, LargeRelationFileAsksOncePerRequest)
{
    // A relation file of 200000 bytes or more.
    std::string big = "A1,B1\n";
    while (big.size() < 200000)
        big += "X1,Y1\n";
    Write("big.rel", big);
    WriteSettings("[SETTINGS]\nLARGE DATA ALARM=1\n");
    Open();
    Click(1, "Left");
    ASSERT_EQ(Keys(), Strings{"A1"});
    CRelationCounter* first = Counter(1, 0, 0);
    CRelationCounter* second = Counter(1, 0, 1);

    // Yes skips the file: asked once although two counters need it, and nothing counted.
    prompter.PushAnswer(Answer::Yes);
    Key(Qt::Key_R, Qt::ControlModifier);
    ASSERT_EQ(prompter.MessageNumbers(), std::vector<int>{5040});
    EXPECT_EQ(prompter.MessageTexts()[0],
              "The relation file between 'Left' and 'Right'  is quite large and it may take "
              "several minutes to complete the load. Do you want to SKIP the loading process?");
    EXPECT_EQ(LastMessage().buttons, platform::Buttons::YesNo);
    EXPECT_EQ(first->relations, -1);
    EXPECT_EQ(second->relations, -1);

    // The next request asks again; No loads the file and both counters are counted.
    prompter.Clear();
    prompter.PushAnswer(Answer::No);
    Key(Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(prompter.MessageNumbers(), std::vector<int>{5040});
    EXPECT_EQ(first->relations, 1);
    EXPECT_EQ(second->relations, 1);

    // Loaded once, it is not asked about again.
    prompter.Clear();
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(prompter.MessageNumbers().empty());
    EXPECT_EQ(first->relations, 2); // B1 and Y1 have relations
    EXPECT_EQ(second->relations, 2);
}

TEST_F(InformationSideTest, FindBoxAndF3StepThroughTheMatchesAndWrapOnYes)
{
    Open();
    Click("Program");
    TypeFindWord(QStringLiteral("pump")); // P2 Pumphouse, P4 Pump Station, P5 pump room
    ASSERT_TRUE(Enabled(ID_FIND_NEXT_INSTANCE));
    QTest::keyClick(FindEdit(), Qt::Key_F3);
    EXPECT_EQ(View()->SelectedPosition(), 2);
    EXPECT_EQ(Property("Name"), "beta");
    EXPECT_EQ(FindStatus(), " 3 matches found, 1/3 selected ");
    EXPECT_EQ(Frame().FindBox()->itemText(0), QStringLiteral("pump"));
    QTest::keyClick(FindEdit(), Qt::Key_F3);
    EXPECT_EQ(View()->SelectedPosition(), 3);
    QTest::keyClick(FindEdit(), Qt::Key_F3);
    EXPECT_EQ(View()->SelectedPosition(), 4);
    EXPECT_EQ(FindStatus(), " 3 matches found, 3/3 selected ");
    EXPECT_TRUE(prompter.MessageNumbers().empty());

    // At the end: No stays on the last match and asks again next time, Yes starts over.
    prompter.PushAnswer(Answer::No);
    QTest::keyClick(FindEdit(), Qt::Key_F3);
    EXPECT_EQ(prompter.MessageNumbers(), std::vector<int>{5021});
    EXPECT_EQ(LastMessage().defaultButton, Answer::No);
    EXPECT_EQ(LastMessage().buttons, platform::Buttons::YesNo);
    EXPECT_EQ(View()->SelectedPosition(), 4);
    prompter.PushAnswer(Answer::Yes);
    QTest::keyClick(FindEdit(), Qt::Key_F3);
    EXPECT_EQ(prompter.MessageNumbers(), (std::vector<int>{5021, 5021}));
    EXPECT_EQ(View()->SelectedPosition(), 2);
    EXPECT_EQ(FindStatus(), " 3 matches found, 1/3 selected ");
    // Stepping recorded nothing: one search.
    EXPECT_EQ(History(), (Strings{"Program(s) loaded", "Searched 'pump', 3 hits found"}));

    // With MATCH CASE 1 only the same letters in the same case are found.
    app->Context().switches.matchCase = 1;
    TypeFindWord(QStringLiteral("Pump"));
    QTest::keyClick(FindEdit(), Qt::Key_F3);
    EXPECT_EQ(View()->SelectedPosition(), 2);
    EXPECT_EQ(FindStatus(), " 2 matches found, 1/2 selected ");
    TypeFindWord(QStringLiteral("pump"));
    QTest::keyClick(FindEdit(), Qt::Key_F3);
    EXPECT_EQ(View()->SelectedPosition(), 4);
    EXPECT_EQ(FindStatus(), " 1 matches found, 1/1 selected ");
    // A word that spans two values.
    app->Context().switches.matchCase = 0;
    TypeFindWord(QStringLiteral("OSLO^NOR"));
    QTest::keyClick(FindEdit(), Qt::Key_F3);
    EXPECT_EQ(View()->SelectedPosition(), 0);

    // A new listing clears the find status.
    Click("Routine");
    EXPECT_EQ(FindStatus(), "");
}

TEST_F(InformationSideTest, EnterInTheFindBoxFindsAndKeepsTheFocusThere)
{
    Open();
    Click("Program");
    TypeFindWord(QStringLiteral("orth"));
    QTest::keyClick(FindEdit(), Qt::Key_Return);
    EXPECT_EQ(View()->SelectedPosition(), 0); // P3 North
    EXPECT_TRUE(FocusInFindBox());
    EXPECT_EQ(FindStatus(), " 1 matches found, 1/1 selected ");

    // One letter changed: a new search, with a new history action.
    FindEdit()->setCursorPosition(2);
    QTest::keyClick(FindEdit(), Qt::Key_Backspace);
    QTest::keyClick(FindEdit(), 'u');
    ASSERT_EQ(Frame().FindBox()->currentText(), QStringLiteral("outh"));
    QTest::keyClick(FindEdit(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(View()->SelectedPosition(), 3); // P4 South
    EXPECT_TRUE(FocusInFindBox());
    EXPECT_EQ(History(), (Strings{"Program(s) loaded", "Searched 'orth', 1 hits found",
                                  "Searched 'outh', 1 hits found"}));
    EXPECT_TRUE(prompter.MessageNumbers().empty());

    // A word that finds nothing is recorded but does not join the recent words.
    TypeFindWord(QStringLiteral("nothing"));
    QTest::keyClick(FindEdit(), Qt::Key_Return);
    EXPECT_EQ(prompter.MessageNumbers(), std::vector<int>{5009});
    EXPECT_EQ(History().back(), "Searched 'nothing', no hits found");
    EXPECT_EQ(FindStatus(), "");
    EXPECT_EQ(Frame().FindBox()->count(), 2);

    // The recent words, newest first, survive a restart.
    EXPECT_EQ(Frame().FindBox()->itemText(0), QStringLiteral("outh"));
    EXPECT_EQ(Frame().FindBox()->itemText(1), QStringLiteral("orth"));
    Stop();
    auto saved = Saved();
    EXPECT_EQ(saved->ReadString("RECENT FIND LIST", "1", ""), "outh");
    EXPECT_EQ(saved->ReadString("RECENT FIND LIST", "2", ""), "orth");
    ASSERT_TRUE(Start(m_model));
    ASSERT_EQ(Frame().FindBox()->count(), 2);
    EXPECT_EQ(Frame().FindBox()->itemText(0), QStringLiteral("outh"));
    EXPECT_EQ(Frame().FindBox()->currentText(), QStringLiteral("outh"));
}

TEST_F(InformationSideTest, FindDialogSearchesWithItsOwnCaseChoiceUntilClosed)
{
    Open();
    Click("Program");
    TypeFindWord(QStringLiteral("pump"));
    ClickRow(0);
    Frame().RouteCommand(ID_FIND_INSTANCE);
    QPointer<CFindInstanceDialog> dialog = View()->FindDialog();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Find Instance"));
    EXPECT_EQ(dialog->Word(), QStringLiteral("pump"));
    EXPECT_FALSE(dialog->MatchCase());
    // While the dialog is open, F3 and Find Instance are off.
    EXPECT_FALSE(Enabled(ID_FIND_INSTANCE));
    EXPECT_FALSE(Enabled(ID_FIND_NEXT_INSTANCE));

    // The dialog's word and its case box decide.
    dialog->WordEdit()->selectAll();
    QTest::keyClicks(dialog->WordEdit(), QStringLiteral("Pump"));
    QTest::mouseClick(dialog->MatchCaseBox(), Qt::LeftButton, {},
                      QPoint(6, dialog->MatchCaseBox()->height() / 2));
    ASSERT_TRUE(dialog->MatchCase());
    QTest::mouseClick(dialog->FindNextButton(), Qt::LeftButton);
    EXPECT_EQ(app->Context().switches.matchCase, 1);
    EXPECT_EQ(View()->SelectedPosition(), 2);
    EXPECT_EQ(FindStatus(), " 2 matches found, 1/2 selected ");
    QTest::mouseClick(dialog->FindNextButton(), Qt::LeftButton);
    EXPECT_EQ(View()->SelectedPosition(), 3);
    EXPECT_EQ(FindStatus(), " 2 matches found, 2/2 selected ");
    EXPECT_EQ(History().back(), "Searched 'Pump', 2 hits found");

    // Closing restores MATCH CASE and the commands.
    dialog->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
    EXPECT_FALSE(dialog);
    EXPECT_EQ(View()->FindDialog(), nullptr);
    EXPECT_EQ(app->Context().switches.matchCase, 0);
    EXPECT_FALSE(app->Shell().findDialogOpen);
    EXPECT_TRUE(Frame().Action(ID_FIND_INSTANCE)->isEnabled());
    EXPECT_TRUE(Frame().Action(ID_FIND_NEXT_INSTANCE)->isEnabled());
    // F3 now searches anew with the find box's word.
    QTest::keyClick(List(), Qt::Key_F3);
    EXPECT_EQ(FindStatus(), " 3 matches found, 1/3 selected ");
}

TEST_F(InformationSideTest, CompleteRestoreReplaysListingSearchRelationsAndDocumentation)
{
    Open();
    Strings documented;
    app->Shell().showDocumentation = [&](const CInstanceRecord& entry) {
        documented.push_back(entry.key + "|" + entry.text);
    };
    CRelationCounter* counter = Counter(0);
    Click("Program");
    TypeFindWord(QStringLiteral("pump"));
    QTest::keyClick(FindEdit(), Qt::Key_F3);
    ClickRow(1); // P1
    Key(Qt::Key_R, Qt::ControlModifier);
    Key(Qt::Key_D, Qt::ControlModifier);
    ASSERT_EQ(documented, Strings{"P1|Alpha^Bergen^West"});
    ASSERT_EQ(History(),
              (Strings{"Program(s) loaded", "Searched 'pump', 3 hits found",
                       "Alpha's relations enumerated", "Viewing Alpha in documentation"}));

    // Elsewhere now: another element, the counters cleared.
    Click("Routine");
    ASSERT_EQ(counter->relations, -1);
    TypeFindWord(QStringLiteral("zzz"));

    // Restore the documentation item completely through the dialog.
    app->Context().switches.doNotShowRestoreTypeDialog = 0;
    int dialogs = 0;
    CRestoreEventDialog::SetExecHook([&](CRestoreEventDialog& dialog) {
        ++dialogs;
        QTest::mouseClick(dialog.CompleteRadio(), Qt::LeftButton, {},
                          QPoint(6, dialog.CompleteRadio()->height() / 2));
        QTest::mouseClick(dialog.BeginButton(), Qt::LeftButton);
        return dialog.result();
    });
    QTreeWidgetItem* documentation = HistoryTree()->topLevelItem(0)->child(2);
    ASSERT_EQ(documentation->text(0), QStringLiteral("Viewing Alpha in documentation"));
    Info().SelectTab(CListPropertyView::TabHistory);
    HistoryTree()->setCurrentItem(documentation);
    ASSERT_TRUE(Enabled(ID_RESTORE_HISTORY));
    prompter.Clear();
    Frame().RouteCommand(ID_RESTORE_HISTORY);

    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(View()->CurrentElement(), Main("Program"));
    EXPECT_EQ(Keys(), kProgramKeys);
    EXPECT_EQ(Frame().FindBox()->currentText(), QStringLiteral("pump"));
    EXPECT_EQ(FindStatus(), " 3 matches found, 1/3 selected ");
    EXPECT_EQ(SourceRows(), std::vector<int>{1});
    EXPECT_EQ(counter->relations, 2);
    EXPECT_EQ(documented, (Strings{"P1|Alpha^Bergen^West", "P1|Alpha^Bergen^West"}));
    EXPECT_TRUE(prompter.MessageNumbers().empty());
    // Nothing was recorded while restoring.
    EXPECT_EQ(History().size(), 5u);
}

TEST_F(InformationSideTest, HostileInstanceFileListsExactlyItsValidLines)
{
    std::string bytes = "H1|first^one\n";
    // One line of a megabyte: every 298-character piece holds several bars.
    for (int i = 0; i < 262144; ++i)
        bytes += "x|y|";
    bytes += "\n";
    bytes += std::string(50000, '\n');
    bytes += "H2|caf\xe9^\xff\xfe\n";
    bytes += "\0\x01\x02|bin\n"sv;      // empty up to its NUL
    bytes += "\x01\x02|\x03|\x04\n"sv;  // two bars
    bytes += "H3|good\0|bad|worse\n"sv; // read up to its NUL
    for (int i = 0; i < 50000; ++i)
        bytes += "\r\n";
    bytes += "H4|last"; // no line end
    Write("hostile.ins", bytes);
    Open();
    QElapsedTimer timer;
    timer.start();
    Click("Hostile");
    const qint64 elapsed = timer.elapsed();
    EXPECT_TRUE(prompter.MessageNumbers().empty());
    EXPECT_EQ(Keys(), (Strings{"H1", "H2", "H3", "H4"}));
    EXPECT_EQ(Shown(), (Strings{"first", "caf\u00e9", "good", "last"}));
    ClickRow(1);
    EXPECT_EQ(Property("More"), "\u00ff\u00fe");
    EXPECT_LT(elapsed, 20000) << "listing took " << elapsed << " ms";
    std::cout << "[ info     ] hostile file of " << bytes.size() << " bytes listed in " << elapsed
              << " ms\n";
}

} // namespace
