#include "ModelView.h"

#include "ColorTable.h"
#include "FrameRequests.h"
#include "History.h"
#include "Messages.h"
#include "ModelContext.h"
#include "ModelDoc.h"
#include "ModelPropertyView.h"
#include "PagePainter.h"
#include "PageZoom.h"
#include "PlacementInfo.h"
#include "PropSheetSet.h"
#include "Resources.h"
#include "ShellContext.h"
#include "text/TextDecode.h"

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QThread>
#include <QToolTip>
#include <QWheelEvent>

namespace {

constexpr int kPageStep = 20;    // Page Up and Page Down
constexpr int kLineStep = 20;    // a scroll-bar line
constexpr int kScrollMargin = 8; // room kept around an item scrolled into view
constexpr int kFlashMs = 50;
constexpr int kWheelNotch = 120; // one notch of a mouse wheel, in eighths of a degree

QString Decode(const std::string& text)
{
    return QString::fromStdString(platform::DecodeToUtf8(text));
}

} // namespace

CModelView::CModelView(CShellContext& shell, CModelPropertyView& container, int pageIndex,
                       QWidget* parent)
    : QAbstractScrollArea(parent), m_shell(shell), m_container(container), m_pageIndex(pageIndex),
      m_painter(std::make_unique<CPagePainter>(*shell.colors))
{
    setObjectName(QStringLiteral("modelView%1").arg(pageIndex));
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    // A line of 20 pixels (a wheel notch scrolls three); the keyboard has its own steps.
    verticalScrollBar()->setSingleStep(kLineStep);
    horizontalScrollBar()->setSingleStep(kLineStep);
    ApplyBorder();
    m_shell.document->AddView(this);
    ApplyModelFont();
}

CModelView::~CModelView()
{
    m_shell.document->RemoveView(this);
}

void CModelView::ApplyBorder()
{
    const bool border = m_shell.model->switches.showModelBorder == 1;
    setFrameStyle(border ? (QFrame::StyledPanel | QFrame::Sunken) : QFrame::NoFrame);
}

CPage* CModelView::Page() const
{
    return m_shell.document->PageAt(m_pageIndex);
}

QSize CModelView::PageSize() const
{
    const CPage* page = Page();
    if (!page)
        return QSize();
    return QSize(PagePixelWidth(*page, m_cells), PagePixelHeight(*page, m_cells));
}

QSize CModelView::ZoomedPageSize() const
{
    const QSize page = PageSize();
    return QSize(PageToView(page.width(), m_zoom), PageToView(page.height(), m_zoom));
}

void CModelView::ApplyModelFont()
{
    m_modelFont = FontFromRecord(m_shell.document->Font());
    m_painter->SetFont(m_modelFont);
    if (const CPage* page = Page())
        m_cells = m_painter->Layout(*page);
    UpdateScrollBars();
    viewport()->update();
}

void CModelView::UpdateScrollBars()
{
    const QSize page = ZoomedPageSize();
    const QSize view = viewport()->size();
    // A scroll-bar page is most of the visible area, keeping a little of it in sight.
    horizontalScrollBar()->setPageStep(std::max(kLineStep, view.width() - view.width() / 10));
    verticalScrollBar()->setPageStep(std::max(kLineStep, view.height() - view.height() / 10));
    horizontalScrollBar()->setRange(0, std::max(0, page.width() - view.width()));
    verticalScrollBar()->setRange(0, std::max(0, page.height() - view.height()));
}

QPoint CModelView::ToPage(const QPoint& p) const
{
    return QPoint(ViewToPage(p.x() + horizontalScrollBar()->value(), m_zoom),
                  ViewToPage(p.y() + verticalScrollBar()->value(), m_zoom));
}

QRect CModelView::ToViewport(const CRectPx& r) const
{
    const int left = PageToView(r.left, m_zoom);
    const int top = PageToView(r.top, m_zoom);
    return QRect(left - horizontalScrollBar()->value(), top - verticalScrollBar()->value(),
                 PageToView(r.right, m_zoom) - left, PageToView(r.bottom, m_zoom) - top);
}

