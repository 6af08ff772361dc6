#include "ShellTestSupport.h"

#include "ColorTable.h"
#include "ListPropertyView.h"
#include "PagePainter.h"

#include "WidgetPrompter.h"

#include <QFontDialog>
#include <QTabBar>
#include <QTabWidget>

namespace {

class ModelViewTest : public ShellFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Start(kSampleModel));
        app->Document().AddView(&recorder);
        view = PageView(0);
        ASSERT_NE(view, nullptr);
        view->setFocus();
        QApplication::processEvents();
    }
    void TearDown() override
    {
        if (app)
            app->Document().RemoveView(&recorder);
        ShellFixture::TearDown();
    }
    void Click(CModelView* v, const CElement* e)
    {
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, CentreOf(v, e));
    }
    std::vector<RecordingView::Seen> Hints(int kind, int code) const
    {
        std::vector<RecordingView::Seen> out;
        for (const auto& s : recorder.seen) {
            if (s.kind == kind && s.code == code)
                out.push_back(s);
        }
        return out;
    }

    RecordingView recorder;
    CModelView* view = nullptr;
};

TEST_F(ModelViewTest, ClickingAnEnabledElementFlashesActivatesAndLeavesATrack)
{
    CElement* stations = Element(0, "Stations");
    Click(view, stations);
    const auto hints = Hints(2, 4);
    ASSERT_EQ(hints.size(), 1u);
    EXPECT_EQ(hints[0].data, stations);
    EXPECT_EQ(view->CurrentElement(), stations);
    EXPECT_EQ(view->SelectedElement(), stations);
    EXPECT_EQ(stations->visited, 1);
    EXPECT_TRUE(prompter.MessageNumbers().empty());

    // The current-element mark is drawn (without the focus, so no selection mark covers it) in the
    // visited colour in the box's top-left corner.
    Frame().ActivateSide(Frame().InformationSide());
    ASSERT_FALSE(view->HasFocusFlag());
    const QImage image = view->RenderPage();
    const CRectPx r = ElementRect(*view->Page(), *stations, view->Cells());
    EXPECT_EQ(image.pixelColor(r.left + 3, r.top + 3), ToQColor(16711680));
    EXPECT_EQ(image.pixelColor(r.left + 9, r.top + 3), ToQColor(16711680));
    EXPECT_EQ(image.pixelColor(r.left + 10, r.top + 3), ToQColor(16777215));
    EXPECT_EQ(image.pixelColor(r.right - 3, r.bottom - 3), ToQColor(16777215));

    // Clear Tracks is the model side's command.
    Frame().RouteCommand(ID_CLEAR_TRACKS);
    EXPECT_EQ(stations->visited, 1);
    Frame().ActivateSide(&ModelSide());
    Frame().RouteCommand(ID_CLEAR_TRACKS);
    EXPECT_EQ(stations->visited, 0);
}

TEST_F(ModelViewTest, WithoutTracksNoElementIsMarkedVisited)
{
    app->Context().switches.showTracks = 0;
    CElement* valves = Element(0, "Valves");
    Click(view, valves);
    EXPECT_EQ(valves->visited, 0);
    EXPECT_EQ(Hints(2, 4).size(), 1u);
}

TEST_F(ModelViewTest, DisabledElementOnlyBeepsAndModelOnlyAsksForTheListPane)
{
    ModelSide().SelectTab(3);
    CModelView* controls = PageView(3);
    CElement* kits = Element(3, "Spare Part Kits");
    ASSERT_EQ(kits->enabled, 0);
    prompter.Clear();
    Click(controls, kits);
    ASSERT_EQ(prompter.Events().size(), 1u);
    EXPECT_EQ(prompter.Events()[0].kind, platform::ScriptedPrompter::Event::Kind::Beep);
    EXPECT_TRUE(Hints(2, 4).empty());

    Frame().RouteCommand(ID_VIEW_MODEL_ONLY);
    prompter.PushAnswer(platform::Answer::Yes);
    Click(controls, Element(3, "Alarms"));
    EXPECT_EQ(prompter.MessageNumbers(), std::vector<int>{5015});
    EXPECT_EQ(prompter.MessageTexts()[0], "Do you want to view list pane also?");
    EXPECT_EQ(Frame().CurrentPaneMode(), PaneModeBoth);
    EXPECT_EQ(Hints(2, 4).size(), 1u);
}

