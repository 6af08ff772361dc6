#include "GraphicView.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPrintDialog>
#include <QPrinter>
#include <QRubberBand>
#include <QScrollBar>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

CGraphicView::PrintDialogHook& PrintHook()
{
    static CGraphicView::PrintDialogHook hook;
    return hook;
}

CGraphicView::MenuHook& ContextMenuHook()
{
    static CGraphicView::MenuHook hook;
    return hook;
}

// Counts the events a view is handling, so that it is not deleted under one of them.
class CEventScope
{
public:
    explicit CEventScope(int& depth) : m_depth(depth) { ++m_depth; }
    ~CEventScope() { --m_depth; }
    CEventScope(const CEventScope&) = delete;
    CEventScope& operator=(const CEventScope&) = delete;

private:
    int& m_depth;
};

// A rectangle of pixels covering a floating-point rectangle's rounded corners.
QRect PixelRect(const QRectF& r)
{
    const QPoint topLeft(static_cast<int>(std::lround(r.left())),
                         static_cast<int>(std::lround(r.top())));
    const QPoint bottomRight(static_cast<int>(std::lround(r.right())),
                             static_cast<int>(std::lround(r.bottom())));
    return QRect(topLeft, bottomRight - QPoint(1, 1));
}

} // namespace

void CGraphicView::SetPrintDialogHook(PrintDialogHook hook)
{
    PrintHook() = std::move(hook);
}

void CGraphicView::SetMenuHook(MenuHook hook)
{
    ContextMenuHook() = std::move(hook);
}

CGraphicView::CGraphicView(CGraphicDocument* document, IGraphicViewHost* host, QWidget* parent)
    : QAbstractScrollArea(parent), m_document(document), m_host(host)
{
    setObjectName(QStringLiteral("QG2S_GraphicClient"));
    setWindowTitle(QStringLiteral("QG2S_GraphicClient"));
    setProperty("windowClass", QStringLiteral("QG2S_GraphicClientClass"));
    setProperty("childId", kChildId);
    setFrameShape(QFrame::NoFrame);
    setAttribute(Qt::WA_ShowWithoutActivating);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setMouseTracking(false);
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setSingleStep(20);
    if (parent)
        setGeometry(parent->rect());
}

CGraphicView::~CGraphicView() = default;

void CGraphicView::Release()
{
    m_document = nullptr;
    m_host = nullptr;
    m_released = true;
    m_pressHotSpot = nullptr;
    hide();
    if (m_eventDepth > 0)
        deleteLater();
    else
        delete this;
}