int CModelView::KeyStep(int pixels) const
{
    return std::max(1, PageToView(pixels, m_zoom));
}

int CModelView::FitZoom() const
{
    const QSize page = PageSize();
    const QSize room = maximumViewportSize(); // the viewport without scroll bars
    return ::FitZoom(page.width(), page.height(), room.width(), room.height());
}

void CModelView::SetZoom(int percent, const QPoint* anchor)
{
    percent = ClampZoom(percent);
    if (percent == m_zoom)
        return;
    const QPoint at = anchor ? *anchor : viewport()->rect().center();
    // The page point under the anchor, in hundredths of a page pixel.
    const long long pageX =
        (static_cast<long long>(at.x()) + horizontalScrollBar()->value()) * 10000 / m_zoom;
    const long long pageY =
        (static_cast<long long>(at.y()) + verticalScrollBar()->value()) * 10000 / m_zoom;
    m_zoom = percent;
    UpdateScrollBars();
    horizontalScrollBar()->setValue(static_cast<int>(pageX * m_zoom / 10000 - at.x()));
    verticalScrollBar()->setValue(static_cast<int>(pageY * m_zoom / 10000 - at.y()));
    viewport()->update();
}

bool CModelView::ElementMode() const
{
    return m_container.ElementMode();
}

// ---------------------------------------------------------------------------------------
// Painting

void CModelView::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(viewport());
    CPage* page = Page();
    if (!page) {
        painter.fillRect(viewport()->rect(),
                         ToQColor(m_shell.colors->Color("BACKGROUND MODEL VIEW")));
        return;
    }
    const int h = horizontalScrollBar()->value();
    const int v = verticalScrollBar()->value();
    painter.translate(-h, -v);
    const CPageViewState state = ViewState();
    QRect erase = viewport()->rect().translated(h, v);
    if (m_zoom != kZoomActual) {
        // The page painter draws in page pixels, scaled; it must cover every page pixel that
        // shows in the viewport.
        painter.scale(m_zoom / 100.0, m_zoom / 100.0);
        const QPoint first = ToPage(QPoint(0, 0));
        const QPoint last = ToPage(QPoint(viewport()->width() - 1, viewport()->height() - 1));
        erase = QRect(first, last).adjusted(-1, -1, 1, 1);
    }
    const int counters = m_painter->Paint(painter, *page, state, erase);
    painter.resetTransform();
    if (!m_flashRect.isNull()) {
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.fillRect(m_flashRect, Qt::white);
    }
    painter.end();
    m_container.SetElementMode(counters == 0);
}

QImage CModelView::RenderPage() const
{
    CPage* page = Page();
    if (!page)
        return QImage();
    return RenderPageImage(*m_painter, *page, ViewState(), nullptr);
}

CPageViewState CModelView::ViewState() const
{
    CPageViewState state;
    state.selectedElement = m_selected;
    state.currentElement = m_current;
    state.focusedCounter = m_focusedCounter;
    state.hasFocus = m_hasFocus;
    state.elementMode = ElementMode();
    state.conventionalFocusRect = m_shell.model->switches.useConventionalFocusRect == 1;
    state.drawGrid = m_shell.gridSwitch;
    state.smooth = m_zoom < kZoomActual;
    return state;
}

void CModelView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void CModelView::scrollContentsBy(int /*dx*/, int /*dy*/)
{
    viewport()->update();
}

void CModelView::RepaintElement(const CElement* element)
{
    const CPage* page = Page();
    if (!element || !page)
        return;
    const QRect rect = ToViewport(ElementRect(*page, *element, m_cells));
    viewport()->update(m_zoom == kZoomActual ? rect : rect.adjusted(-1, -1, 1, 1));
}

void CModelView::RepaintCounter(const CRelationCounter* counter)
{
    if (counter)
        viewport()->update(ToViewport(counter->rect).adjusted(-1, -1, 1, 1));
}

