#pragma once

class CElement;
class QPoint;
class QWidget;

// What the views and panes may ask of the main window. The frame implements it and the
// shell context hands it to every view, so no view knows the frame's class: a pane says what
// it wants and the frame decides how to do it.
class IFrameRequests
{
public:
    virtual ~IFrameRequests() = default;

    // Shows the context menu that belongs to the pane of the clicked widget.
    virtual void ShowContextMenu(QWidget* clicked, const QPoint& globalPos) = 0;
    // A view got the focus: its side becomes the active side.
    virtual void ViewActivated(QWidget* view) = 0;
    // Whether the view is the frame's active view.
    virtual bool IsActiveView(const QWidget* view) const = 0;
    // The pane mode as shown (0, or one of the pane-mode command ids).
    virtual int PaneMode() const = 0;
    // What a pane-mode command does: stores the mode, then applies it.
    virtual void ChoosePaneMode(int mode) = 0;
    // Runs the settings sheet (full, opening on page; or the page alone).
    virtual void OpenSettings(int page, bool singlePage) = 0;
    // A model with a path is open.
    virtual bool ModelWithPathOpen() const = 0;
    // Selects the model side's tab of the page that holds the element.
    virtual void ShowPageOfElement(const CElement* element) = 0;
    // Makes the information side active and gives it the focus.
    virtual void ActivateInformationSide() = 0;
    // Makes the model side active and gives the current page view the focus.
    virtual void ActivateModelSide() = 0;
    // Shows the find status pane: " %d matches found, %d/%d selected " while both numbers
    // are non-zero, else empty.
    virtual void ShowFindStatus(int current, int count) = 0;
    // Puts the find box's text at the top of its recent words.
    virtual void PushRecentFindWord() = 0;
    // The toolbar's find box (a QComboBox).
    virtual QWidget* FindBoxWidget() const = 0;
    // Commands' enabling changed (a listing ended, a dialog opened or closed).
    virtual void CommandStateChanged() = 0;
};