TEST_F(ModelViewTest, JumpElementShowsItsTargetPage)
{
    Click(view, Element(0, "Drives"));
    EXPECT_EQ(ModelSide().CurrentTab(), 2);
    EXPECT_EQ(app->Document().CurrentPage(), 2);
    EXPECT_TRUE(Hints(2, 4).empty());

    // A jump to page 0 shows the first page.
    CElement* odd = Element(2, "Pumps");
    odd->jumpTarget = 0;
    PageView(2)->ActivateElement(odd);
    EXPECT_EQ(ModelSide().CurrentTab(), 0);
}

TEST_F(ModelViewTest, ToolTipsFollowTheSwitches)
{
    const QPoint stations = CentreOf(view, Element(0, "Stations"));
    const QPoint jump = CentreOf(view, Element(0, "Pumps"));
    EXPECT_EQ(view->ToolTipAt(stations), QStringLiteral("Stations"));
    EXPECT_EQ(view->ToolTipAt(jump), QStringLiteral("Pumps"));
    app->Context().switches.showTooltipDetails = 1;
    EXPECT_EQ(view->ToolTipAt(stations), QStringLiteral("Stations = Element"));
    EXPECT_EQ(view->ToolTipAt(jump), QStringLiteral("Pumps = Jump"));
    const CRectPx symbol = SymbolOuterSquare(*view->Page()->symbols[0], view->Cells());
    EXPECT_EQ(
        view->ToolTipAt(QPoint((symbol.left + symbol.right) / 2, (symbol.top + symbol.bottom) / 2)),
        QStringLiteral("IS LOCATED IN = Relation Type"));
    EXPECT_TRUE(view->ToolTipAt(QPoint(1, 1)).isEmpty());
    app->Context().switches.showTooltips = 0;
    EXPECT_TRUE(view->ToolTipAt(stations).isEmpty());
    EXPECT_TRUE(view->ToolTipAt(jump).isEmpty());
}

TEST_F(ModelViewTest, HoverKindsFollowWhatIsUnderThePointer)
{
    QTest::mouseMove(view->viewport(), CentreOf(view, Element(0, "Stations")));
    EXPECT_EQ(view->HoverKind(), CModelView::HoverElement);
    QTest::mouseMove(view->viewport(), QPoint(1, 1));
    EXPECT_EQ(view->HoverKind(), CModelView::HoverNothing);
}

TEST_F(ModelViewTest, TabLeavesThePageAfterTheLastEnabledElementAndComesBack)
{
    const CPage& page = *view->Page();
    int enabled = 0;
    for (const auto& e : page.elements)
        enabled += e->enabled ? 1 : 0;
    ASSERT_GT(enabled, 2);
    // Getting the focus selected the first enabled element.
    EXPECT_EQ(view->SelectedElement(), page.FirstEnabled());
    for (int i = 1; i < enabled; ++i)
        Frame().RouteCommand(ID_NEXT_ITEM);
    EXPECT_EQ(view->SelectedElement(), page.LastEnabled());
    Frame().RouteCommand(ID_NEXT_ITEM);
    EXPECT_EQ(view->SelectedElement(), nullptr);
    EXPECT_TRUE(ModelSide().TabControl()->tabBar()->hasFocus());
    Frame().RouteCommand(ID_NEXT_ITEM);
    EXPECT_EQ(view->SelectedElement(), page.FirstEnabled());
    EXPECT_TRUE(view->hasFocus());

    // Shift+Tab: back to the first, then out.
    Frame().RouteCommand(ID_NEXT_ITEM);
    Frame().RouteCommand(ID_PREVIOUS_ITEM);
    EXPECT_EQ(view->SelectedElement(), page.FirstEnabled());
    Frame().RouteCommand(ID_PREVIOUS_ITEM);
    EXPECT_EQ(view->SelectedElement(), nullptr);

    // Enter activates the selected element.
    Frame().RouteCommand(ID_NEXT_ITEM);
    Frame().RouteCommand(ID_ENTER);
    ASSERT_EQ(Hints(2, 4).size(), 1u);
    EXPECT_EQ(Hints(2, 4)[0].data, page.FirstEnabled());
}