void CModelView::ScrollIntoView(const QRect& rect)
{
    if (rect.isEmpty())
        return;
    const QRect view = viewport()->rect();
    auto bring = [](QScrollBar* bar, int low, int high, int extent) {
        // low..high (exclusive) in viewport coordinates, the viewport 0..extent.
        int delta = 0;
        if (high > extent)
            delta = high - extent + kScrollMargin;
        if (low - delta < 0)
            delta = low - kScrollMargin;
        if (delta != 0)
            bar->setValue(bar->value() + delta);
    };
    bring(horizontalScrollBar(), rect.left(), rect.right() + 1, view.width());
    bring(verticalScrollBar(), rect.top(), rect.bottom() + 1, view.height());
}

void CModelView::Flash(const QRect& rect)
{
    m_flashRect = rect;
    viewport()->repaint(rect);
    QThread::msleep(kFlashMs);
    m_flashRect = QRect();
    viewport()->repaint(rect);
}

// ---------------------------------------------------------------------------------------
// Hit testing and tool tips

CElement* CModelView::ElementAt(const QPoint& viewportPoint) const
{
    const CPage* page = Page();
    if (!page)
        return nullptr;
    const QPoint p = ToPage(viewportPoint);
    for (const auto& element : page->elements) {
        const CRectPx r = ElementRect(*page, *element, m_cells);
        if (p.x() >= r.left && p.x() < r.right && p.y() >= r.top && p.y() < r.bottom)
            return element.get();
    }
    return nullptr;
}

CRelationCounter* CModelView::CounterAt(const QPoint& viewportPoint) const
{
    const CPage* page = Page();
    if (!page)
        return nullptr;
    const QPoint p = ToPage(viewportPoint);
    for (const auto& symbol : page->symbols) {
        for (CRelationCounter& counter : symbol->counters) {
            if (counter.relations < 0)
                continue;
            const CRectPx& r = counter.rect;
            if (p.x() >= r.left && p.x() < r.right && p.y() >= r.top && p.y() < r.bottom)
                return &counter;
        }
    }
    return nullptr;
}

QString CModelView::ToolTipAt(const QPoint& viewportPoint) const
{
    const CPage* page = Page();
    if (!page || m_shell.model->switches.showTooltips != 1)
        return QString();
    const bool details = m_shell.model->switches.showTooltipDetails == 1;
    if (const CRelationCounter* counter = CounterAt(viewportPoint))
        return Decode(CounterToolTip(*counter, details));
    const QPoint p = ToPage(viewportPoint);
    auto inside = [&p](const CRectPx& r) {
        return p.x() >= r.left && p.x() < r.right && p.y() >= r.top && p.y() < r.bottom;
    };
    for (const auto& element : page->elements) {
        if (inside(ElementRect(*page, *element, m_cells)))
            return Decode(ElementToolTip(*element, details));
    }
    for (const auto& symbol : page->symbols) {
        if (inside(SymbolOuterSquare(*symbol, m_cells)))
            return Decode(SymbolToolTip(*symbol, details));
    }
    for (const auto& group : page->groups) {
        if (inside(GroupToolBand(*group, m_cells)))
            return Decode(GroupToolTip());
    }
    return QString();
}

bool CModelView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString text = ToolTipAt(help->pos());
        if (text.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), text, viewport());
        }
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void CModelView::UpdateHover(const QPoint& viewportPoint)
{
    int hover = HoverNothing;
    if (const CElement* element = ElementAt(viewportPoint); element && element->enabled)
        hover = HoverElement;
    if (const CRelationCounter* counter = CounterAt(viewportPoint)) {
        hover = (CounterRelationValid(*counter) && counter->relations >= 1 &&
                 !CounterRelationInError(*counter))
                    ? HoverActiveCounter
                    : HoverInactiveCounter;
    }
    m_hover = hover;
    switch (m_hover) {
    case HoverElement:
        viewport()->setCursor(ResourceCursor(130));
        break;
    case HoverActiveCounter:
        viewport()->setCursor(ResourceCursor(140));
        break;
    case HoverInactiveCounter:
        viewport()->setCursor(ResourceCursor(205));
        break;
    default:
        viewport()->unsetCursor();
        break;
    }
}