// Mouse and menu events, which may reach the owner's callbacks, arrive here.
bool CGraphicView::viewportEvent(QEvent* event)
{
    CEventScope scope(m_eventDepth);
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        QString tip = QString::fromLatin1(graphictext::kHint);
        if (const CHotSpot* spot = HotSpotAt(help->pos())) {
            tip = QString::fromStdString(spot->name);
            if (!spot->FirstLink().empty())
                tip += QLatin1Char('\n') + QString::fromStdString(spot->FirstLink());
        }
        QToolTip::showText(help->globalPos(), tip, viewport());
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

// ---------------------------------------------------------------------------------------
// Loading and texts

bool CGraphicView::Load(const std::string& path)
{
    if (!m_document)
        return false;
    const bool loaded =
        m_document->Load(path, [this](CGraphicDocument::State state) { SetBusy(state); });
    m_pressHotSpot = nullptr;
    EndGesture();
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    UpdateScrollBars();
    viewport()->update();
    return loaded;
}

void CGraphicView::SetBusy(CGraphicDocument::State)
{
    // Loading blocks the event loop: show the step's text now.
    if (isVisible())
        viewport()->repaint();
}

QString CGraphicView::StatusText() const
{
    if (!m_document)
        return QString();
    switch (m_document->GetState()) {
    case CGraphicDocument::State::Empty:
        return QString::fromLatin1(graphictext::kWaiting);
    case CGraphicDocument::State::Loading:
        return QString::fromLatin1(graphictext::kLoading);
    case CGraphicDocument::State::Importing:
        return QString::fromLatin1(graphictext::kImport);
    case CGraphicDocument::State::Failed:
        return QString::fromLatin1(graphictext::kImportFailed);
    case CGraphicDocument::State::Loaded:
        break;
    }
    return QString();
}

void CGraphicView::RepaintHotSpots()
{
    viewport()->update();
}

// ---------------------------------------------------------------------------------------
// Mapping and zoom

double CGraphicView::Scale() const
{
    if (!m_document || !m_document->HasPicture())
        return 1.0;
    // Fitted to the whole client area (scroll bars included), so that the scale does not
    // change when the bars come and go.
    const QRect extents = m_document->Extents();
    const QSize area = contentsRect().size().expandedTo(QSize(1, 1));
    const double fit = std::min(static_cast<double>(area.width()) / extents.width(),
                                static_cast<double>(area.height()) / extents.height());
    return fit * m_document->Zoom();
}

double CGraphicView::MaxZoom() const
{
    // A large scanned drawing fitted into the view can still be zoomed until one of its
    // pixels is eight view pixels wide.
    if (!m_document || !m_document->HasPicture())
        return CGraphicDocument::kMaxZoom;
    const double fit = Scale() / m_document->Zoom();
    return std::max(CGraphicDocument::kMaxZoom, 8.0 / fit);
}

QTransform CGraphicView::Transform() const
{
    QTransform transform;
    if (!m_document || !m_document->HasPicture())
        return transform;
    const QRect extents = m_document->Extents();
    const double scale = Scale();
    const QSizeF content = QSizeF(extents.size()) * scale;
    const QSize port = viewport()->size();
    // A picture smaller than the view is centred; a larger one scrolls.
    const double x = content.width() <= port.width() ? (port.width() - content.width()) / 2
                                                     : -horizontalScrollBar()->value();
    const double y = content.height() <= port.height() ? (port.height() - content.height()) / 2
                                                       : -verticalScrollBar()->value();
    transform.translate(x, y);
    transform.scale(scale, scale);
    transform.translate(-extents.left(), -extents.top());
    return transform;
}

QRectF CGraphicView::PictureRect() const
{
    if (!m_document || !m_document->HasPicture())
        return QRectF();
    return Transform().mapRect(QRectF(m_document->Extents()));
}

void CGraphicView::UpdateScrollBars()
{
    if (!m_document || !m_document->HasPicture()) {
        horizontalScrollBar()->setRange(0, 0);
        verticalScrollBar()->setRange(0, 0);
        return;
    }
    const QSizeF content = QSizeF(m_document->Extents().size()) * Scale();
    const QSize port = viewport()->size();
    const int width = static_cast<int>(std::ceil(content.width()));
    const int height = static_cast<int>(std::ceil(content.height()));
    horizontalScrollBar()->setRange(0, std::max(0, width - port.width()));
    horizontalScrollBar()->setPageStep(std::max(1, port.width()));
    verticalScrollBar()->setRange(0, std::max(0, height - port.height()));
    verticalScrollBar()->setPageStep(std::max(1, port.height()));
}

void CGraphicView::ScrollTo(const QPointF& g, const QPointF& w)
{
    const QRect extents = m_document->Extents();
    const double scale = Scale();
    horizontalScrollBar()->setValue(
        static_cast<int>(std::lround((g.x() - extents.left()) * scale - w.x())));
    verticalScrollBar()->setValue(
        static_cast<int>(std::lround((g.y() - extents.top()) * scale - w.y())));
}

void CGraphicView::ZoomAt(const QPoint& w, double factor)
{
    if (!m_document || !m_document->HasPicture())
        return;
    const QPointF g = Transform().inverted().map(QPointF(w));
    m_document->SetZoom(m_document->Zoom() * factor, MaxZoom());
    UpdateScrollBars();
    ScrollTo(g, w);
    viewport()->update();
}

void CGraphicView::ZoomBy(double factor)
{
    ZoomAt(viewport()->rect().center(), factor);
}

void CGraphicView::ZoomReset()
{
    if (!m_document)
        return;
    m_document->SetZoom(1.0);
    UpdateScrollBars();
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    viewport()->update();
}

bool CGraphicView::ZoomToGraphicRegion(const QRectF& g)
{
    const QRectF region = g.normalized();
    if (!m_document || !m_document->HasPicture() || region.width() <= 0 || region.height() <= 0)
        return false;
    const double fit = Scale() / m_document->Zoom();
    const QSize port = viewport()->size().expandedTo(QSize(1, 1));
    const double wanted = std::min(port.width() / region.width(), port.height() / region.height());
    m_document->SetZoom(wanted / fit, MaxZoom());
    UpdateScrollBars();
    ScrollTo(region.center(), QRectF(viewport()->rect()).center());
    viewport()->update();
    return true;
}

bool CGraphicView::ZoomToWindowRegion(const QRect& w)
{
    if (!m_document || !m_document->HasPicture())
        return false;
    const QTransform inverse = Transform().inverted();
    const QPointF a = inverse.map(QPointF(w.topLeft()));
    const QPointF b = inverse.map(QPointF(w.left() + w.width(), w.top() + w.height()));
    return ZoomToGraphicRegion(QRectF(a, b));
}

// ---------------------------------------------------------------------------------------
// Painting

void CGraphicView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void CGraphicView::scrollContentsBy(int, int)
{
    viewport()->update();
}

void CGraphicView::paintEvent(QPaintEvent*)
{
    QWidget* port = viewport();
    const bool picture = m_document && m_document->HasPicture() &&
                         m_document->GetState() == CGraphicDocument::State::Loaded;
    const QRect target = picture ? PixelRect(PictureRect()) : QRect();
    {
        QPainter painter(port);
        painter.fillRect(port->rect(), palette().color(QPalette::Mid));
        if (picture)
            painter.fillRect(target & port->rect(), Qt::white);
    }
    if (picture) {
        // The library opens its own painter on the viewport.
        const QG1Rect rect{target.left(), target.top(), target.left() + target.width(),
                           target.top() + target.height()};
        QG1_View(m_document->Picture(), port, &rect, QG1_DRAW_SCALE_0);
    }
    QPainter painter(port);
    if (picture) {
        PaintHotSpots(painter);
        if (m_document->SkippedHotSpots() > 0) {
            const QString note = QString::fromLatin1(graphictext::kInvalidHotSpot);
            const QRect box = painter.fontMetrics().boundingRect(note).adjusted(-4, -2, 4, 2);
            const QRect placed(QPoint(4, port->height() - box.height() - 4), box.size());
            painter.fillRect(placed, QColor(255, 255, 225));
            painter.setPen(Qt::black);
            painter.drawRect(placed.adjusted(0, 0, -1, -1));
            painter.drawText(placed, Qt::AlignCenter, note);
        }
    }
    const QString text = StatusText();
    if (!text.isEmpty()) {
        const QString detail =
            m_document && m_document->GetState() == CGraphicDocument::State::Failed
                ? m_document->FailureText()
                : QString();
        PaintText(painter, text, detail);
    }
}

void CGraphicView::PaintText(QPainter& painter, const QString& text, const QString& detail)
{
    painter.setPen(palette().color(QPalette::Text));
    QString shown = text;
    if (!detail.isEmpty())
        shown += QLatin1Char('\n') + detail;
    painter.drawText(viewport()->rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap,
                     shown);
}

void CGraphicView::PaintHotSpots(QPainter& painter)
{
    const QRect extents = m_document->Extents();
    // Hot-spot coordinates to picture coordinates, then as the picture is drawn.
    const QTransform toView =
        QTransform(extents.width(), 0, 0, extents.height(), extents.left(), extents.top()) *
        Transform();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    for (const auto& spot : m_document->HotSpots()) {
        if (spot->highlight == 0)
            continue;
        QPainterPath path;
        path.setFillRule(Qt::OddEvenFill);
        for (const QPolygonF& region : spot->regions)
            path.addPolygon(toView.map(region));
        path.closeSubpath();
        if (spot->highlight == 1) {
            // Marked: a light yellow wash with a thin amber outline.
            painter.setPen(QPen(QColor(200, 140, 0), 1.5));
            painter.setBrush(QColor(255, 220, 0, 90));
        } else {
            // Selected: a blue tint with a bold dashed outline.
            painter.setPen(QPen(QColor(0, 80, 200), 2.5, Qt::DashLine));
            painter.setBrush(QColor(0, 120, 215, 70));
        }
        painter.drawPath(path);
    }
    painter.restore();
}

// ---------------------------------------------------------------------------------------
// Mouse

CHotSpot* CGraphicView::HotSpotAt(const QPoint& w) const
{
    if (!m_document || !m_document->HasPicture())
        return nullptr;
    const QPointF g = Transform().inverted().map(QPointF(w));
    return m_document->HitTest(m_document->GtoH(g));
}

void CGraphicView::EndGesture()
{
    m_gesture = Gesture::None;
    m_dragging = false;
    if (m_rubberBand)
        m_rubberBand->hide();
}

void CGraphicView::mousePressEvent(QMouseEvent* event)
{
    const QPoint w = event->position().toPoint();
    EndGesture();
    m_pressHotSpot = nullptr;
    if (!m_document || !m_document->HasPicture() || !isEnabled() ||
        !viewport()->rect().contains(w)) {
        event->ignore();
        return;
    }
    m_pressPos = w;
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (event->button() == Qt::LeftButton) {
        if (modifiers & Qt::ControlModifier) {
            m_gesture = Gesture::ZoomIn;
        } else if (modifiers & Qt::ShiftModifier) {
            m_gesture = Gesture::ZoomOut;
        } else {
            m_gesture = Gesture::Click;
            m_pressHotSpot = HotSpotAt(w);
        }
    } else if (event->button() == Qt::RightButton && (modifiers & Qt::ControlModifier)) {
        m_gesture = Gesture::ZoomOut;
    }
    event->accept();
}

void CGraphicView::mouseMoveEvent(QMouseEvent* event)
{
    const bool canDrag =
        (m_gesture == Gesture::ZoomIn || (m_gesture == Gesture::Click && !m_pressHotSpot)) &&
        (event->buttons() & Qt::LeftButton);
    if (!canDrag)
        return;
    const QPoint w = event->position().toPoint();
    if (!m_dragging && (w - m_pressPos).manhattanLength() >= QApplication::startDragDistance())
        m_dragging = true;
    if (!m_dragging)
        return;
    if (!m_rubberBand)
        m_rubberBand = new QRubberBand(QRubberBand::Rectangle, viewport());
    m_rubberBand->setGeometry(QRect(m_pressPos, w).normalized() & viewport()->rect());
    m_rubberBand->show();
}

void CGraphicView::mouseReleaseEvent(QMouseEvent* event)
{
    const Gesture gesture = m_gesture;
    const bool dragged = m_dragging;
    CHotSpot* hotSpot = m_pressHotSpot;
    const QPoint press = m_pressPos;
    const QRect band =
        QRect(m_pressPos, event->position().toPoint()).normalized() & viewport()->rect();
    EndGesture();
    m_pressHotSpot = nullptr;
    if (gesture == Gesture::None || !m_document || !m_document->HasPicture() || !isEnabled())
        return;
    const bool left = event->button() == Qt::LeftButton;
    switch (gesture) {
    case Gesture::ZoomIn:
        if (!left)
            return;
        if (dragged && !band.isEmpty())
            ZoomToWindowRegion(band);
        else
            ZoomAt(press, kZoomStep);
        return;
    case Gesture::ZoomOut:
        ZoomAt(press, 1.0 / kZoomStep);
        return;
    case Gesture::Click:
        if (!left)
            return;
        if (hotSpot) {
            // A hot spot without a callback does nothing.
            if (m_host)
                m_host->OnHotSpot(press, hotSpot);
            return;
        }
        if (dragged) {
            const bool handled = m_host && m_host->OnRectangle(band);
            if (!handled && !m_released && !band.isEmpty())
                ZoomToWindowRegion(band);
            return;
        }
        {
            const bool handled = m_host && m_host->OnClick(press);
            if (!handled && !m_released)
                ZoomAt(press, kZoomStep);
        }
        return;
    case Gesture::None:
        return;
    }
}

// ---------------------------------------------------------------------------------------
// Context menu and printing

void CGraphicView::contextMenuEvent(QContextMenuEvent* event)
{
    event->accept();
    // Ctrl+Right is the zoom-out gesture, not the menu.
    if ((event->modifiers() & Qt::ControlModifier) || !m_document)
        return;
    const bool picture = m_document->HasPicture();
    QMenu menu(this);
    auto add = [&](const QString& text, int command, bool enabled) {
        QAction* action = menu.addAction(text);
        action->setData(command);
        action->setEnabled(enabled);
    };
    add(tr("Zoom &In"), CmdZoomIn, picture && m_document->Zoom() < MaxZoom());
    add(tr("Zoom &Out"), CmdZoomOut, picture && m_document->Zoom() > CGraphicDocument::kMinZoom);
    add(tr("&Whole Picture"), CmdZoomReset, picture);
    menu.addSeparator();
    add(tr("&Print..."), CmdPrint, picture);

    QPointer<CGraphicView> self(this);
    QAction* chosen = ContextMenuHook() ? ContextMenuHook()(menu, event->globalPos())
                                        : menu.exec(event->globalPos());
    if (!self || m_released || !chosen || !chosen->isEnabled())
        return;
    RunCommand(chosen->data().toInt());
}

void CGraphicView::RunCommand(int command)
{
    switch (command) {
    case CmdZoomIn:
        ZoomBy(kZoomStep);
        break;
    case CmdZoomOut:
        ZoomBy(1.0 / kZoomStep);
        break;
    case CmdZoomReset:
        ZoomReset();
        break;
    case CmdPrint:
        PrintWithDialog();
        break;
    default:
        break;
    }
}

bool CGraphicView::PrintWithDialog()
{
    if (!m_document || !m_document->HasPicture())
        return false;
    QPrinter printer(QPrinter::HighResolution);
    QPointer<CGraphicView> self(this);
    bool accepted = false;
    if (PrintHook()) {
        accepted = PrintHook()(printer, this);
    } else {
        QPrintDialog dialog(&printer, this);
        accepted = dialog.exec() == QDialog::Accepted;
    }
    if (!self || m_released || !accepted)
        return false;
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    // The whole picture, as large as the page allows, keeping its proportions.
    const QRect page = painter.viewport();
    const QSizeF size =
        QSizeF(m_document->Extents().size()).scaled(QSizeF(page.size()), Qt::KeepAspectRatio);
    const QRect target(static_cast<int>(page.left() + (page.width() - size.width()) / 2),
                       static_cast<int>(page.top() + (page.height() - size.height()) / 2),
                       static_cast<int>(size.width()), static_cast<int>(size.height()));
    const bool printed = m_document->Print(painter, target);
    painter.end();
    return printed;
}
