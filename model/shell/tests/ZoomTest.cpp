// Zoom of the model pages: commands and keys, hit testing at every zoom, pixels at 100%, the
// middle-button drag, and the zoom kept per page and per model.

#include "ShellTestSupport.h"

#include "CommandTable.h"
#include "ListPropertyView.h"
#include "PagePainter.h"
#include "PageZoom.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QWheelEvent>

namespace {

class ZoomTest : public ShellFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Start(kSampleModel));
        Frame().resize(640, 480);
        view = PageView(0);
        ASSERT_NE(view, nullptr);
        view->setFocus();
        QApplication::processEvents();
    }
    // What the viewport shows now.
    QImage Shown() const
    {
        return view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    void Wheel(int delta, Qt::KeyboardModifiers modifiers)
    {
        const QPoint at(40, 30);
        QWheelEvent wheel(at, view->viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta),
                          Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view->viewport(), &wheel);
    }

    CModelView* view = nullptr;
};

TEST_F(ZoomTest, CommandsStepStopAtTheEndsAndFitThePage)
{
    EXPECT_EQ(view->Zoom(), 100);
    Frame().RouteCommand(ID_ZOOM_IN);
    EXPECT_EQ(view->Zoom(), 110);
    Frame().RouteCommand(ID_ZOOM_OUT);
    Frame().RouteCommand(ID_ZOOM_OUT);
    EXPECT_EQ(view->Zoom(), 90);
    for (int i = 0; i < 20; ++i)
        Frame().RouteCommand(ID_ZOOM_IN);
    EXPECT_EQ(view->Zoom(), kZoomMax);
    EXPECT_FALSE(Enabled(ID_ZOOM_IN));
    EXPECT_TRUE(Enabled(ID_ZOOM_OUT));
    // The scroll range is the zoomed page's.
    EXPECT_EQ(view->horizontalScrollBar()->maximum(),
              view->PageSize().width() * 4 - view->viewport()->width());
    Frame().RouteCommand(ID_ZOOM_ACTUAL);
    EXPECT_EQ(view->Zoom(), 100);

    // Fit Page: the whole page in the window, no scroll bar needed; one step more would not
    // fit.
    Frame().RouteCommand(ID_ZOOM_FIT);
    QApplication::processEvents();
    const QSize room = view->maximumViewportSize();
    EXPECT_LT(view->Zoom(), 100);
    EXPECT_LE(view->ZoomedPageSize().width(), room.width());
    EXPECT_LE(view->ZoomedPageSize().height(), room.height());
    const QSize page = view->PageSize();
    EXPECT_TRUE(PageToView(page.width(), view->Zoom() + 1) > room.width() ||
                PageToView(page.height(), view->Zoom() + 1) > room.height());
    EXPECT_EQ(view->verticalScrollBar()->maximum(), 0);

    // The commands sit in the View menu with their keys; they act on the page shown even
    // while the information side has the keyboard.
    EXPECT_EQ(Frame().Action(ID_ZOOM_IN)->text(), QStringLiteral("&Zoom In\tCtrl++"));
    EXPECT_FALSE(Frame().Action(ID_ZOOM_IN)->statusTip().isEmpty());
    Frame().ActivateSide(Frame().InformationSide());
    Frame().RouteCommand(ID_ZOOM_ACTUAL);
    EXPECT_EQ(view->Zoom(), 100);
}

TEST_F(ZoomTest, CtrlWheelAndCtrlPlusMinusZoomAPlainWheelScrolls)
{
    Wheel(120, Qt::ControlModifier);
    EXPECT_EQ(view->Zoom(), 110);
    Wheel(-240, Qt::ControlModifier);
    EXPECT_EQ(view->Zoom(), 90);
    Wheel(60, Qt::ControlModifier); // half a notch: not yet
    EXPECT_EQ(view->Zoom(), 90);
    Wheel(60, Qt::ControlModifier);
    EXPECT_EQ(view->Zoom(), 100);
    Wheel(-120, Qt::NoModifier);
    EXPECT_EQ(view->Zoom(), 100);
    EXPECT_GT(view->verticalScrollBar()->value(), 0);

    // Ctrl with the plus key (with or without Shift), the minus key and 0.
    const std::pair<QKeySequence, int> keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Plus), ID_ZOOM_IN},
        {QKeySequence(Qt::CTRL | Qt::Key_Equal), ID_ZOOM_IN},
        {QKeySequence(Qt::CTRL | Qt::Key_Minus), ID_ZOOM_OUT},
        {QKeySequence(Qt::CTRL | Qt::Key_0), ID_ZOOM_ACTUAL}};
    for (const auto& [key, id] : keys)
        EXPECT_TRUE(Frame().Action(id)->shortcuts().contains(key)) << key.toString().toStdString();
    Frame().Action(ID_ZOOM_IN)->trigger();
    EXPECT_EQ(view->Zoom(), 110);
}