TEST_F(ModelViewTest, TabScrollsTheNewSelectionIntoSight)
{
    Frame().resize(360, 280);
    QApplication::processEvents();
    const CPage& page = *view->Page();
    auto inSight = [this](const CRectPx& r) {
        const QRect onScreen(r.left - view->horizontalScrollBar()->value(),
                             r.top - view->verticalScrollBar()->value(), r.Width(), r.Height());
        return view->viewport()->rect().contains(onScreen);
    };
    int hidden = 0;
    for (const auto& e : page.elements)
        hidden += e->enabled && !inSight(ElementRect(page, *e, view->Cells()));
    ASSERT_GT(hidden, 2);
    int steps = 0;
    do {
        Frame().RouteCommand(ID_NEXT_ITEM);
        ASSERT_NE(view->SelectedElement(), nullptr);
        EXPECT_TRUE(inSight(ElementRect(page, *view->SelectedElement(), view->Cells())))
            << view->SelectedElement()->name;
    } while (view->SelectedElement() != page.LastEnabled() && ++steps < 100);
    do {
        Frame().RouteCommand(ID_PREVIOUS_ITEM);
        EXPECT_TRUE(inSight(ElementRect(page, *view->SelectedElement(), view->Cells())))
            << view->SelectedElement()->name;
    } while (view->SelectedElement() != page.FirstEnabled() && ++steps < 200);

    // Relation counters too.
    CUpdateHint hint;
    hint.Set(CUpdateHint::KindModelPane, CUpdateHint::CodeCountAll, Element(0, "Stations"));
    app->Document().UpdateAllViews(nullptr, hint);
    view->viewport()->repaint();
    ASSERT_FALSE(ModelSide().ElementMode());
    view->horizontalScrollBar()->setValue(0);
    view->verticalScrollBar()->setValue(0);
    do {
        Frame().RouteCommand(ID_NEXT_ITEM);
        ASSERT_NE(view->FocusedCounter(), nullptr);
        EXPECT_TRUE(inSight(view->FocusedCounter()->rect));
    } while (view->FocusedCounter() != page.LastCounter() && ++steps < 300);
}