// ---------------------------------------------------------------------------------------
// Mouse and keyboard

void CModelView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (m_dragging) {
        const QPoint moved = p - m_dragStart;
        horizontalScrollBar()->setValue(m_dragScroll.x() - moved.x());
        verticalScrollBar()->setValue(m_dragScroll.y() - moved.y());
        return;
    }
    UpdateHover(p);
}

void CModelView::mousePressEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (event->button() == Qt::RightButton) {
        if (m_shell.frame)
            m_shell.frame->ShowContextMenu(this, event->globalPosition().toPoint());
        return;
    }
    if (event->button() == Qt::MiddleButton) {
        // The middle button drags a page larger than the window.
        m_dragging = true;
        m_dragStart = p;
        m_dragScroll = QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
        viewport()->setCursor(Qt::ClosedHandCursor);
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    setFocus(Qt::MouseFocusReason);
    UpdateHover(p);
    const CPage* page = Page();
    if (m_hover == HoverElement) {
        CElement* element = ElementAt(p);
        Flash(ToViewport(ElementRect(*page, *element, m_cells)));
        ActivateElement(element);
    } else if (m_hover == HoverActiveCounter) {
        CRelationCounter* counter = CounterAt(p);
        Flash(ToViewport(counter->rect));
        ActivateCounter(counter);
    } else if (ElementAt(p) || CounterAt(p)) {
        m_shell.model->prompter->MessageBeep(platform::BeepType::Simple);
    }
}

void CModelView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton && m_dragging) {
        m_dragging = false;
        UpdateHover(event->position().toPoint());
        return;
    }
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void CModelView::wheelEvent(QWheelEvent* event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    // Ctrl+wheel zooms, a step per notch, about the point under the pointer.
    m_wheelZoom += event->angleDelta().y();
    const QPoint at = event->position().toPoint();
    while (m_wheelZoom >= kWheelNotch) {
        m_wheelZoom -= kWheelNotch;
        SetZoom(ZoomInStep(m_zoom), &at);
    }
    while (m_wheelZoom <= -kWheelNotch) {
        m_wheelZoom += kWheelNotch;
        SetZoom(ZoomOutStep(m_zoom), &at);
    }
    event->accept();
}

void CModelView::keyPressEvent(QKeyEvent* event)
{
    // The steps are page pixels, so at other zooms than 100% they scale with the page.
    const QSize page = ZoomedPageSize();
    const QSize view = viewport()->size();
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const int pageStep = KeyStep(kPageStep);
    const int snap = KeyStep(kPageStep / 2);
    const int pixel = KeyStep(1);
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    switch (event->key()) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        // 20 pixels at a time; near either end the position snaps to the end.
        const bool down = event->key() == Qt::Key_PageDown;
        QScrollBar* bar = shift ? h : v;
        const int extent = shift ? page.width() : page.height();
        const int viewExtent = shift ? view.width() : view.height();
        const int pos = bar->value();
        if (!down) {
            bar->setValue(pos >= snap ? std::max(0, pos - pageStep) : 0);
        } else if (extent > viewExtent) {
            const int end = extent - viewExtent;
            bar->setValue(end - pos >= snap ? std::min(end, pos + pageStep) : end);
        }
        break;
    }
    case Qt::Key_Left:
        h->setValue(std::max(0, h->value() - pixel));
        break;
    case Qt::Key_Up:
        v->setValue(std::max(0, v->value() - pixel));
        break;
    case Qt::Key_Right:
        if (page.width() > view.width())
            h->setValue(std::min(page.width() - view.width(), h->value() + pixel));
        break;
    case Qt::Key_Down:
        if (page.height() > view.height())
            v->setValue(std::min(page.height() - view.height(), v->value() + pixel));
        break;
    case Qt::Key_Home:
    case Qt::Key_End:
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