TEST_F(ZoomTest, AClickAtAnyZoomHitsTheElementDrawnThere)
{
    const CPage& page = *view->Page();
    // No selection mark (an inverted box) while the information side has the keyboard.
    Frame().ActivateSide(Frame().InformationSide());
    ASSERT_FALSE(view->HasFocusFlag());
    int checked = 0;
    for (int zoom : {25, 50, 67, 90, 110, 150, 175, 200, 300, 400}) {
        SCOPED_TRACE(zoom);
        view->SetZoom(zoom);
        for (const auto& element : page.elements) {
            // The element scrolled to near the top-left corner.
            const QRect at = view->ToViewport(ElementRect(page, *element, view->Cells()));
            QScrollBar* h = view->horizontalScrollBar();
            QScrollBar* v = view->verticalScrollBar();
            h->setValue(h->value() + at.left() - 8);
            v->setValue(v->value() + at.top() - 8);
            const QRect r = view->ToViewport(ElementRect(page, *element, view->Cells()));
            const QImage shown = Shown();
            if (!shown.rect().contains(r.adjusted(-2, -2, 2, 2)))
                continue;
            ++checked;
            EXPECT_EQ(view->ElementAt(r.center()), element.get()) << element->name;
            EXPECT_EQ(view->ToolTipAt(r.center()), DisplayText(element->name));
            if (zoom < 100)
                continue; // below 100% a one-pixel border may fall between view pixels
            // Along a row just inside the top border, clear of the name: the left and right
            // borders are the outermost black pixels; they belong to the element, the
            // pixels beside them do not.
            const int y = r.top() + std::max(1, r.height() / 6);
            auto black = [&shown, y](int x) {
                return x >= 0 && x < shown.width() && (shown.pixel(x, y) & 0xFFFFFF) == 0;
            };
            int left = r.left() + r.width() / 8;
            while (left > 0 && !black(left - 1))
                --left;
            while (left > 0 && black(left - 1))
                --left;
            EXPECT_EQ(view->ElementAt(QPoint(left, y)), element.get()) << element->name;
            EXPECT_NE(view->ElementAt(QPoint(left - 1, y)), element.get()) << element->name;
            int right = r.right() - r.width() / 8;
            while (right + 1 < shown.width() && !black(right + 1))
                ++right;
            while (right + 1 < shown.width() && black(right + 1))
                ++right;
            EXPECT_EQ(view->ElementAt(QPoint(right, y)), element.get()) << element->name;
            EXPECT_NE(view->ElementAt(QPoint(right + 1, y)), element.get()) << element->name;
        }
    }
    EXPECT_GE(checked, 80); // nearly every element at every zoom

    // A real click at 200% opens the element under the pointer.
    view->SetZoom(200);
    CElement* valves = Element(0, "Valves");
    const QRect r = view->ToViewport(ElementRect(page, *valves, view->Cells()));
    view->horizontalScrollBar()->setValue(view->horizontalScrollBar()->value() + r.left() - 20);
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->value() + r.top() - 20);
    const QRect moved = view->ToViewport(ElementRect(page, *valves, view->Cells()));
    ASSERT_TRUE(view->viewport()->rect().contains(moved.center()));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, moved.center());
    EXPECT_EQ(view->CurrentElement(), valves);
}

TEST_F(ZoomTest, CountersAreHitWhereTheyAreDrawn)
{
    CUpdateHint hint;
    hint.Set(CUpdateHint::KindModelPane, CUpdateHint::CodeCountAll, Element(0, "Stations"));
    app->Document().UpdateAllViews(nullptr, hint);
    view->SetZoom(150);
    view->viewport()->repaint();
    const CRelationCounter* counter = view->Page()->FirstCounter();
    ASSERT_NE(counter, nullptr);
    const QRect box = view->ToViewport(counter->rect);
    view->horizontalScrollBar()->setValue(view->horizontalScrollBar()->value() + box.left() - 30);
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->value() + box.top() - 30);
    const QRect shownBox = view->ToViewport(counter->rect);
    EXPECT_EQ(view->CounterAt(shownBox.center()), counter);
    EXPECT_EQ(view->CounterAt(shownBox.topLeft()), counter);
    EXPECT_EQ(view->CounterAt(shownBox.topLeft() - QPoint(1, 1)), nullptr);
    EXPECT_EQ(view->ToolTipAt(shownBox.center()).toStdString(), CounterToolTip(*counter, false));
    // The box as drawn: its outline is black where the box begins.
    const QImage shown = Shown();
    EXPECT_EQ(shown.pixel(shownBox.topLeft()) & 0xFFFFFF, 0u);
}

