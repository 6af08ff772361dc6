#include "ShellTestSupport.h"

#include "Messages.h"
#include "ModelContext.h"
#include "PropPageGeneral.h"
#include "PropPageList.h"
#include "PropSheetSet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include <functional>
#include <vector>

namespace {

using platform::ScriptedPrompter;

// A check box of a page and the switch it edits.
struct BoxBinding
{
    const char* name;
    const char* caption;
    int CSwitches::*value;
};

const std::vector<BoxBinding> kGeneralBoxes = {
    {"useWindowInfo", "Save and Use &Place", &CSwitches::useWindowInfo},
    {"useSavedFont", "Use &Font Per Model", &CSwitches::useSavedFont},
    {"loadRelationsOnStartup", "Load &Relations On Startup", &CSwitches::loadRelationsOnStartup},
    {"doNotShowRestoreTypeDialog", "&Do Not Show Restore History Dialog",
     &CSwitches::doNotShowRestoreTypeDialog},
    {"suppressInfoMessages", "&Suppress Informational Messages", &CSwitches::suppressInfoMessages},
};

const std::vector<BoxBinding> kInformationBoxes = {
    {"activateListOnLoad", "Activate Pane When &Loading Items", &CSwitches::activateListOnLoad},
    {"matchCase", "&Match Case On Find", &CSwitches::matchCase},
    {"largeDataAlarm", "&Prompt When Loading Large Relation Files", &CSwitches::largeDataAlarm},
    {"autoSort", "Sort &Items", &CSwitches::autoSort},
    {"adjustPropertyPane", "Adjust Properties &Splitter Automatically",
     &CSwitches::adjustPropertyPane},
    {"adjustPropertyColumnWidths", "Adjust Column Widths &Automatically",
     &CSwitches::adjustPropertyColumnWidths},
};

class SettingsPagesTest : public ShellFixture
{
protected:
    void SetUp() override { ASSERT_TRUE(Start(kSampleModel)); }

    CSwitches& Switches() { return app->Shell().model->switches; }

    // Opens the page with number page alone, lets work edit it and closes the sheet with OK
    // when work answers true, else with Cancel.
    void RunPage(int page, const std::function<bool(CPropSheetPage&)>& work)
    {
        CPropSheetSet sheet(app->Shell(), page, true, &Frame());
        sheet.show();
        CPropSheetPage* shown = sheet.PageAt(0);
        ASSERT_NE(shown, nullptr);
        ASSERT_TRUE(shown->IsInitialized());
        work(*shown) ? sheet.accept() : sheet.reject();
    }

