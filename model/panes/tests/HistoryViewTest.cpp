// The history tab and its restore dialogs, driven as a user would: items recorded by the
// panes, Restore History with the dialog answered, View Events, Cancel, Clear History.
#include "HistoryView.h"
#include "../core/tests/HistoryTestSupport.h"
#include "Resources.h"
#include "RestoreDialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using platform::Answer;

namespace {

// A click on a radio button's circle (its middle may lie beyond the text).
void ClickRadio(QRadioButton* radio)
{
    QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(6, radio->height() / 2));
}

QImage Picture(const QIcon& icon)
{
    return icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
}

class HistoryViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(model.opened);
        auto* layout = new QVBoxLayout(&mainWindow);
        view = new CHistoryView(model.context, model.doc);
        layout->addWidget(view);
        mainWindow.resize(400, 300);
        mainWindow.show();
        model.prompter.Clear();
    }
    void TearDown() override
    {
        CRestoreEventDialog::SetExecHook(nullptr);
        CRestorableEventsDialog::SetExecHook(nullptr);
        CHistoryView::SetShiftQuery(nullptr);
    }

    // Event Stations, a search, related Structures, documentation of a wet well.
    void RecordSession()
    {
        ASSERT_EQ(1, view->RecordEvent(&modelPane, model.Stations()));
        ASSERT_EQ(1, view->RecordSearch(&instancePane, "pump", 4, 0));
        ASSERT_EQ(1, view->RecordRelated(&modelPane, model.Counter(0, 0), model.Structures(), 3));
        ASSERT_EQ(1, view->RecordDocumentation(&instancePane, model.Structures(),
                                               "WW-02|Wet Well 2^ST-02"));
    }
    QTreeWidgetItem* Event() const { return view->topLevelItem(0); }
    bool Enabled(int id) const
    {
        CCommandState state;
        EXPECT_TRUE(view->UpdateCommand(id, state));
        return state.enabled;
    }
    // Restores the selected item with the Restore Event dialog shown and answered by the
    // given radio button and push button.
    void RestoreThroughDialog(QRadioButton* (CRestoreEventDialog::*radio)() const,
                              QPushButton* (CRestoreEventDialog::*button)() const)
    {
        model.context.switches.doNotShowRestoreTypeDialog = 0;
        CRestoreEventDialog::SetExecHook([&](CRestoreEventDialog& dialog) {
            ++dialogsShown;
            ClickRadio((dialog.*radio)());
            QTest::mouseClick((dialog.*button)(), Qt::LeftButton);
            return dialog.result();
        });
        view->ExecuteCommand(ID_RESTORE_HISTORY);
    }

    SampleModelFixture model;
    RecordingView modelPane{model.doc};
    RecordingView instancePane{model.doc};
    QWidget mainWindow;
    CHistoryView* view = nullptr;
    int dialogsShown = 0;
};

TEST_F(HistoryViewTest, RecordedItemsShowTextIconAndLook)
{
    RecordSession();
    ASSERT_EQ(1, view->RecordSearch(&instancePane, "nothing", 0, 0));
    EXPECT_EQ(0, view->RecordSearch(&instancePane, "NOTHING", 0, 0));

    ASSERT_EQ(1, view->topLevelItemCount());
    QTreeWidgetItem* event = Event();
    ASSERT_EQ(2, event->childCount());
    QTreeWidgetItem* related = event->child(1);
    // Actions after related instances hang below them.
    ASSERT_EQ(2, related->childCount());
    QTreeWidgetItem* noHits = related->child(1);
    EXPECT_EQ("Stations(s) loaded", event->text(0));
    EXPECT_EQ("Searched 'nothing', no hits found", noHits->text(0));
    // Events and related instances bold, icon = action type from strip 250.
    const struct
    {
        QTreeWidgetItem* item;
        int type;
        bool bold;
    } rows[] = {{event, 0, true},
                {event->child(0), 4, false},
                {related, 3, true},
                {related->child(0), 5, false},
                {noHits, 4, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.item->text(0).toStdString());
        EXPECT_EQ(row.bold, row.item->font(0).bold());
        EXPECT_EQ(Picture(StripIcon(250, row.type)), Picture(row.item->icon(0)));
    }
    // A search without hits is grey.
    EXPECT_EQ(view->palette().brush(QPalette::Disabled, QPalette::Text), noHits->foreground(0));
    EXPECT_NE(noHits->foreground(0), event->child(0)->foreground(0));
    EXPECT_TRUE(event->isExpanded() && related->isExpanded());
    EXPECT_EQ(noHits, view->currentItem());
    EXPECT_TRUE(noHits->isSelected());
}

