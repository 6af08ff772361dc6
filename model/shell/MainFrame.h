#pragma once

#include "CommandIds.h"
#include "FrameRequests.h"
#include "PlacementInfo.h"
#include "RecentWords.h"

#include <QHash>
#include <QMainWindow>

#include <memory>

namespace platform {
class CWindowRegistration;
class ISettingsStore;
}
class QAction;
class QComboBox;
class QMenu;
class QSplitter;
class QToolBar;
class CMainStatusBar;
class CModelPropertyView;
class CListPropertyView;
class CModelView;
class CPropertyView;
struct CShellContext;

// The main window: menus, the "Standard" toolbar with the find box, the status bar and a
// splitter holding the model side and the information side. It owns the pane mode, applies
// and records the window placement, and routes commands: to the active side first, then to
// itself, then to the application.
class CMainFrame : public QMainWindow, public ICommandTarget, public IFrameRequests
{
    Q_OBJECT
public:
    // appCommands serves the application's commands (new, open, recent files, help, ...).
    CMainFrame(CShellContext& shell, ICommandTarget& appCommands, QWidget* parent = nullptr);
    ~CMainFrame() override;

    CModelPropertyView* ModelSide() const { return m_modelSide; }
    CListPropertyView* InformationSide() const { return m_infoSide; }
    CMainStatusBar* StatusBar() const { return m_statusBar; }
    QToolBar* ToolBar() const { return m_toolBar; }
    QComboBox* FindBox() const { return m_findBox; }
    QSplitter* Splitter() const { return m_splitter; }
    QAction* Action(int id) const { return m_actions.value(id); }
    QMenu* ContextMenu(int menuId) const;

    // A model with a path is open.
    bool ModelWithPathOpen() const override;

    // --- pane modes and layouts ---------------------------------------------------------
    // The mode as shown: 0, or one of the three mode command ids.
    int CurrentPaneMode() const { return m_currentMode; }
    // Applies a mode without storing it (0: no mode, lay the splitter out again).
    void ApplyPaneMode(int mode);
    // What a mode command does: store the mode in the placement record, then apply it.
    void ChoosePaneMode(int mode) override;
    // The layout after opening (model loaded) or for no model (empty).
    void ApplyModelLayout();
    void ApplyEmptyLayout();
    // The mode the splitter's columns show now (the 60-pixel rule); with storeWidths, the two
    // widths go to the record's first pair when both columns are shown.
    int ModeFromSplitter(bool storeWidths);

    // --- placement ------------------------------------------------------------------------
    // Shows the frame for the first time: applies the stored placement when "USE WINDOW INFO"
    // is 1, then shows it with the stored show command.
    void ShowFirstTime();
    // Takes the frame's current placement into the record.
    void CapturePlacement();
    // Screen metrics for the default splitter sizes.
    static CScreenMetrics ScreenMetrics();

    // --- views and commands -------------------------------------------------------------
    // A page view or container got the focus: its side becomes the active one.
    void ViewActivated(QWidget* view) override;
    CPropertyView* ActiveSide() const { return m_activeSide; }
    // The page view that is the frame's active view, or nullptr.
    CModelView* ActiveModelView() const;
    // Makes a side the active one and gives it the focus.
    void ActivateSide(CPropertyView* side);
    // Computes the enabling and check state of every action.
    void UpdateAllActions();
    // Routes a command: active side, frame, application. Answers whether anyone served it.
    bool RouteCommand(int id);
    CCommandState CommandState(int id);
    // Shows the context menu for a right click in a pane.
    void ShowContextMenu(QWidget* clicked, const QPoint& globalPos) override;
    // Rebuilds the recent-file entries of the File menu.
    void SetRecentFiles(const QStringList& files);
    // The document's title changed (or a model was opened).
    void UpdateTitle();
    // Rebuilds tool tips and borders after the settings changed.
    void SettingsChanged();
    // Runs the settings sheet modally: the full sheet opening on tab page, or the page with
    // number page alone (CPropSheetSet::PageNumber). On OK the settings are applied and both
    // sides repainted; afterwards the active side and the focus are restored.
    void OpenSettings(int page, bool singlePage) override;

    // IFrameRequests
    bool IsActiveView(const QWidget* view) const override;
    int PaneMode() const override { return m_currentMode; }
    void ShowPageOfElement(const CElement* element) override;
    void ActivateInformationSide() override;
    void ActivateModelSide() override;
    void ShowFindStatus(int current, int count) override;
    void PushRecentFindWord() override;
    // Writes the find box's recent words to the settings store.
    void SaveRecentFindWords(platform::ISettingsStore& store) const;
    QWidget* FindBoxWidget() const override;
    void CommandStateChanged() override { UpdateAllActions(); }

    bool UpdateCommand(int id, CCommandState& state) override;

signals:
    // A dropped model file, to be opened like one from the open dialog.
    void FileDropped(const QString& path);

protected:
    void OnCommand(int id) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void CreateContextMenus();
    void CreateClientArea();
    void ApplyFrameBackground();
    QMenu* AddMenu(const QString& title, const QList<int>& ids);
    void PaneFocus();
    void ToggleGrid();
    void ExportPage();
    void OnSplitterMoved();
    void OnFocusChanged(QWidget* old, QWidget* now);

    CShellContext& m_shell;
    ICommandTarget& m_appCommands;
    QHash<int, QAction*> m_actions;
    QList<QAction*> m_aliasActions; // further menu items of a command, with their own text
    QMenu* m_fileMenu = nullptr;
    QAction* m_recentSeparator = nullptr;
    QList<QAction*> m_recentActions;
    QMenu* m_contextModel = nullptr;   // menu 220
    QMenu* m_contextItems = nullptr;   // menu 218
    QMenu* m_contextHistory = nullptr; // menu 219
    QToolBar* m_toolBar = nullptr;
    QComboBox* m_findBox = nullptr;
    CMainStatusBar* m_statusBar = nullptr;
    QSplitter* m_splitter = nullptr;
    CModelPropertyView* m_modelSide = nullptr;
    CListPropertyView* m_infoSide = nullptr;
    CPropertyView* m_activeSide = nullptr;
    int m_currentMode = 0;
    bool m_firstActivation = true;
    CRecentWords m_recentWords;
    int m_infoMinWidth = 0; // the information side's minimum width (held collapsed when > 0)
    // The frame's entry in the window registry (class "ModelFrame", following the title
    // "<collection> - Model"), by which the documentation browser's launcher finds a model
    // browser that already shows a collection and brings it forward.
    std::unique_ptr<platform::CWindowRegistration> m_registration;
};