TEST_F(ModelViewTest, CountedRelationsSwitchToRelationModeAndEscapeLeavesIt)
{
    CElement* stations = Element(0, "Stations");
    CUpdateHint hint;
    hint.Set(CUpdateHint::KindModelPane, CUpdateHint::CodeCountAll, stations);
    app->Document().UpdateAllViews(nullptr, hint);
    view->viewport()->repaint();
    EXPECT_FALSE(ModelSide().ElementMode());
    EXPECT_EQ(ModelSide().Caption(), QStringLiteral("Model (with Relations)"));
    const CRelationCounter* first = view->Page()->FirstCounter();
    ASSERT_NE(first, nullptr);
    EXPECT_GT(first->relations, 0);
    EXPECT_TRUE(Enabled(ID_SHOW_NORMAL_MODE));

    // Tab walks the counters with relations.
    Frame().RouteCommand(ID_NEXT_ITEM);
    EXPECT_NE(view->FocusedCounter(), nullptr);
    const std::string tip = CounterToolTip(*view->FocusedCounter(), true);
    EXPECT_NE(tip.find(" Relations"), std::string::npos);

    // A counter with nothing to list says so and changes nothing.
    CRelationCounter* counter = view->FocusedCounter();
    const int saved = counter->relations;
    counter->relations = 0;
    view->ActivateCounter(counter);
    EXPECT_EQ(prompter.MessageNumbers().back(), 5018);
    EXPECT_TRUE(Hints(2, 7).empty() && Hints(2, 8).empty());
    counter->relations = saved;

    // Activating it lists the related instances (hint 7 or 8) and highlights both ends.
    view->ActivateCounter(counter);
    EXPECT_EQ(Hints(2, 7).size() + Hints(2, 8).size(), 1u);
    EXPECT_EQ(counter->link->first->relationHighlight, 1);
    EXPECT_EQ(counter->link->second->relationHighlight, 1);

    Frame().RouteCommand(ID_SHOW_NORMAL_MODE);
    view->viewport()->repaint();
    EXPECT_TRUE(ModelSide().ElementMode());
    EXPECT_EQ(ModelSide().Caption(), QStringLiteral("Model"));
    EXPECT_EQ(view->FocusedCounter(), nullptr);
    EXPECT_EQ(view->Page()->FirstCounter(), nullptr);
    EXPECT_FALSE(Enabled(ID_SHOW_NORMAL_MODE));
}

TEST_F(ModelViewTest, FontDialogAndDefaultFontChangeTheModelFont)
{
    const CCellMetrics before = view->Cells();
    platform::FontDialogSpec chosen;
    chosen.faceName = "Ms Sans Serif";
    chosen.height = 16;
    chosen.weight = 400;
    prompter.PushFont(chosen);
    Frame().RouteCommand(ID_FONT);
    ASSERT_EQ(prompter.Events().back().kind, platform::ScriptedPrompter::Event::Kind::Font);
    EXPECT_EQ(prompter.Events().back().font.height, 8);
    EXPECT_EQ(prompter.Events().back().font.weight, 800);
    EXPECT_EQ(app->Document().Font().height, 16);
    EXPECT_GT(view->Cells().cellHeight, before.cellHeight);
    EXPECT_GT(PageView(1)->Cells().cellHeight, before.cellHeight);

    // Set Default Font asks first; No keeps the font.
    prompter.PushAnswer(platform::Answer::No);
    Frame().RouteCommand(ID_SET_DEFAULT_FONT);
    EXPECT_EQ(prompter.MessageNumbers().back(), 5039);
    EXPECT_EQ(prompter.Events().back().buttons, platform::Buttons::YesNo);
    EXPECT_EQ(prompter.Events().back().defaultButton, platform::Answer::No);
    EXPECT_EQ(app->Document().Font().height, 16);
    prompter.PushAnswer(platform::Answer::Yes);
    Frame().RouteCommand(ID_SET_DEFAULT_FONT);
    EXPECT_EQ(app->Document().Font(), CFontRecord::ModelDefault());
    EXPECT_EQ(view->Cells(), before);
}

