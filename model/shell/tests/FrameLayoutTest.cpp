#include "ShellTestSupport.h"

#include "CommandTable.h"
#include "DiagnosticsDialog.h"
#include "ListPropertyView.h"
#include "MainStatusBar.h"
#include "PagePainter.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>
#include <QToolBar>
#include <QWheelEvent>

namespace {

using FrameTest = ShellFixture;

TEST_F(FrameTest, ToolbarHasItsTwentyOneSlotsWithTipsAndTheFindBox)
{
    ASSERT_TRUE(Start(kSampleModel));
    QToolBar* bar = Frame().ToolBar();
    EXPECT_EQ(bar->windowTitle(), QStringLiteral("Standard"));
    const QList<QAction*> actions = bar->actions();
    ASSERT_EQ(actions.size(), 21);
    int buttons = 0;
    for (QAction* action : actions) {
        if (action->isSeparator() || !action->data().isValid())
            continue;
        ++buttons;
        EXPECT_FALSE(action->icon().isNull()) << action->data().toInt();
        EXPECT_FALSE(action->toolTip().isEmpty()) << action->data().toInt();
    }
    EXPECT_EQ(buttons, 13);
    EXPECT_EQ(actions.at(14)->data().toInt(), ID_VIEW_MODEL_ONLY);
    EXPECT_EQ(actions.at(14)->statusTip(), QStringLiteral("View Model Only"));
    EXPECT_EQ(actions.at(14)->toolTip(), QStringLiteral("Model Only"));
    // Every accelerator reaches an action that carries its key.
    for (const CAccelerator& accel : AcceleratorTable()) {
        QAction* action = Frame().Action(accel.id);
        ASSERT_NE(action, nullptr) << accel.id;
        EXPECT_TRUE(action->shortcuts().contains(accel.key)) << accel.id;
    }
    EXPECT_EQ(Frame().FindBox()->width(), 160);
    EXPECT_TRUE(Frame().FindBox()->font().bold());
    EXPECT_TRUE(bar->isMovable());
    EXPECT_EQ(bar->allowedAreas(), Qt::TopToolBarArea | Qt::BottomToolBarArea);
}

TEST_F(FrameTest, PaneModeCommandsSwitchAndCheck)
{
    ASSERT_TRUE(Start(kSampleModel));
    Frame().RouteCommand(ID_VIEW_MODEL_ONLY);
    EXPECT_EQ(Frame().CurrentPaneMode(), PaneModeModelOnly);
    EXPECT_EQ(Frame().Splitter()->sizes().value(1), 0);
    EXPECT_TRUE(Frame().Action(ID_VIEW_MODEL_ONLY)->isChecked());
    EXPECT_FALSE(Frame().Action(ID_VIEW_BOTH_PANES)->isChecked());
    EXPECT_EQ(app->Placement().Mode(), PaneModeModelOnly);

    Frame().RouteCommand(ID_VIEW_INFORMATION_ONLY);
    EXPECT_EQ(Frame().Splitter()->sizes().value(0), 0);
    EXPECT_EQ(Frame().ActiveSide(), Frame().InformationSide());
    EXPECT_TRUE(Frame().InformationSide()->IsActive());
    EXPECT_FALSE(ModelSide().IsActive());

    Frame().RouteCommand(ID_VIEW_BOTH_PANES);
    const CSplitterPair pair = app->Placement().Splitter(CPlacementInfo::SplitterMain);
    // The splitter fits the stored widths into the room it has.
    const QList<int> sizes = Frame().Splitter()->sizes();
    EXPECT_NEAR(sizes.value(0), pair.first, 3);
    EXPECT_NEAR(sizes.value(1), pair.second, 3);
}

TEST_F(FrameTest, DraggingTheSplitterFollowsTheSixtyPixelRule)
{
    ASSERT_TRUE(Start(kSampleModel));
    const int total = Frame().Splitter()->sizes().value(0) + Frame().Splitter()->sizes().value(1);
    struct Case
    {
        int model, info, mode;
    };
    for (const Case& c :
         {Case{total - 60, 60, PaneModeModelOnly}, Case{60, total - 60, PaneModeInfoOnly},
          Case{total - 61, 61, PaneModeBoth}, Case{total - 200, 200, PaneModeBoth}}) {
        const CSplitterPair before = app->Placement().Splitter(CPlacementInfo::SplitterMain);
        Frame().Splitter()->setSizes({c.model, c.info});
        const QList<int> dragged = Frame().Splitter()->sizes();
        Frame().ApplyPaneMode(Frame().ModeFromSplitter(true));
        EXPECT_EQ(Frame().CurrentPaneMode(), c.mode) << c.info;
        EXPECT_EQ(Checked(c.mode), true) << c.info;
        const CSplitterPair after = app->Placement().Splitter(CPlacementInfo::SplitterMain);
        if (c.mode == PaneModeBoth)
            EXPECT_EQ(after, (CSplitterPair{dragged[0], dragged[1]}));
        else
            EXPECT_EQ(after, before) << "widths are stored only when both panes show";
    }
}

TEST_F(FrameTest, PlacementIsRestoredWithWindowInfoAndIgnoredWithout)
{
    WriteSettings("[PLACE]\nSHOW=2\nNORMALPOS=20,30,620,430\nMODE=1\nSPLITTERS=400;200,10;20\n");
    ASSERT_TRUE(Start(kSampleModel));
    EXPECT_EQ(Frame().CurrentPaneMode(), PaneModeModelOnly);
    EXPECT_FALSE(Frame().isMinimized()); // a stored 2 starts in the normal state
    EXPECT_EQ(Frame().geometry(), QRect(20, 30, 600, 400));
    EXPECT_EQ(app->Placement().Splitter(CPlacementInfo::SplitterList), (CSplitterPair{10, 20}));
    EXPECT_EQ(app->Placement().Splitter(CPlacementInfo::SplitterThird), (CSplitterPair{0, 0}));
    Frame().RouteCommand(ID_VIEW_INFORMATION_ONLY);
    Stop();
    auto saved = Saved();
    EXPECT_EQ(saved->ReadInt("PLACE", "MODE", -1), 2);
    EXPECT_EQ(saved->ReadString("PLACE", "NORMALPOS", ""), "20,30,620,430");
    EXPECT_EQ(saved->ReadString("PLACE", "SPLITTERS", ""), "400;200,10;20,0;0");

    WriteSettings("[SETTINGS]\nUSE WINDOW INFO=0\n[PLACE]\nNORMALPOS=20,30,620,430\n"
                  "SPLITTERS=400;200,10;20,5;5\nMODE=1\n");
    ASSERT_TRUE(Start(kSampleModel));
    EXPECT_NE(Frame().geometry(), QRect(20, 30, 600, 400));
    EXPECT_NE(app->Placement().Splitter(CPlacementInfo::SplitterMain), (CSplitterPair{400, 200}));
    Frame().RouteCommand(ID_VIEW_BOTH_PANES);
    Stop();
    auto unchanged = Saved();
    EXPECT_EQ(unchanged->ReadString("PLACE", "SPLITTERS", ""), "400;200,10;20,5;5");
    EXPECT_EQ(unchanged->ReadInt("PLACE", "MODE", -1), 1);
}

TEST_F(FrameTest, WithoutWindowInfoTheWindowOpensAtTwoThirdsOfTheScreenCentred)
{
    WriteSettings("[SETTINGS]\nUSE WINDOW INFO=0\n");
    ASSERT_TRUE(Start(kSampleModel));
    const QRect area = Frame().screen()->availableGeometry();
    const QRect frame = Frame().frameGeometry();
    EXPECT_NEAR(frame.width(), area.width() * 2 / 3, 16);
    EXPECT_NEAR(frame.height(), area.height() * 2 / 3, 40);
    EXPECT_NEAR(frame.center().x(), area.center().x(), 8);
    EXPECT_NEAR(frame.center().y(), area.center().y(), 24);
}

TEST_F(FrameTest, AfterStartUpThePageHasTheKeyboard)
{
    ASSERT_TRUE(Start(kSampleModel));
    ASSERT_EQ(Frame().ActiveSide(), &ModelSide());
    EXPECT_EQ(Frame().focusWidget(), PageView(0));
    // A model opened later gets the keyboard as well.
    Frame().FindBox()->setFocus();
    prompter.PushFile(kSampleModel);
    Frame().RouteCommand(ID_FILE_OPEN);
    EXPECT_EQ(Frame().focusWidget(), PageView(0));
}

TEST_F(FrameTest, ScrollBarsStepLikeAScrollingView)
{
    ASSERT_TRUE(Start(kSampleModel));
    Frame().resize(360, 280);
    QApplication::processEvents();
    CModelView* view = PageView(0);
    QScrollBar* v = view->verticalScrollBar();
    ASSERT_GT(v->maximum(), 100);
    EXPECT_EQ(v->singleStep(), 20);
    EXPECT_EQ(view->horizontalScrollBar()->singleStep(), 20);
    const int height = view->viewport()->height();
    EXPECT_GE(v->pageStep(), height * 3 / 4);
    EXPECT_LT(v->pageStep(), height);
    // A wheel notch moves three lines.
    const QPoint at = view->viewport()->rect().center();
    QWheelEvent wheel(at, view->viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view->viewport(), &wheel);
    EXPECT_EQ(v->value(), 20 * QApplication::wheelScrollLines());
    // The keyboard keeps its own steps.
    v->setValue(0);
    QTest::keyClick(view, Qt::Key_PageDown);
    EXPECT_EQ(v->value(), 20);
    QTest::keyClick(view, Qt::Key_Down);
    EXPECT_EQ(v->value(), 21);
}

TEST_F(FrameTest, MenusShowTheirOwnMnemonicsAndKeysAsWritten)
{
    ASSERT_TRUE(Start(kSampleModel));
    auto texts = [](const QMenu* menu) {
        QStringList list;
        for (const QAction* action : menu->actions())
            list << action->text();
        return list;
    };
    // The model pane's menu has "&Font...", the Tools menu "Fon&t...".
    EXPECT_EQ(texts(Frame().ContextMenu(220)),
              (QStringList{"&Instances\tEnter", "&Font...", "Set &Default Font",
                           "&Clear Tracks\tCtrl+T", "&Properties\tAlt+Enter"}));
    EXPECT_EQ(Frame().Action(ID_FONT)->text(), QStringLiteral("Fon&t..."));
    QList<QMenu*> menus = {Frame().ContextMenu(218), Frame().ContextMenu(219)};
    for (QAction* top : Frame().menuBar()->actions())
        menus << top->menu();
    for (const QMenu* menu : menus) {
        for (const QString& text : texts(menu))
            EXPECT_FALSE(text.contains(QLatin1String("Return"))) << text.toStdString();
    }
    // The context menu's item is the same command.
    prompter.PushFont(std::nullopt);
    Frame().ContextMenu(220)->actions().at(1)->trigger();
    EXPECT_EQ(prompter.Events().back().kind, platform::ScriptedPrompter::Event::Kind::Font);
    EXPECT_TRUE(Frame().ContextMenu(220)->actions().at(1)->isEnabled());
    Frame().RouteCommand(ID_FILE_NEW); // no page: no font to change
    EXPECT_FALSE(Frame().Action(ID_FONT)->isEnabled());
    EXPECT_FALSE(Frame().ContextMenu(220)->actions().at(1)->isEnabled());
}

TEST_F(FrameTest, DialogsAndMessageBoxesAreLightGreyWithBlackText)
{
    ASSERT_TRUE(Start(kSampleModel));
    const QColor grey = ToQColor(12632256);
    QMessageBox box(&Frame());
    box.ensurePolished(); // as showing it does
    EXPECT_EQ(box.palette().color(QPalette::Window), grey);
    EXPECT_EQ(box.palette().color(QPalette::WindowText), QColor(Qt::black));
    CDiagnosticsDialog dialog(app->Shell(), &Frame());
    dialog.ensurePolished();
    const QCheckBox* grid = dialog.findChild<QCheckBox*>();
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(dialog.palette().color(QPalette::Window), grey);
    EXPECT_EQ(dialog.palette().color(QPalette::Button), grey); // tab pages and buttons
    EXPECT_EQ(grid->palette().color(QPalette::WindowText), QColor(Qt::black));
    // The main window keeps the desktop's colours.
    EXPECT_NE(Frame().palette().color(QPalette::Window), grey);
}

TEST_F(FrameTest, StatusBarRestoresItsTextAndShowsFindResults)
{
    ASSERT_TRUE(Start());
    CMainStatusBar* bar = Frame().StatusBar();
    bar->SetText("Ready");
    {
        CStatusProgress progress(bar, "Reading relations...", true);
        EXPECT_EQ(bar->Text(), "Reading relations...");
        progress.Show(1);
        progress.Complete(40);
    }
    EXPECT_EQ(bar->Text(), "Ready");
    bar->SetFindStatus(2, 7);
    EXPECT_EQ(bar->FindStatusText(), QStringLiteral(" 7 matches found, 2/7 selected "));
    bar->SetFindStatus(0, 7);
    EXPECT_TRUE(bar->FindStatusText().isEmpty());
}

TEST_F(FrameTest, DiagnosticsDialogRunsOnlyWhatCanRunAndStoresTheGridOnOk)
{
    ASSERT_TRUE(Start());
    {
        CDiagnosticsDialog dialog(app->Shell(), &Frame());
        ASSERT_EQ(dialog.List()->count(), 2);
        EXPECT_EQ(dialog.List()->item(0)->text(), QStringLiteral("Model File Syntax Test"));
        EXPECT_EQ(dialog.List()->item(1)->text(), QStringLiteral("Model Contents Dump"));
        EXPECT_EQ(dialog.List()->currentRow(), 0);
        EXPECT_TRUE(dialog.RunButton()->isEnabled());
        dialog.List()->setCurrentRow(1);
        EXPECT_FALSE(dialog.RunButton()->isEnabled()); // no model to dump
        dialog.GridBox()->setChecked(true);
        dialog.reject();
    }
    EXPECT_FALSE(app->Shell().gridSwitch);

    ASSERT_TRUE(app->OpenDocumentFile(kSampleModel));
    RecordingView recorder;
    app->Document().AddView(&recorder);
    CDiagnosticsDialog dialog(app->Shell(), &Frame());
    dialog.List()->setCurrentRow(1);
    EXPECT_TRUE(dialog.RunButton()->isEnabled());
    // The syntax test asks for its files; a cancelled dialog does nothing.
    dialog.List()->setCurrentRow(0);
    dialog.Run();
    ASSERT_EQ(prompter.Events().size(), 1u);
    EXPECT_EQ(prompter.Events()[0].file.title, "Open Model File");
    dialog.GridBox()->setChecked(true);
    dialog.accept();
    EXPECT_TRUE(app->Shell().gridSwitch);
    ASSERT_EQ(recorder.seen.size(), 2u);
    EXPECT_EQ(recorder.seen[0].kind, 3);
    EXPECT_EQ(recorder.seen[0].code, 2);
    EXPECT_EQ(recorder.seen[1].kind, 2);
    app->Document().RemoveView(&recorder);

    // Shift+Ctrl+Alt+G toggles the grid back.
    Frame().RouteCommand(ID_GRID_SWITCH);
    EXPECT_FALSE(app->Shell().gridSwitch);
}

TEST_F(FrameTest, F6MovesBetweenTheSidesAndContextMenusFollowTheClick)
{
    ASSERT_TRUE(Start(kSampleModel));
    PageView(0)->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(Frame().ActiveSide(), &ModelSide());
    Frame().RouteCommand(ID_NEXT_PANE);
    EXPECT_EQ(Frame().ActiveSide(), Frame().InformationSide());
    Frame().RouteCommand(ID_PREV_PANE);
    EXPECT_EQ(Frame().ActiveSide(), &ModelSide());
    EXPECT_EQ(Frame().ContextMenu(220)->actions().size(), 5);
    EXPECT_EQ(Frame().ContextMenu(218)->actions().size(), 6);
    EXPECT_EQ(Frame().ContextMenu(219)->actions().size(), 2);
}

} // namespace