TEST_F(HistoryViewTest, CompleteRestoreThroughTheDialogBroadcastsEveryRecord)
{
    RecordSession();
    // Shift overrides "do not show": the dialog comes up.
    model.context.switches.doNotShowRestoreTypeDialog = 1;
    CHistoryView::SetShiftQuery([] { return true; });
    bool sawProgress = false;
    modelPane.onHint = [&](CUpdateHint&) {
        CRestoreProgressDialog* progress = view->ProgressDialog();
        ASSERT_NE(nullptr, progress);
        EXPECT_TRUE(progress->isVisible());
        EXPECT_TRUE(progress->isEnabled());
        EXPECT_FALSE(mainWindow.isEnabled());
        EXPECT_EQ(4, progress->Bar()->maximum());
        EXPECT_FALSE(Enabled(ID_RESTORE_HISTORY));
        if (progress->Bar()->value() == 2) {
            EXPECT_EQ("Searching Word 'pump'", progress->DescriptionLabel()->text());
        }
        sawProgress = true;
    };
    CRestoreEventDialog::SetExecHook([&](CRestoreEventDialog& dialog) {
        ++dialogsShown;
        EXPECT_EQ("Restore Event", dialog.windowTitle());
        EXPECT_TRUE(dialog.DefaultRadio()->isChecked());
        EXPECT_TRUE(dialog.DoNotShowCheck()->isChecked());
        ClickRadio(dialog.CompleteRadio());
        QTest::mouseClick(dialog.BeginButton(), Qt::LeftButton);
        return dialog.result();
    });
    view->ExecuteCommand(ID_RESTORE_HISTORY);

    EXPECT_EQ(1, dialogsShown);
    EXPECT_EQ((std::vector<int>{9, 13, 12, 14}), modelPane.RestoreCodes());
    for (const RecordingView::Seen& seen : modelPane.seen)
        EXPECT_EQ(view, seen.sender);
    EXPECT_TRUE(sawProgress);
    EXPECT_EQ(1, model.context.switches.restoreType);
    EXPECT_TRUE(mainWindow.isEnabled());
    EXPECT_EQ(nullptr, view->ProgressDialog());
    EXPECT_FALSE(view->History().IsFrozen());
    EXPECT_EQ(4, view->History().ItemCount());
}

TEST_F(HistoryViewTest, WithoutTheDialogTheDefaultRestoreRuns)
{
    RecordSession();
    model.context.switches.doNotShowRestoreTypeDialog = 1;
    model.context.switches.restoreType = 1;
    CHistoryView::SetShiftQuery([] { return false; });
    CRestoreEventDialog::SetExecHook([&](CRestoreEventDialog&) {
        ++dialogsShown;
        return 0;
    });
    view->ExecuteCommand(ID_RESTORE_HISTORY);
    EXPECT_EQ(0, dialogsShown);
    EXPECT_EQ((std::vector<int>{9, 12, 14}), modelPane.RestoreCodes());
    EXPECT_EQ(0, model.context.switches.restoreType);

    // Restoring an older item freezes the history.
    view->setCurrentItem(Event());
    view->ExecuteCommand(ID_RESTORE_HISTORY);
    EXPECT_TRUE(view->History().IsFrozen());
}

TEST_F(HistoryViewTest, ViewEventsListsWhatIsRestoredAndSkipped)
{
    RecordSession();
    QStringList actions, events;
    CRestorableEventsDialog::SetExecHook([&](CRestorableEventsDialog& dialog) {
        EXPECT_EQ("Restorable Events", dialog.windowTitle());
        QTreeWidget* list = dialog.List();
        EXPECT_EQ("Event", list->headerItem()->text(0));
        EXPECT_EQ("Action", list->headerItem()->text(1));
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            events << list->topLevelItem(i)->text(0);
            actions << list->topLevelItem(i)->text(1);
            EXPECT_FALSE(list->topLevelItem(i)->icon(0).isNull());
        }
        dialog.resize(500, 260);
        dialog.FitColumns();
        int widest = list->header()->fontMetrics().horizontalAdvance("Action");
        for (const QString& text : actions)
            widest = std::max(widest, list->fontMetrics().horizontalAdvance(text));
        EXPECT_EQ(widest + 30, list->columnWidth(1));
        EXPECT_EQ(list->viewport()->width() - list->columnWidth(1), list->columnWidth(0));
        return 1;
    });
    // Default radio, View Events, then Close with the check box cleared: nothing restored,
    // the check box kept.
    model.context.switches.doNotShowRestoreTypeDialog = 0;
    CRestoreEventDialog::SetExecHook([&](CRestoreEventDialog& dialog) {
        ClickRadio(dialog.DefaultRadio());
        QTest::mouseClick(dialog.ViewEventsButton(), Qt::LeftButton);
        EXPECT_FALSE(dialog.DoNotShowCheck()->isChecked());
        dialog.DoNotShowCheck()->setChecked(true);
        QTest::mouseClick(dialog.CloseButton(), Qt::LeftButton);
        return dialog.result();
    });
    view->ExecuteCommand(ID_RESTORE_HISTORY);

    EXPECT_EQ((QStringList{"Loading Instances of Stations", "Searching Word 'pump'",
                           "Loading Related Structures(s)", "Viewing Wet Well 2 In Documentation"}),
              events);
    EXPECT_EQ((QStringList{"Restored", "Skipped", "Restored", "Restored"}), actions);
    EXPECT_TRUE(modelPane.RestoreCodes().empty());
    EXPECT_EQ(1, model.context.switches.doNotShowRestoreTypeDialog);

    // Without a chain there is nothing to view.
    const CHistory::Chain none;
    CRestoreEventDialog empty(none, model.context.switches);
    EXPECT_FALSE(empty.ViewEventsButton()->isEnabled());
}

