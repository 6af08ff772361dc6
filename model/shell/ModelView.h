#pragma once

#include "CommandIds.h"
#include "PageGeometry.h"
#include "UpdateHint.h"

#include <QAbstractScrollArea>
#include <QFont>
#include <memory>

class CPage;
class CElement;
class CPagePainter;
struct CPageViewState;
class CModelPropertyView;
struct CRelationCounter;
struct CShellContext;

// One page of the open model: draws it, scrolls it, answers the mouse and the keyboard, and
// asks the information side for work through update hints. The page belongs to the document;
// the view is destroyed (with its tab) before the model is replaced.
class CModelView : public QAbstractScrollArea, public IModelView, public ICommandTarget
{
    Q_OBJECT
public:
    // Hover kinds under the pointer.
    enum Hover
    {
        HoverNothing = 0,
        HoverElement = 1,
        HoverActiveCounter = 2,
        HoverInactiveCounter = 3
    };

    CModelView(CShellContext& shell, CModelPropertyView& container, int pageIndex,
               QWidget* parent = nullptr);
    ~CModelView() override;

    int PageIndex() const { return m_pageIndex; }
    CPage* Page() const;
    const CCellMetrics& Cells() const { return m_cells; }
    // The page's size in page pixels (as the page is drawn at 100%).
    QSize PageSize() const;
    // The page's size on screen at the current zoom.
    QSize ZoomedPageSize() const;

    // The zoom in percent (100: every pixel as at actual size).
    int Zoom() const { return m_zoom; }
    // Sets the zoom (clamped to 25..400) keeping the page point under anchor (a viewport
    // point; nullptr: the viewport's centre) where it is.
    void SetZoom(int percent, const QPoint* anchor = nullptr);
    // The zoom at which the whole page fits into the view without scroll bars.
    int FitZoom() const;
    // A page rectangle on the viewport at the current zoom and scroll position, and the page
    // point under a viewport point.
    QRect ToViewport(const CRectPx& pageRect) const;
    QPoint ToPage(const QPoint& viewportPoint) const;

    CElement* SelectedElement() const { return m_selected; }
    CElement* CurrentElement() const { return m_current; }
    CRelationCounter* FocusedCounter() const { return m_focusedCounter; }
    int HoverKind() const { return m_hover; }
    bool HasFocusFlag() const { return m_hasFocus; }

    // Activates an element (nullptr: the selected one). A missing or disabled element beeps.
    void ActivateElement(CElement* element);
    // Activates a relation counter (nullptr: the focused one).
    void ActivateCounter(CRelationCounter* counter);
    // Tab (forward) and Shift+Tab over enabled elements or active counters.
    void MoveSelection(bool forward);
    // Selects the first enabled element / first active counter when nothing is selected.
    void SelectFirstIfNone();

    // Tool-tip text at a point of the viewport (empty: no tip), as the pane shows it.
    QString ToolTipAt(const QPoint& viewportPoint) const;
    // The element / active counter under a viewport point, or nullptr.
    CElement* ElementAt(const QPoint& viewportPoint) const;
    CRelationCounter* CounterAt(const QPoint& viewportPoint) const;
    // A thin border and a sunken edge while "SHOW MODEL BORDER" is 1, none otherwise.
    void ApplyBorder();
    // Recomputes the model font, cell size and scroll sizes.
    void ApplyModelFont();
    // Renders the whole page (full size, no scrolling) into an image; for tests and export.
    QImage RenderPage() const;

    // IModelView
    void OnUpdate(IModelView* sender, CUpdateHint& hint) override;
    // ICommandTarget
    bool UpdateCommand(int id, CCommandState& state) override;

protected:
    void OnCommand(int id) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void UpdateScrollBars();
    // The keyboard's scroll step of pixels page pixels, in view pixels at the zoom.
    int KeyStep(int pixels) const;
    void UpdateHover(const QPoint& viewportPoint);
    void Flash(const QRect& viewportRect);
    void RepaintElement(const CElement* element);
    void RepaintCounter(const CRelationCounter* counter);
    // Scrolls as little as needed to show a viewport rectangle whole (its top-left part when
    // it is larger than the viewport).
    void ScrollIntoView(const QRect& viewportRect);
    void ChooseFont();
    void ResetFontAsked();
    void ShowNormalMode();
    bool ElementMode() const;
    CPageViewState ViewState() const;
    bool AskViewListPane();

    CShellContext& m_shell;
    CModelPropertyView& m_container;
    int m_pageIndex;
    std::unique_ptr<CPagePainter> m_painter;
    QFont m_modelFont;
    CCellMetrics m_cells;
    CElement* m_selected = nullptr;
    CElement* m_current = nullptr;
    CRelationCounter* m_focusedCounter = nullptr;
    bool m_hasFocus = false;
    int m_hover = HoverNothing;
    QRect m_flashRect; // viewport rectangle shown inverted during a click's flash
    int m_zoom = 100;
    int m_wheelZoom = 0;     // Ctrl+wheel turn not yet worth a zoom step (eighths of a degree)
    bool m_dragging = false; // the middle button drags the page
    QPoint m_dragStart;      // where the drag began (viewport) ...
    QPoint m_dragScroll;     // ... and the scroll position then
};