TEST_F(ZoomTest, AtActualSizeThePixelsAreThoseOfThePageAsDrawnUnzoomed)
{
    const QImage before = Shown();
    // What the page painter draws for the whole page, the part the viewport shows.
    const QImage page = view->RenderPage();
    EXPECT_EQ(before, page.copy(view->viewport()->rect()));
    Frame().RouteCommand(ID_ZOOM_IN);
    Frame().RouteCommand(ID_ZOOM_IN);
    EXPECT_NE(Shown(), before);
    Frame().RouteCommand(ID_ZOOM_FIT);
    Frame().RouteCommand(ID_ZOOM_ACTUAL);
    view->horizontalScrollBar()->setValue(0);
    view->verticalScrollBar()->setValue(0);
    EXPECT_EQ(Shown(), before);
}

TEST_F(ZoomTest, KeysScrollByScaledStepsAndTheMiddleButtonDrags)
{
    view->SetZoom(200);
    view->horizontalScrollBar()->setValue(0);
    view->verticalScrollBar()->setValue(0);
    QScrollBar* v = view->verticalScrollBar();
    QScrollBar* h = view->horizontalScrollBar();
    QTest::keyClick(view, Qt::Key_PageDown);
    EXPECT_EQ(v->value(), 40);
    QTest::keyClick(view, Qt::Key_Down);
    EXPECT_EQ(v->value(), 42);
    QTest::keyClick(view, Qt::Key_End); // nothing
    EXPECT_EQ(v->value(), 42);
    v->setValue(v->maximum() - 15);
    QTest::keyClick(view, Qt::Key_PageDown); // within half a step of the end: to the end
    EXPECT_EQ(v->value(), v->maximum());

    // Dragging with the middle button moves the page with the pointer.
    v->setValue(100);
    h->setValue(100);
    QTest::mousePress(view->viewport(), Qt::MiddleButton, {}, QPoint(200, 150));
    QTest::mouseMove(view->viewport(), QPoint(160, 120));
    QMouseEvent move(QEvent::MouseMove, QPointF(150, 110),
                     view->viewport()->mapToGlobal(QPointF(150, 110)), Qt::NoButton,
                     Qt::MiddleButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &move);
    QTest::mouseRelease(view->viewport(), Qt::MiddleButton, {}, QPoint(150, 110));
    EXPECT_EQ(h->value(), 150);
    EXPECT_EQ(v->value(), 140);
    // A plain move afterwards does not drag.
    QTest::mouseMove(view->viewport(), QPoint(10, 10));
    EXPECT_EQ(h->value(), 150);
}

TEST_F(ZoomTest, EachPageKeepsItsZoomForTheRunAndTheModelKeepsThemInTheSettings)
{
    Frame().RouteCommand(ID_ZOOM_IN);
    Frame().RouteCommand(ID_ZOOM_IN);
    ModelSide().SelectTab(1);
    EXPECT_EQ(PageView(1)->Zoom(), 100);
    Frame().RouteCommand(ID_ZOOM_OUT);
    ModelSide().SelectTab(0);
    EXPECT_EQ(PageView(0)->Zoom(), 125);
    EXPECT_EQ(PageView(1)->Zoom(), 90);

    // Opening the model again in the same run finds the zooms.
    ASSERT_TRUE(app->OpenDocumentFile(kSampleModel));
    EXPECT_EQ(PageView(0)->Zoom(), 125);
    EXPECT_EQ(PageView(1)->Zoom(), 90);
    EXPECT_EQ(PageView(2)->Zoom(), 100);
    Stop();
    EXPECT_EQ(Saved()->ReadString("ZOOM", "PUMPING STATION DOCUMENTATION", ""), "125,90,100,100");

    ASSERT_TRUE(Start(kSampleModel));
    EXPECT_EQ(PageView(0)->Zoom(), 125);
    EXPECT_EQ(PageView(1)->Zoom(), 90);
    // All back at 100%: nothing is kept.
    PageView(0)->SetZoom(100);
    PageView(1)->SetZoom(100);
    Stop();
    EXPECT_EQ(Saved()->ReadString("ZOOM", "PUMPING STATION DOCUMENTATION", "none"), "none");
}

} // namespace