    std::vector<CLink*> RelationLinks()
    {
        std::vector<CLink*> links;
        for (const auto& page : app->Document().Pages()) {
            for (const auto& link : page->links) {
                if (link->IsRelationCapable())
                    links.push_back(link.get());
            }
        }
        return links;
    }
};

TEST_F(SettingsPagesTest, CheckBoxesShowTheirSwitchesAndWriteThemOnlyOnOk)
{
    const std::pair<int, const std::vector<BoxBinding>*> pages[] = {
        {CPropSheetSet::PageGeneral, &kGeneralBoxes},
        {CPropSheetSet::PageInformation, &kInformationBoxes},
    };
    for (const auto& [number, boxes] : pages) {
        // Two alternating patterns, so every box goes from on to off and from off to on.
        for (int shift = 0; shift < 2; ++shift) {
            SCOPED_TRACE(testing::Message() << "page " << number << " pattern " << shift);
            for (std::size_t i = 0; i < boxes->size(); ++i)
                Switches().*(*boxes)[i].value = static_cast<int>((i + shift) % 2);
            const CSwitches before = Switches();
            for (const bool ok : {false, true}) {
                RunPage(number, [&](CPropSheetPage& page) {
                    for (std::size_t i = 0; i < boxes->size(); ++i) {
                        const BoxBinding& b = (*boxes)[i];
                        auto* box = page.findChild<QCheckBox*>(QString::fromUtf8(b.name));
                        EXPECT_NE(box, nullptr) << b.name;
                        if (!box)
                            continue;
                        EXPECT_EQ(box->text(), QString::fromUtf8(b.caption));
                        EXPECT_EQ(box->isChecked(), (i + shift) % 2 == 1) << b.name;
                        box->click();
                    }
                    return ok;
                });
                for (const BoxBinding& b : *boxes) {
                    EXPECT_EQ(Switches().*b.value, ok ? 1 - before.*b.value : before.*b.value)
                        << b.name << (ok ? " after OK" : " after Cancel");
                }
            }
            EXPECT_EQ(Switches().helpEngine, before.helpEngine);
            EXPECT_EQ(Switches().attribute, before.attribute);
        }
    }
}

TEST_F(SettingsPagesTest, PagesNeverShownWriteNothing)
{
    // The controls of a page that was never filled are all off: were they written, every
    // switch below would drop to 0.
    for (const auto* boxes : {&kGeneralBoxes, &kInformationBoxes}) {
        for (const BoxBinding& b : *boxes)
            Switches().*b.value = 1;
    }
    Switches().attribute = 2;
    CPropSheetSet sheet(app->Shell(), CPropSheetSet::PageModel, false, &Frame());
    sheet.show();
    ASSERT_EQ(sheet.CurrentPage()->Caption(), QStringLiteral("Model"));
    sheet.accept();
    for (const auto* boxes : {&kGeneralBoxes, &kInformationBoxes}) {
        for (const BoxBinding& b : *boxes)
            EXPECT_EQ(Switches().*b.value, 1) << b.name;
    }
    EXPECT_EQ(Switches().attribute, 2);
}

TEST_F(SettingsPagesTest, HelpEngineChangesAtTheClickEvenWhenCancelled)
{
    ASSERT_EQ(Switches().helpEngine, 0);
    RunPage(CPropSheetSet::PageGeneral, [&](CPropSheetPage& shown) {
        auto& page = static_cast<CPropPageGeneral&>(shown);
        EXPECT_EQ(page.ViewerHelpButton()->text(), QStringLiteral("Use Documentation &Viewer"));
        EXPECT_EQ(page.WindowsHelpButton()->text(), QStringLiteral("Use &Windows Help"));
        EXPECT_TRUE(page.ViewerHelpButton()->isChecked());
        EXPECT_FALSE(page.WindowsHelpButton()->isChecked());
        page.WindowsHelpButton()->click();
        EXPECT_EQ(Switches().helpEngine, 1);
        EXPECT_FALSE(page.ViewerHelpButton()->isChecked());
        return false;
    });
    EXPECT_EQ(Switches().helpEngine, 1);

    RunPage(CPropSheetSet::PageGeneral, [&](CPropSheetPage& shown) {
        auto& page = static_cast<CPropPageGeneral&>(shown);
        EXPECT_TRUE(page.WindowsHelpButton()->isChecked());
        page.ViewerHelpButton()->click();
        EXPECT_EQ(Switches().helpEngine, 0);
        return true;
    });
    EXPECT_EQ(Switches().helpEngine, 0);
}

TEST_F(SettingsPagesTest, AttributeListMapsItsEntriesToTheSwitch)
{
    const QStringList texts = {QStringLiteral("Match to previous attribute name"),
                               QStringLiteral("Keep previously selected attribute"),
                               QStringLiteral("Use first attribute")};
    for (int value = 0; value < 3; ++value) {
        SCOPED_TRACE(value);
        Switches().attribute = value;
        const int next = (value + 1) % 3;
        for (const bool ok : {false, true}) {
            RunPage(CPropSheetSet::PageInformation, [&](CPropSheetPage& shown) {
                QComboBox* list = static_cast<CPropPageList&>(shown).AttributeList();
                EXPECT_EQ(list->objectName(), QStringLiteral("attribute"));
                EXPECT_FALSE(list->isEditable());
                QStringList items;
                for (int i = 0; i < list->count(); ++i)
                    items << list->itemText(i);
                EXPECT_EQ(items, texts);
                EXPECT_EQ(list->currentIndex(), value);
                list->setCurrentIndex(next);
                return ok;
            });
            EXPECT_EQ(Switches().attribute, ok ? next : value);
        }
    }

    // A stored value the list does not know selects nothing and survives OK untouched.
    Switches().attribute = 7;
    RunPage(CPropSheetSet::PageInformation, [](CPropSheetPage& shown) {
        EXPECT_EQ(static_cast<CPropPageList&>(shown).AttributeList()->currentIndex(), -1);
        return true;
    });
    EXPECT_EQ(Switches().attribute, 7);
}

TEST_F(SettingsPagesTest, LoadAllRelationsNowAsksFirstAndLoadsOnlyOnYes)
{
    const std::vector<CLink*> links = RelationLinks();
    ASSERT_FALSE(links.empty());
    for (const CLink* link : links)
        ASSERT_EQ(link->maps[0].KeyCount(), 0);

    auto press = [&] {
        RunPage(CPropSheetSet::PageGeneral, [](CPropSheetPage& shown) {
            QPushButton* button = static_cast<CPropPageGeneral&>(shown).LoadAllNowButton();
            EXPECT_EQ(button->text(), QStringLiteral("Load All Relations &Now"));
            EXPECT_EQ(button->objectName(), QStringLiteral("loadAllRelationsNow"));
            button->click();
            return false; // the load does not wait for OK
        });
    };

    prompter.Clear();
    prompter.PushAnswer(platform::Answer::No);
    press();
    const std::vector<ScriptedPrompter::Event>& events = prompter.Events();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, ScriptedPrompter::Event::Kind::Beep);
    EXPECT_EQ(events[0].beep, platform::BeepType::Question);
    EXPECT_EQ(events[1].number, 5041);
    EXPECT_EQ(events[1].text, MessageFormat(5041));
    EXPECT_EQ(events[1].icon, platform::Icon::Question);
    EXPECT_EQ(events[1].buttons, platform::Buttons::YesNo);
    EXPECT_EQ(events[1].defaultButton, platform::Answer::No);
    for (const CLink* link : links)
        EXPECT_EQ(link->maps[0].KeyCount() + link->maps[1].KeyCount(), 0) << link->file;

