#pragma once

// The view of a graphic window: shows the document's picture with zoom and scroll bars,
// highlights hot spots, tracks clicks and rubber-band rectangles and prints.

#include "GraphicDocument.h"

#include <QAbstractScrollArea>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QTransform>

#include <functional>

class QMenu;
class QPrinter;
class QRubberBand;

// What the view asks of its owner when the user clicks. Each answers false when the owner
// has nothing to do with the gesture, and the view then zooms instead.
class IGraphicViewHost
{
public:
    virtual ~IGraphicViewHost() = default;
    virtual bool OnClick(const QPoint& w) = 0;
    virtual bool OnHotSpot(const QPoint& w, CHotSpot* hotSpot) = 0;
    virtual bool OnRectangle(const QRect& w) = 0;
};

class CGraphicView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    static constexpr int kChildId = 999;
    static constexpr double kZoomStep = 2.0; // one click or menu step

    // Command ids of the context menu (QAction data).
    enum Command
    {
        CmdZoomIn = 1,
        CmdZoomOut,
        CmdZoomReset,
        CmdPrint
    };

    // Dialogs and menus go through these, so that tests can answer them. The print hook
    // answers whether to print; the menu hook answers the chosen action or nullptr.
    using PrintDialogHook = std::function<bool(QPrinter& printer, QWidget* parent)>;
    using MenuHook = std::function<QAction*(QMenu& menu, const QPoint& globalPos)>;
    static void SetPrintDialogHook(PrintDialogHook hook);
    static void SetMenuHook(MenuHook hook);

    CGraphicView(CGraphicDocument* document, IGraphicViewHost* host, QWidget* parent);
    ~CGraphicView() override;

    // Cuts the view off its document and owner (both about to go) and deletes it as soon as
    // it is safe: at once, or after the event it is handling.
    void Release();

    const CGraphicDocument* Document() const { return m_document; }

    // Loads a file into the document, showing the progress texts.
    bool Load(const std::string& path);
    // Call after the document's hot spots changed.
    void RepaintHotSpots();

    // The mapping from picture to view coordinates, the same as painting uses.
    QTransform Transform() const;
    // The picture's extents in view coordinates (unclipped).
    QRectF PictureRect() const;

    void ZoomBy(double factor);
    // Zooms by factor keeping the picture point under w where it is.
    void ZoomAt(const QPoint& w, double factor);
    void ZoomReset();
    // Zooms so that the region (picture coordinates) fills the view.
    bool ZoomToGraphicRegion(const QRectF& g);
    bool ZoomToWindowRegion(const QRect& w);

    // The view's own print command: the print dialog, then the picture fitted to the page.
    bool PrintWithDialog();
    void RunCommand(int command);

    // The text the view shows over or instead of the picture (empty: none).
    QString StatusText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    enum class Gesture
    {
        None,
        Click,
        ZoomIn,
        ZoomOut
    };

    double Scale() const;
    // The largest magnification: kMaxZoom, or more for pictures of many small units.
    double MaxZoom() const;
    void UpdateScrollBars();
    // Scrolls so that picture point g lands on view point w (as far as the bars allow).
    void ScrollTo(const QPointF& g, const QPointF& w);
    void PaintHotSpots(QPainter& painter);
    void PaintText(QPainter& painter, const QString& text, const QString& detail);
    void SetBusy(CGraphicDocument::State state);
    void EndGesture();
    CHotSpot* HotSpotAt(const QPoint& w) const;

    CGraphicDocument* m_document;
    IGraphicViewHost* m_host;
    int m_eventDepth = 0;
    bool m_released = false;

    Gesture m_gesture = Gesture::None;
    QPoint m_pressPos;
    CHotSpot* m_pressHotSpot = nullptr;
    bool m_dragging = false;
    QRubberBand* m_rubberBand = nullptr;
};