void CModelView::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    m_hasFocus = true;
    SelectFirstIfNone();
    if (m_shell.frame)
        m_shell.frame->ViewActivated(this);
    RepaintElement(m_selected);
    RepaintCounter(m_focusedCounter);
}

void CModelView::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    m_hasFocus = false;
    RepaintElement(m_selected);
    RepaintCounter(m_focusedCounter);
}

void CModelView::showEvent(QShowEvent* event)
{
    QAbstractScrollArea::showEvent(event);
    m_hover = HoverNothing;
    UpdateScrollBars();
}

void CModelView::SelectFirstIfNone()
{
    const CPage* page = Page();
    if (!page)
        return;
    if (ElementMode()) {
        if (!m_selected)
            m_selected = page->FirstEnabled();
    } else if (!m_focusedCounter) {
        m_focusedCounter = page->FirstCounter();
    }
}

void CModelView::MoveSelection(bool forward)
{
    CPage* page = Page();
    if (!page)
        return;
    if (ElementMode()) {
        CElement* edge = forward ? page->LastEnabled() : page->FirstEnabled();
        if (edge && m_selected != edge) {
            CElement* old = m_selected; // taking the focus may select the first one
            setFocus(Qt::OtherFocusReason);
            if (!old)
                m_selected = forward ? page->FirstEnabled() : page->LastEnabled();
            else
                m_selected = forward ? page->NextEnabled(old) : page->PreviousEnabled(old);
            RepaintElement(old);
            if (m_selected)
                ScrollIntoView(ToViewport(ElementRect(*page, *m_selected, m_cells)));
            RepaintElement(m_selected);
            return;
        }
    } else {
        CRelationCounter* edge = forward ? page->LastCounter() : page->FirstCounter();
        if (edge && m_focusedCounter != edge) {
            CRelationCounter* old = m_focusedCounter;
            setFocus(Qt::OtherFocusReason);
            if (!old)
                m_focusedCounter = forward ? page->FirstCounter() : page->LastCounter();
            else
                m_focusedCounter = forward ? page->NextCounter(old) : page->PreviousCounter(old);
            RepaintCounter(old);
            if (m_focusedCounter)
                ScrollIntoView(ToViewport(m_focusedCounter->rect));
            RepaintCounter(m_focusedCounter);
            return;
        }
    }
    // At the last (first) item: leave the page for its tabs.
    RepaintElement(m_selected);
    RepaintCounter(m_focusedCounter);
    m_selected = nullptr;
    m_focusedCounter = nullptr;
    m_container.TakeFocus();
}

// ---------------------------------------------------------------------------------------
// Activation

bool CModelView::AskViewListPane()
{
    if (!m_shell.frame || m_shell.frame->PaneMode() != PaneModeModelOnly)
        return true;
    const platform::Answer answer =
        platform::Report(*m_shell.model->prompter, 5015, MessageFormat(5015),
                         platform::Icon::Question, platform::Buttons::YesNo);
    if (answer == platform::Answer::Yes)
        m_shell.frame->ChoosePaneMode(PaneModeBoth);
    return true;
}