    prompter.Clear();
    prompter.PushAnswer(platform::Answer::Yes);
    press();
    std::vector<std::pair<ScriptedPrompter::Event::Kind, bool>> seen;
    for (const ScriptedPrompter::Event& e : prompter.Events())
        seen.emplace_back(e.kind, e.waitOn);
    using Kind = ScriptedPrompter::Event::Kind;
    EXPECT_EQ(seen, (std::vector<std::pair<Kind, bool>>{{Kind::Beep, false},
                                                        {Kind::Message, false},
                                                        {Kind::WaitCursor, true},
                                                        {Kind::WaitCursor, false}}));
    for (const CLink* link : links) {
        EXPECT_GT(link->maps[0].KeyCount(), 0) << link->file;
        EXPECT_GT(link->maps[1].KeyCount(), 0) << link->file;
    }
}

TEST_F(SettingsPagesTest, MatchCaseIsDisabledWhileTheFindDialogIsOpen)
{
    Switches().matchCase = 1;
    for (const bool findOpen : {false, true}) {
        app->Shell().findDialogOpen = findOpen;
        RunPage(CPropSheetSet::PageInformation, [&](CPropSheetPage& shown) {
            QCheckBox* box = static_cast<CPropPageList&>(shown).MatchCaseBox();
            EXPECT_EQ(box->isEnabled(), !findOpen);
            EXPECT_TRUE(box->isChecked());
            return true;
        });
        EXPECT_EQ(Switches().matchCase, 1);
    }
    app->Shell().findDialogOpen = false;
}

class SettingsPagesNoModelTest : public SettingsPagesTest
{
protected:
    void SetUp() override { ASSERT_TRUE(Start()); }
};

TEST_F(SettingsPagesNoModelTest, FullSheetOpensOnGeneralAndInformationOpensAlone)
{
    CPropSheetSet full(app->Shell(), 0, false, &Frame());
    EXPECT_EQ(full.windowTitle(), QStringLiteral("Settings"));
    QStringList captions;
    for (int i = 0; i < full.Tabs()->count(); ++i)
        captions << full.Tabs()->tabText(i);
    // The Documentation page needs a model with a path.
    EXPECT_EQ(captions, (QStringList{QStringLiteral("General"), QStringLiteral("Model"),
                                     QStringLiteral("Information"), QStringLiteral("Connection")}));
    EXPECT_NE(qobject_cast<CPropPageGeneral*>(full.CurrentPage()), nullptr);

    CPropSheetSet single(app->Shell(), CPropSheetSet::PageInformation, true, &Frame());
    single.show();
    EXPECT_EQ(single.windowTitle(), QStringLiteral("Properties"));
    ASSERT_EQ(single.PageCount(), 1);
    EXPECT_EQ(single.Tabs()->tabText(0), QStringLiteral("Information"));
    ASSERT_NE(qobject_cast<CPropPageList*>(single.PageAt(0)), nullptr);
    EXPECT_TRUE(single.PageAt(0)->IsInitialized());
    single.reject();
}

} // namespace