TEST_F(HistoryViewTest, CancelAnsweredYesStopsBeforeTheNextRecord)
{
    RecordSession();
    for (Answer answer : {Answer::No, Answer::Yes}) {
        SCOPED_TRACE(answer == Answer::Yes ? "Yes" : "No");
        modelPane.seen.clear();
        model.prompter.Clear();
        model.prompter.PushAnswer(answer);
        modelPane.onHint = [&](CUpdateHint& hint) {
            if (hint.code == CUpdateHint::CodeRestoreElement)
                QTest::mouseClick(view->ProgressDialog()->CancelButton(), Qt::LeftButton);
        };
        view->setCurrentItem(Event()->child(1)->child(0));
        RestoreThroughDialog(&CRestoreEventDialog::CompleteRadio,
                             &CRestoreEventDialog::BeginButton);
        EXPECT_EQ(std::vector<int>{5057}, model.prompter.MessageNumbers());
        const std::vector<int> expected =
            answer == Answer::Yes ? std::vector<int>{9} : std::vector<int>{9, 13, 12, 14};
        EXPECT_EQ(expected, modelPane.RestoreCodes());
        EXPECT_TRUE(mainWindow.isEnabled());
    }
}

TEST_F(HistoryViewTest, ClearHistoryAsksAndEmptiesTheTree)
{
    EXPECT_FALSE(Enabled(ID_CLEAR_HISTORY));
    EXPECT_FALSE(Enabled(ID_RESTORE_HISTORY));
    RecordSession();
    EXPECT_TRUE(Enabled(ID_CLEAR_HISTORY));
    EXPECT_TRUE(Enabled(ID_RESTORE_HISTORY));

    model.prompter.PushAnswer(Answer::No);
    view->ExecuteCommand(ID_CLEAR_HISTORY);
    EXPECT_EQ(1, view->topLevelItemCount());
    EXPECT_EQ(3, Event()->childCount() + Event()->child(1)->childCount());

    model.prompter.PushAnswer(Answer::Yes);
    view->ExecuteCommand(ID_CLEAR_HISTORY);
    EXPECT_EQ(0, view->topLevelItemCount());
    EXPECT_EQ(nullptr, view->SelectedHistoryItem());
    EXPECT_FALSE(Enabled(ID_CLEAR_HISTORY));
    EXPECT_FALSE(Enabled(ID_RESTORE_HISTORY));
    EXPECT_EQ((std::vector<int>{5064, 5064}), model.prompter.MessageNumbers());
    CCommandState other;
    EXPECT_FALSE(view->UpdateCommand(ID_EDIT_UNDO, other));
}

TEST_F(HistoryViewTest, RightClickSelectsAndAsksForTheMenu)
{
    RecordSession();
    QSignalSpy spy(view, &CHistoryView::ContextMenuRequested);
    const QPoint local = view->visualItemRect(Event()).center();
    const QPoint global = view->viewport()->mapToGlobal(local);
    QContextMenuEvent event(QContextMenuEvent::Mouse, local, global);
    QApplication::sendEvent(view->viewport(), &event);
    ASSERT_EQ(1, spy.count());
    EXPECT_EQ(global, spy.at(0).at(0).toPoint());
    EXPECT_EQ(Event(), view->currentItem());
}

TEST_F(HistoryViewTest, ANewModelStartsAFreshHistory)
{
    RecordSession();
    model.doc.Notify(CUpdateHint::KindInformation, CUpdateHint::CodeCreateTabs);
    EXPECT_EQ(0, view->topLevelItemCount());
    EXPECT_TRUE(view->History().IsEmpty());
    EXPECT_EQ(1, view->RecordEvent(&modelPane, model.Structures()));
    EXPECT_EQ(1, view->topLevelItemCount());
}

} // namespace