void CModelView::ActivateElement(CElement* element)
{
    CPage* page = Page();
    if (!element)
        element = m_selected;
    if (!element || !element->enabled || !page) {
        m_shell.model->prompter->MessageBeep(platform::BeepType::Simple);
        return;
    }
    if (element->type == 1) {
        const int target = std::max(0, element->jumpTarget - 1);
        m_container.SelectTab(target);
        if (auto* view = qobject_cast<CModelView*>(m_container.CurrentView())) {
            if (m_shell.frame)
                m_shell.frame->ViewActivated(view);
            view->setFocus(Qt::OtherFocusReason);
        }
        return;
    }
    if (element->type != 0) {
        ShowModelMessage(*m_shell.model, 5005, MessageFormat(5005), platform::Icon::Exclamation);
        return;
    }
    CElement* old = m_selected;
    RepaintElement(old);
    m_selected = element;
    AskViewListPane();
    CElement* oldCurrent = m_current;
    m_current = element;
    RepaintElement(oldCurrent);
    CUpdateHint hint;
    hint.Set(CUpdateHint::KindInformation, CUpdateHint::CodeListElement, element);
    m_shell.document->UpdateAllViews(this, hint);
    if (m_shell.history)
        m_shell.history->RecordEvent(this, element);
    if (m_shell.model->switches.showTracks == 1)
        element->visited = 1;
    RepaintElement(element);
}

void CModelView::ActivateCounter(CRelationCounter* counter)
{
    CPage* page = Page();
    if (!counter)
        counter = m_focusedCounter;
    if (!counter || !page) {
        m_shell.model->prompter->MessageBeep(platform::BeepType::Simple);
        return;
    }
    if (counter->relations == 0) {
        ShowModelMessage(*m_shell.model, 5018, MessageFormat(5018), platform::Icon::Information);
        return;
    }
    AskViewListPane();
    CLink* link = counter->link;
    for (const auto& element : page->elements) {
        if (element->relationHighlight) {
            element->relationHighlight = 0;
            RepaintElement(element.get());
        }
    }
    if (link) {
        for (CElement* end : {link->first, link->second}) {
            if (end) {
                end->relationHighlight = 1;
                RepaintElement(end);
            }
        }
    }
    CElement* oldCurrent = m_current;
    if (link && link->fromElement && link->fromElement == link->first)
        m_current = link->second;
    else if (link && link->fromElement && link->fromElement == link->second)
        m_current = link->first;
    else
        m_current = nullptr;
    RepaintElement(oldCurrent);
    RepaintElement(m_current);
    m_focusedCounter = counter;
    RepaintCounter(counter);
    const int mode = link ? link->listingMode : 0;
    if (mode != 1 && mode != 2)
        return;
    CUpdateHint hint;
    hint.Set(CUpdateHint::KindInformation,
             mode == 1 ? CUpdateHint::CodeListRelated1 : CUpdateHint::CodeListRelated2, counter);
    m_shell.document->UpdateAllViews(this, hint);
    if (hint.result == 1 && m_shell.history)
        m_shell.history->RecordRelated(this, counter, m_current, counter->relations);
}

// ---------------------------------------------------------------------------------------
// Commands

bool CModelView::UpdateCommand(int id, CCommandState& state)
{
    switch (id) {
    case ID_INSTANCES:
        state.enabled =
            m_shell.frame && m_shell.frame->IsActiveView(this) && m_selected && m_selected->enabled;
        return true;
    case ID_ENTER:
    case ID_CLEAR_TRACKS:
    case ID_FONT:
    case ID_SET_DEFAULT_FONT:
    case ID_PROPERTIES:
        state.enabled = true;
        return true;
    case ID_SHOW_NORMAL_MODE:
        state.enabled = !ElementMode();
        return true;
    case ID_NEXT_ITEM:
    case ID_PREVIOUS_ITEM:
        state.enabled = !m_shell.document->PathName().empty();
        return true;
    case ID_ZOOM_IN:
        state.enabled = Page() && m_zoom < kZoomMax;
        return true;
    case ID_ZOOM_OUT:
        state.enabled = Page() && m_zoom > kZoomMin;
        return true;
    case ID_ZOOM_ACTUAL:
    case ID_ZOOM_FIT:
        state.enabled = Page() != nullptr;
        return true;
    default:
        return false;
    }
}