TEST_F(ModelViewTest, FontDialogOpensOnTheFontAsDrawnAndOkAloneChangesNothing)
{
    // The real dialog behind Tools > Font...
    WidgetPrompter widgets;
    app->Context().prompter = &widgets;
    const QFontInfo drawn(FontFromRecord(app->Document().Font()));
    ASSERT_GE(drawn.weight(), QFont::DemiBold); // weight 800 draws bold
    const CCellMetrics before = view->Cells();
    QFont shown;
    WhenModal<QFontDialog>([&](QFontDialog& dialog) {
        shown = dialog.currentFont();
        dialog.accept();
    });
    Frame().RouteCommand(ID_FONT);
    app->Context().prompter = &prompter;
    EXPECT_EQ(shown.family(), drawn.family());
    EXPECT_EQ(QFontInfo(shown).styleName(), drawn.styleName());
    EXPECT_GE(shown.weight(), QFont::DemiBold);
    EXPECT_EQ(shown.pointSize(), drawn.pointSize());
    EXPECT_EQ(app->Document().Font(), CFontRecord::ModelDefault());
    EXPECT_EQ(view->Cells(), before);

    // A change made in the dialog still reaches the model; the rest is kept.
    app->Context().prompter = &widgets;
    WhenModal<QFontDialog>([&](QFontDialog& dialog) {
        QFont font = dialog.currentFont();
        font.setPointSize(14);
        dialog.setCurrentFont(font);
        dialog.accept();
    });
    Frame().RouteCommand(ID_FONT);
    app->Context().prompter = &prompter;
    EXPECT_EQ(app->Document().Font().height, 14);
    EXPECT_EQ(app->Document().Font().weight, 800);
    EXPECT_EQ(app->Document().Font().faceName, "Ms Sans Serif");
}

TEST_F(ModelViewTest, KeysScrollByTwentyPixelsAndArrowsByOne)
{
    Frame().resize(320, 260);
    QApplication::processEvents();
    QScrollBar* v = view->verticalScrollBar();
    QScrollBar* h = view->horizontalScrollBar();
    ASSERT_GT(v->maximum(), 40);
    QTest::keyClick(view, Qt::Key_PageDown);
    EXPECT_EQ(v->value(), 20);
    QTest::keyClick(view, Qt::Key_Down);
    EXPECT_EQ(v->value(), 21);
    QTest::keyClick(view, Qt::Key_PageUp);
    EXPECT_EQ(v->value(), 1);
    QTest::keyClick(view, Qt::Key_PageUp); // below 10: to the top
    EXPECT_EQ(v->value(), 0);
    QTest::keyClick(view, Qt::Key_Up);
    EXPECT_EQ(v->value(), 0);
    QTest::keyClick(view, Qt::Key_PageDown, Qt::ShiftModifier);
    EXPECT_EQ(h->value(), 20);
    QTest::keyClick(view, Qt::Key_Home);
    EXPECT_EQ(h->value(), 20);
    v->setValue(v->maximum() - 5);
    QTest::keyClick(view, Qt::Key_PageDown); // near the end: to the end
    EXPECT_EQ(v->value(), v->maximum());
}

TEST_F(ModelViewTest, TheGridShowsWithTheDefaultColours)
{
    // "Disabled Text" and the model background are both light grey by default.
    const QColor background = ToQColor(app->Colors().Color("BACKGROUND MODEL VIEW"));
    ASSERT_EQ(app->Colors().Color("TEXT DISABLED"), app->Colors().Color("BACKGROUND MODEL VIEW"));
    Frame().RouteCommand(ID_GRID_SWITCH);
    const QImage image = view->RenderPage();
    const QColor line = image.pixelColor(view->Cells().cellWidth, 1);
    EXPECT_NE(line, background);
    EXPECT_GE(std::abs(line.lightness() - background.lightness()), 48);
}

TEST_F(ModelViewTest, RenderedPageShowsTheGridOnlyWhenSwitchedOn)
{
    app->Colors().Set("BACKGROUND MODEL VIEW", 16777215);
    app->Colors().Set("TEXT DISABLED", 0);
    const CCellMetrics cells = view->Cells();
    // A column of the page with no item on it: x = one cell, well above the first element.
    const int x = cells.cellWidth;
    const int y = 1;
    QImage image = view->RenderPage();
    EXPECT_EQ(image.size(), view->PageSize());
    EXPECT_EQ(image.pixelColor(x, y), QColor(Qt::white));
    Frame().RouteCommand(ID_GRID_SWITCH);
    image = view->RenderPage();
    EXPECT_EQ(image.pixelColor(x, y), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(0, y), QColor(Qt::white)); // no line at 0
}

} // namespace