void CModelView::OnCommand(int id)
{
    switch (id) {
    case ID_INSTANCES:
        ActivateElement(nullptr);
        break;
    case ID_ENTER:
        if (!ElementMode() && m_focusedCounter)
            ActivateCounter(nullptr);
        else
            ActivateElement(nullptr);
        break;
    case ID_CLEAR_TRACKS:
        m_shell.document->ClearVisited();
        m_container.RepaintPages();
        break;
    case ID_FONT:
        ChooseFont();
        break;
    case ID_SET_DEFAULT_FONT:
        ResetFontAsked();
        break;
    case ID_PROPERTIES:
        if (m_shell.frame)
            m_shell.frame->OpenSettings(CPropSheetSet::PageModel, true);
        break;
    case ID_SHOW_NORMAL_MODE:
        ShowNormalMode();
        break;
    case ID_NEXT_ITEM:
        MoveSelection(true);
        break;
    case ID_ZOOM_IN:
        SetZoom(ZoomInStep(m_zoom));
        break;
    case ID_ZOOM_OUT:
        SetZoom(ZoomOutStep(m_zoom));
        break;
    case ID_ZOOM_ACTUAL:
        SetZoom(kZoomActual);
        break;
    case ID_ZOOM_FIT:
        SetZoom(FitZoom());
        break;
    case ID_PREVIOUS_ITEM:
        MoveSelection(false);
        break;
    default:
        break;
    }
}

void CModelView::ChooseFont()
{
    const CFontRecord& font = m_shell.document->Font();
    platform::FontDialogSpec spec = FontDialogFromRecord(font);
    spec.owner = window();
    QWidget* focus = QApplication::focusWidget();
    const std::optional<platform::FontDialogSpec> chosen =
        m_shell.model->prompter->ChooseFont(spec);
    if (chosen)
        m_shell.document->SetFont(RecordFromFontDialog(*chosen, font));
    if (focus)
        focus->setFocus(Qt::OtherFocusReason);
}

void CModelView::ResetFontAsked()
{
    const platform::Answer answer =
        platform::Report(*m_shell.model->prompter, 5039, MessageFormat(5039),
                         platform::Icon::Question, platform::Buttons::YesNo, platform::Answer::No);
    if (answer == platform::Answer::Yes)
        m_shell.document->ResetFont();
}

void CModelView::ShowNormalMode()
{
    m_focusedCounter = nullptr;
    m_shell.document->ResetCounters();
    m_container.SetElementMode(true);
    for (QWidget* w : m_container.PageViews())
        static_cast<CModelView*>(w)->viewport()->update();
}

void CModelView::OnUpdate(IModelView* /*sender*/, CUpdateHint& hint)
{
    if (hint.kind != CUpdateHint::KindModelPane)
        return;
    switch (hint.code) {
    case CUpdateHint::CodeRelationMarksReset:
        viewport()->update();
        break;
    case CUpdateHint::CodeFontChanged:
        ApplyModelFont();
        break;
    case CUpdateHint::CodeCountInstance:
    case CUpdateHint::CodeCountAll: {
        // One view counts for the whole page: the one that shows the current page.
        if (m_shell.document->CurrentPage() != m_pageIndex || !hint.HasData())
            break;
        if (const CRelationSource* source = hint.Source()) {
            CRelationSource copy = *source;
            m_shell.document->relationSource = copy;
            m_shell.document->CountPageRelations(copy.element, m_pageIndex, &copy.key);
        } else if (CElement* element = hint.Element()) {
            m_shell.document->relationSource = CModelDoc::RelationSource();
            m_shell.document->relationSource.element = element;
            m_shell.document->CountPageRelations(element, m_pageIndex, nullptr);
        }
        m_container.SetElementMode(false);
        viewport()->update();
        break;
    }
    case CUpdateHint::CodeRestoreElement:
    case CUpdateHint::CodeRestoreSymbol: {
        CHistoryAction* action = hint.Action();
        if (!action || action->view != this)
            break;
        if (hint.code == CUpdateHint::CodeRestoreElement) {
            m_container.ShowPageOfElement(action->element);
            ActivateElement(action->element);
        } else {
            ActivateCounter(action->counter);
        }
        break;
    }
    default:
        break;
    }
}
