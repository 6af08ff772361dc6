#include "MainFrame.h"

#include "DocumentationLink.h"

#include "ColorTable.h"
#include "CommandTable.h"
#include "DiagnosticsDialog.h"
#include "ListPropertyView.h"
#include "MainStatusBar.h"
#include "Messages.h"
#include "ModelContext.h"
#include "ModelDoc.h"
#include "ModelPropertyView.h"
#include "ModelView.h"
#include "PagePainter.h"
#include "PropSheetSet.h"
#include "Resources.h"
#include "ShellContext.h"
#include "StringTable.h"
#include "prompter/Prompter.h"
#include "windows/qt/WindowRegistration.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QSplitter>
#include <QStyle>
#include <QToolBar>
#include <QWindow>

#include <memory>
#include <new>

namespace {

// The model browser's class in the window registry.
const char* const kWindowClass = "ModelFrame";

constexpr int kFindBoxWidth = 160;
constexpr int kFindBoxHeight = 120;

int ScreenWidth()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().width() : 1024;
}

bool IsInside(const QWidget* widget, const QWidget* ancestor)
{
    return widget && ancestor && (widget == ancestor || ancestor->isAncestorOf(widget));
}

} // namespace

CMainFrame::CMainFrame(CShellContext& shell, ICommandTarget& appCommands, QWidget* parent)
    : QMainWindow(parent), m_shell(shell), m_appCommands(appCommands)
{
    setObjectName(QStringLiteral("mainFrame"));
    shell.frame = this;
    setWindowIcon(ProgramIcon());
    setAcceptDrops(true);
    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    CreateContextMenus();
    CreateClientArea();
    UpdateTitle();
    connect(qApp, &QApplication::focusChanged, this, &CMainFrame::OnFocusChanged);
    // A frame that cannot register still works; it is only not found from outside.
    m_registration = std::make_unique<platform::CWindowRegistration>(this, kWindowClass);
}

CMainFrame::~CMainFrame()
{
    m_registration.reset();
    disconnect(qApp, &QApplication::focusChanged, this, &CMainFrame::OnFocusChanged);
    if (m_shell.frame == this)
        m_shell.frame = nullptr;
}

// ---------------------------------------------------------------------------------------
// Creation

void CMainFrame::CreateActions()
{
    QHash<int, QList<QKeySequence>> keys;
    for (const CAccelerator& accel : AcceleratorTable())
        keys[accel.id] << accel.key;
    // F1 asks for help as on every desktop.
    keys[ID_HELP_CONTENTS] << QKeySequence(Qt::Key_F1);

    for (const CCommandInfo& info : CommandTable()) {
        auto* action = new QAction(this);
        QString text = QString::fromUtf8(info.menuText);
        const QList<QKeySequence> shortcuts = keys.value(info.id);
        // Menus show the key as the program writes it ("Alt+Enter"), not Qt's name for it.
        if (*info.shortcutText)
            text += QLatin1Char('\t') + QString::fromUtf8(info.shortcutText);
        action->setText(text);
        action->setData(info.id);
        action->setShortcuts(shortcuts);
        action->setShortcutContext(Qt::WindowShortcut);
        action->setCheckable(info.checkable);
        action->setStatusTip(QString::fromStdString(CommandPrompt(info.id)));
        const std::string tip = CommandToolTip(info.id);
        if (!tip.empty())
            action->setToolTip(QString::fromStdString(tip));
        const QIcon icon = CommandIcon(info.id);
        if (!icon.isNull())
            action->setIcon(icon);
        const int id = info.id;
        connect(action, &QAction::triggered, this, [this, id] { RouteCommand(id); });
        addAction(action); // keys work even for commands without a menu item
        m_actions.insert(id, action);
    }
}

QMenu* CMainFrame::AddMenu(const QString& title, const QList<int>& ids)
{
    QMenu* menu = menuBar()->addMenu(title);
    for (int id : ids) {
        if (id == 0)
            menu->addSeparator();
        else
            menu->addAction(m_actions.value(id));
    }
    connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateAllActions);
    return menu;
}

void CMainFrame::CreateMenus()
{
    m_fileMenu = AddMenu(QStringLiteral("&File"), {ID_FILE_NEW, ID_FILE_OPEN, 0, ID_EXPORT_PAGE});
    m_recentSeparator = m_fileMenu->addSeparator();
    m_recentSeparator->setVisible(false);
    m_fileMenu->addSeparator();
    m_fileMenu->addAction(m_actions.value(ID_APP_EXIT));
    AddMenu(QStringLiteral("&View"), {ID_INSTANCES,
                                      ID_RELATED_INSTANCES,
                                      ID_ALL_RELATED_INSTANCES,
                                      ID_DOCUMENTATION,
                                      0,
                                      ID_VIEW_BOTH_PANES,
                                      ID_VIEW_MODEL_ONLY,
                                      ID_VIEW_INFORMATION_ONLY,
                                      0,
                                      ID_HISTORY,
                                      0,
                                      ID_ZOOM_IN,
                                      ID_ZOOM_OUT,
                                      ID_ZOOM_ACTUAL,
                                      ID_ZOOM_FIT,
                                      0,
                                      ID_VIEW_TOOLBAR,
                                      ID_VIEW_STATUS_BAR,
                                      0,
                                      ID_PROPERTIES});
    AddMenu(QStringLiteral("&Tools"), {ID_FIND_INSTANCE, ID_FIND_NEXT_INSTANCE, 0, ID_FONT,
                                       ID_SET_DEFAULT_FONT, 0, ID_CLEAR_TRACKS, ID_CLEAR_HISTORY,
                                       ID_RESTORE_HISTORY, 0, ID_SETTINGS, ID_SAVE_SETTINGS_NOW});
    AddMenu(QStringLiteral("&Help"), {ID_HELP_CONTENTS, 0, ID_APP_ABOUT});
}

void CMainFrame::CreateToolBar()
{
    m_toolBar = new QToolBar(QString::fromUtf8(LoadResourceString(IDS_TOOLBAR_CAPTION)), this);
    m_toolBar->setObjectName(QStringLiteral("standardToolBar"));
    m_toolBar->setAllowedAreas(Qt::TopToolBarArea | Qt::BottomToolBarArea);
    m_toolBar->setFloatable(true);
    m_toolBar->setMovable(true);
    m_toolBar->setIconSize(QSize(16, 16));
    addToolBar(Qt::TopToolBarArea, m_toolBar);

    m_findBox = new QComboBox(m_toolBar);
    m_findBox->setObjectName(QStringLiteral("findBox"));
    m_findBox->setEditable(true);
    m_findBox->setInsertPolicy(QComboBox::NoInsert);
    m_findBox->setFont(m_shell.boldFont);
    m_findBox->setFixedWidth(kFindBoxWidth);
    m_findBox->setMaxVisibleItems(
        std::max(1, kFindBoxHeight / std::max(1, m_findBox->fontMetrics().height())));
    m_findBox->setToolTip(QString::fromStdString(CommandToolTip(ID_FIND_INSTANCE)));
    // The recent words, most recent first.
    if (m_shell.model->settings)
        m_recentWords.Load(*m_shell.model->settings);
    for (const std::string& word : m_recentWords.Words())
        m_findBox->addItem(QString::fromUtf8(word));
    m_findBox->setCurrentIndex(m_findBox->count() > 0 ? 0 : -1);

    const int* toolbarSlots = ToolbarSlots();
    for (int i = 0; i < kToolbarSlotCount; ++i) {
        const int id = toolbarSlots[i];
        if (id == ID_FIND_INSTANCE)
            m_toolBar->addWidget(m_findBox);
        else if (id == 0)
            m_toolBar->addSeparator();
        else
            m_toolBar->addAction(m_actions.value(id));
    }
}

void CMainFrame::CreateStatusBar()
{
    m_statusBar = new CMainStatusBar(this);
    setStatusBar(m_statusBar);
}

void CMainFrame::CreateContextMenus()
{
    auto make = [this](const QList<int>& ids) {
        auto* menu = new QMenu(this);
        for (int id : ids)
            menu->addAction(m_actions.value(id));
        return menu;
    };
    m_contextModel =
        make({ID_INSTANCES, ID_FONT, ID_SET_DEFAULT_FONT, ID_CLEAR_TRACKS, ID_PROPERTIES});
    // The model pane's menu writes Font with its own mnemonic: "&Font..." beside the Tools
    // menu's "Fon&t...".
    auto* font = new QAction(QStringLiteral("&Font..."), this);
    font->setData(ID_FONT);
    font->setStatusTip(m_actions.value(ID_FONT)->statusTip());
    font->setIcon(m_actions.value(ID_FONT)->icon());
    connect(font, &QAction::triggered, this, [this] { RouteCommand(ID_FONT); });
    m_contextModel->insertAction(m_actions.value(ID_FONT), font);
    m_contextModel->removeAction(m_actions.value(ID_FONT));
    m_aliasActions << font;
    m_contextItems = make({ID_RELATED_INSTANCES, ID_ALL_RELATED_INSTANCES, ID_DOCUMENTATION,
                           ID_FIND_INSTANCE, ID_FIND_NEXT_INSTANCE, ID_PROPERTIES});
    m_contextHistory = make({ID_RESTORE_HISTORY, ID_CLEAR_HISTORY});
}

void CMainFrame::CreateClientArea()
{
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("mainSplitter"));
    m_splitter->setOpaqueResize(false); // one move notice when the drag ends
    m_splitter->setChildrenCollapsible(true);
    m_modelSide = new CModelPropertyView(m_shell, m_splitter);
    m_infoSide = new CListPropertyView(m_shell, m_splitter);
    m_modelSide->setMinimumWidth(0);
    m_infoSide->setMinimumWidth(0);
    m_splitter->addWidget(m_modelSide);
    m_splitter->addWidget(m_infoSide);
    const CSplitterPair pair = m_shell.placement->Splitter(CPlacementInfo::SplitterMain);
    m_splitter->setSizes({pair.first, pair.second});
    setCentralWidget(m_splitter);
    ApplyFrameBackground();
    connect(m_splitter, &QSplitter::splitterMoved, this, &CMainFrame::OnSplitterMoved);
    connect(m_modelSide, &CPropertyView::CurrentTabChanged, this, &CMainFrame::UpdateAllActions);
    m_activeSide = m_modelSide;
    m_modelSide->SetActive(true);
}

QMenu* CMainFrame::ContextMenu(int menuId) const
{
    switch (menuId) {
    case 218:
        return m_contextItems;
    case 219:
        return m_contextHistory;
    case 220:
        return m_contextModel;
    default:
        return nullptr;
    }
}

// ---------------------------------------------------------------------------------------
// Pane modes and layouts

bool CMainFrame::ModelWithPathOpen() const
{
    return m_shell.document && !m_shell.document->PathName().empty();
}

void CMainFrame::ApplyPaneMode(int mode)
{
    const int screen = ScreenWidth();
    switch (mode) {
    case PaneModeBoth: {
        m_currentMode = mode;
        const CSplitterPair pair = m_shell.placement->Splitter(CPlacementInfo::SplitterMain);
        m_splitter->setSizes({pair.first, pair.second});
        break;
    }
    case PaneModeModelOnly:
        m_currentMode = mode;
        m_splitter->setSizes({screen, 0});
        ActivateSide(m_modelSide);
        break;
    case PaneModeInfoOnly:
        m_currentMode = mode;
        m_splitter->setSizes({0, screen});
        ActivateSide(m_infoSide);
        break;
    default:
        m_currentMode = 0;
        if (m_infoMinWidth > 0)
            m_splitter->setSizes({screen, 0});
        break;
    }
    m_splitter->refresh();
    UpdateAllActions();
}

void CMainFrame::ChoosePaneMode(int mode)
{
    m_shell.placement->SetMode(mode);
    ApplyPaneMode(mode);
}

void CMainFrame::ApplyModelLayout()
{
    m_infoMinWidth = 0;
    const CSplitterPair pair = m_shell.placement->Splitter(CPlacementInfo::SplitterMain);
    m_splitter->setSizes({pair.first, pair.second});
    ApplyPaneMode(m_shell.placement->Mode());
    // The keys (Page Down, arrows, Enter) work on the page at once.
    if (m_activeSide == m_modelSide)
        ActivateSide(m_modelSide);
}

void CMainFrame::ApplyEmptyLayout()
{
    // The information side is held collapsed by a minimum width of a whole screen.
    m_infoMinWidth = ScreenWidth();
    ApplyPaneMode(0);
    m_splitter->repaint();
}

int CMainFrame::ModeFromSplitter(bool storeWidths)
{
    const QList<int> sizes = m_splitter->sizes();
    const int modelWidth = sizes.value(0);
    const int infoWidth = sizes.value(1);
    const int mode = PaneModeAfterDrag(modelWidth, 0, infoWidth, m_infoMinWidth);
    if (storeWidths && mode == PaneModeBoth)
        m_shell.placement->SetSplitter(CPlacementInfo::SplitterMain, {modelWidth, infoWidth});
    return mode;
}

void CMainFrame::OnSplitterMoved()
{
    ApplyPaneMode(ModeFromSplitter(true));
}

// ---------------------------------------------------------------------------------------
// Placement

CScreenMetrics CMainFrame::ScreenMetrics()
{
    CScreenMetrics metrics;
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect geometry = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    metrics.screenWidth = geometry.width();
    metrics.screenHeight = geometry.height();
    const QStyle* style = QApplication::style();
    metrics.frameBorderWidth = style ? style->pixelMetric(QStyle::PM_DefaultFrameWidth) : 2;
    metrics.captionHeight = style ? style->pixelMetric(QStyle::PM_TitleBarHeight) : 18;
    metrics.menuHeight = QFontMetrics(QApplication::font()).height() + 6;
    return metrics;
}

void CMainFrame::ShowFirstTime()
{
    m_firstActivation = false;
    const CWindowPlacement& placement = m_shell.placement->Placement();
    const CPlaceRect& r = placement.normalPosition;
    if (m_shell.model->switches.useWindowInfo == 1 && r.right > r.left && r.bottom > r.top) {
        setGeometry(r.left, r.top, r.right - r.left, r.bottom - r.top);
    } else {
        // No stored place: two thirds of the screen's free area, centred, as desktop
        // programs open.
        const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
        const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
        const QSize size(area.width() * 2 / 3, area.height() * 2 / 3);
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size, area));
    }
    switch (placement.showCmd) {
    case ShowCommandMaximized:
        showMaximized();
        break;
    case ShowCommandHide:
        show();
        break; // a hidden main window would leave nothing to use
    default:
        showNormal();
        break;
    }
}

void CMainFrame::CapturePlacement()
{
    CWindowPlacement placement = m_shell.placement->Placement();
    const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    placement.normalPosition = {normal.left(), normal.top(), normal.right() + 1,
                                normal.bottom() + 1};
    if (isMaximized())
        placement.showCmd = ShowCommandMaximized;
    else if (isMinimized())
        placement.showCmd = ShowCommandMinimized;
    else
        placement.showCmd = ShowCommandNormal;
    m_shell.placement->SetPlacement(placement);
}

void CMainFrame::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !m_firstActivation)
        CapturePlacement();
    QMainWindow::changeEvent(event);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (m_shell.model->switches.useWindowInfo == 1)
        CapturePlacement();
    const int mode = ModeFromSplitter(false);
    if (mode != 0)
        m_shell.placement->SetMode(mode);
    event->accept();
}

// ---------------------------------------------------------------------------------------
// Views, focus and routing

void CMainFrame::ViewActivated(QWidget* view)
{
    CPropertyView* side = IsInside(view, m_modelSide)  ? static_cast<CPropertyView*>(m_modelSide)
                          : IsInside(view, m_infoSide) ? static_cast<CPropertyView*>(m_infoSide)
                                                       : nullptr;
    if (!side || side == m_activeSide)
        return;
    m_activeSide = side;
    m_modelSide->SetActive(side == m_modelSide);
    m_infoSide->SetActive(side == m_infoSide);
    UpdateAllActions();
}

void CMainFrame::OnFocusChanged(QWidget* /*old*/, QWidget* now)
{
    if (now && now->window() == this)
        ViewActivated(now);
}

bool CMainFrame::IsActiveView(const QWidget* view) const
{
    return view && ActiveModelView() == view;
}

void CMainFrame::ShowPageOfElement(const CElement* element)
{
    m_modelSide->ShowPageOfElement(element);
}

void CMainFrame::ActivateInformationSide()
{
    ActivateSide(m_infoSide);
}

void CMainFrame::ActivateModelSide()
{
    ActivateSide(m_modelSide);
}

void CMainFrame::ShowFindStatus(int current, int count)
{
    m_statusBar->SetFindStatus(current, count);
}

void CMainFrame::PushRecentFindWord()
{
    const std::string text = m_findBox->currentText().toStdString();
    if (text.empty())
        return;
    m_recentWords.Push(text);
    // Rebuilding the drop-down is not an edit of the word: no search-continuing reset.
    const QSignalBlocker blocker(m_findBox);
    m_findBox->clear();
    for (const std::string& word : m_recentWords.Words())
        m_findBox->addItem(QString::fromUtf8(word));
    m_findBox->setCurrentIndex(0);
}

void CMainFrame::SaveRecentFindWords(platform::ISettingsStore& store) const
{
    m_recentWords.Save(store);
}

QWidget* CMainFrame::FindBoxWidget() const
{
    return m_findBox;
}

CModelView* CMainFrame::ActiveModelView() const
{
    return m_activeSide == m_modelSide ? m_modelSide->CurrentPageView() : nullptr;
}

void CMainFrame::ActivateSide(CPropertyView* side)
{
    ViewActivated(side);
    if (side == m_modelSide) {
        if (CModelView* view = m_modelSide->CurrentPageView())
            view->setFocus(Qt::OtherFocusReason);
        else
            m_modelSide->setFocus(Qt::OtherFocusReason);
    } else if (QWidget* view = m_infoSide->CurrentView()) {
        view->setFocus(Qt::OtherFocusReason);
    } else {
        m_infoSide->setFocus(Qt::OtherFocusReason);
    }
}

CCommandState CMainFrame::CommandState(int id)
{
    CCommandState state;
    auto* side = dynamic_cast<ICommandTarget*>(m_activeSide);
    if (side && side->UpdateCommand(id, state))
        return state;
    state = CCommandState();
    if (UpdateCommand(id, state))
        return state;
    state = CCommandState();
    if (m_appCommands.UpdateCommand(id, state))
        return state;
    return CCommandState();
}

bool CMainFrame::RouteCommand(int id)
{
    CCommandState state;
    bool served = false;
    auto* side = dynamic_cast<ICommandTarget*>(m_activeSide);
    // Enter in the find box is a Find Next in the instance list, whichever side is active.
    if (id == ID_ENTER && IsInside(QApplication::focusWidget(), m_findBox))
        side = m_infoSide;
    if (side && side->UpdateCommand(id, state))
        served = side->ExecuteCommand(id);
    else if (state = CCommandState(); UpdateCommand(id, state))
        served = ExecuteCommand(id);
    else if (state = CCommandState(); m_appCommands.UpdateCommand(id, state))
        served = m_appCommands.ExecuteCommand(id);
    UpdateAllActions();
    return served;
}

void CMainFrame::UpdateAllActions()
{
    for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it) {
        const CCommandState state = CommandState(it.key());
        QAction* action = it.value();
        action->setEnabled(state.enabled);
        if (action->isCheckable())
            action->setChecked(state.checked);
    }
    for (QAction* alias : m_aliasActions)
        alias->setEnabled(m_actions.value(alias->data().toInt())->isEnabled());
}

void CMainFrame::ShowContextMenu(QWidget* clicked, const QPoint& globalPos)
{
    QMenu* menu = nullptr;
    if (IsInside(clicked, m_modelSide)) {
        menu = m_contextModel;
    } else if (IsInside(clicked, m_infoSide) && m_infoSide->TabCount() > 0) {
        menu = IsInside(clicked, m_infoSide->ViewAt(1)) ? m_contextHistory : m_contextItems;
    }
    if (!menu)
        return;
    UpdateAllActions();
    menu->exec(globalPos);
}

void CMainFrame::SetRecentFiles(const QStringList& files)
{
    for (QAction* action : m_recentActions) {
        m_fileMenu->removeAction(action);
        delete action;
    }
    m_recentActions.clear();
    for (int i = 0; i < files.size() && i < 4; ++i) {
        auto* action = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(files[i]), this);
        const int id = ID_FILE_MRU_FILE1 + i;
        action->setData(id);
        action->setStatusTip(QString::fromStdString(CommandPrompt(id)));
        connect(action, &QAction::triggered, this, [this, id] { RouteCommand(id); });
        m_fileMenu->insertAction(m_recentSeparator, action);
        m_recentActions << action;
    }
    m_recentSeparator->setVisible(!files.isEmpty());
}

void CMainFrame::UpdateTitle()
{
    const std::string& title = m_shell.document->Title();
    setWindowTitle(DisplayText(title) + QStringLiteral(" - ") +
                   QString::fromUtf8(LoadResourceString(IDS_APP_TITLE)));
}

void CMainFrame::ApplyFrameBackground()
{
    // What shows of the frame around and between the panes (the splitter bar).
    QPalette palette = m_splitter->palette();
    palette.setColor(QPalette::Window, ToQColor(m_shell.colors->Color("BACKGROUND PROPERTY VIEW")));
    m_splitter->setPalette(palette);
    m_splitter->setAutoFillBackground(true);
}

void CMainFrame::SettingsChanged()
{
    ApplyFrameBackground();
    m_modelSide->ApplyBorders();
    m_modelSide->RepaintPages();
}

void CMainFrame::OpenSettings(int page, bool singlePage)
{
    const QPointer<CPropertyView> activeSide = m_activeSide;
    const QPointer<QWidget> focus = QApplication::focusWidget();
    std::unique_ptr<CPropSheetSet> sheet;
    try {
        sheet = std::make_unique<CPropSheetSet>(m_shell, page, singlePage, this);
    } catch (const std::bad_alloc&) {
        platform::Report(*m_shell.model->prompter, MSG_NOT_ENOUGH_MEMORY,
                         MessageFormat(MSG_NOT_ENOUGH_MEMORY), platform::Icon::Exclamation);
    }
    if (sheet && sheet->PageCount() > 0 && sheet->exec() == QDialog::Accepted) {
        SettingsChanged();
        m_modelSide->update();
        m_infoSide->update();
    }
    sheet.reset();
    // The sheet may have outlived what had the focus; only what still exists gets it back.
    if (activeSide)
        ViewActivated(activeSide);
    if (focus)
        focus->setFocus(Qt::OtherFocusReason);
    else if (activeSide)
        ActivateSide(activeSide);
}

// ---------------------------------------------------------------------------------------
// The frame's own commands

bool CMainFrame::UpdateCommand(int id, CCommandState& state)
{
    switch (id) {
    case ID_VIEW_BOTH_PANES:
    case ID_VIEW_MODEL_ONLY:
    case ID_VIEW_INFORMATION_ONLY:
        state.enabled = ModelWithPathOpen();
        state.checked = m_currentMode == id;
        return true;
    case ID_HISTORY:
        state.enabled = ModelWithPathOpen();
        return true;
    case ID_EXPORT_PAGE:
        state.enabled = ModelWithPathOpen() && m_modelSide->CurrentPageView() != nullptr;
        return true;
    case ID_ZOOM_IN:
    case ID_ZOOM_OUT:
    case ID_ZOOM_ACTUAL:
    case ID_ZOOM_FIT:
        // The page shown on the model side zooms, whichever side has the keyboard.
        if (CModelView* view = m_modelSide->CurrentPageView())
            return view->UpdateCommand(id, state);
        return true;
    case ID_FOCUS_FIND_BOX:
    case ID_DIAGNOSTICS:
    case ID_GRID_SWITCH:
    case ID_SETTINGS:
    case ID_NEXT_PANE:
    case ID_PREV_PANE:
        state.enabled = true;
        return true;
    case ID_VIEW_TOOLBAR:
        state.enabled = true;
        state.checked = m_toolBar->isVisible() || !isVisible();
        return true;
    case ID_VIEW_STATUS_BAR:
        state.enabled = true;
        state.checked = m_statusBar->isVisible() || !isVisible();
        return true;
    case ID_DOCUMENTATION:
        // The information side shows the selected instance's documentation while it is the
        // active side; otherwise the command finds or starts the viewer.
        if (m_activeSide == m_infoSide && m_infoSide->UpdateCommand(id, state))
            return true;
        state.enabled = (!m_shell.document->PathName().empty() ||
                         m_shell.document->PageCount() > 0) &&
                        m_shell.documentation && m_shell.documentation->DocumentationService() != 0;
        return true;
    case ID_FIND_NEXT_INSTANCE:
    case ID_RELATED_INSTANCES:
    case ID_ALL_RELATED_INSTANCES:
    case ID_FIND_INSTANCE:
    case ID_RESTORE_HISTORY:
    case ID_CLEAR_HISTORY:
        // Served by the information side when it lists instances.
        if (!m_shell.document->PathName().empty() || m_shell.document->PageCount() > 0)
            return m_infoSide->UpdateCommand(id, state);
        return false;
    default:
        return false;
    }
}

void CMainFrame::OnCommand(int id)
{
    switch (id) {
    case ID_VIEW_BOTH_PANES:
    case ID_VIEW_MODEL_ONLY:
    case ID_VIEW_INFORMATION_ONLY:
        ChoosePaneMode(id);
        break;
    case ID_HISTORY:
        if (m_infoSide->TabCount() > 1) {
            m_infoSide->SelectTab(CListPropertyView::TabHistory);
            ActivateSide(m_infoSide);
        }
        break;
    case ID_EXPORT_PAGE:
        ExportPage();
        break;
    case ID_ZOOM_IN:
    case ID_ZOOM_OUT:
    case ID_ZOOM_ACTUAL:
    case ID_ZOOM_FIT:
        if (CModelView* view = m_modelSide->CurrentPageView())
            view->ExecuteCommand(id);
        break;
    case ID_FOCUS_FIND_BOX:
        m_findBox->setFocus(Qt::ShortcutFocusReason);
        break;
    case ID_DIAGNOSTICS: {
        CDiagnosticsDialog dialog(m_shell, this);
        dialog.exec();
        break;
    }
    case ID_GRID_SWITCH:
        ToggleGrid();
        break;
    case ID_SETTINGS:
        OpenSettings(0, false);
        break;
    case ID_NEXT_PANE:
    case ID_PREV_PANE:
        PaneFocus();
        break;
    case ID_VIEW_TOOLBAR:
        m_toolBar->setVisible(!m_toolBar->isVisible());
        break;
    case ID_VIEW_STATUS_BAR:
        m_statusBar->setVisible(!m_statusBar->isVisible());
        break;
    case ID_FIND_NEXT_INSTANCE:
        ActivateSide(m_infoSide);
        m_infoSide->ExecuteCommand(id);
        break;
    case ID_DOCUMENTATION:
        if (m_activeSide == m_infoSide) {
            m_infoSide->ExecuteCommand(id);
        } else {
            CCommandState state;
            if (UpdateCommand(id, state) && state.enabled)
                m_shell.documentation->FindOrStartViewer();
        }
        break;
    case ID_RELATED_INSTANCES:
    case ID_ALL_RELATED_INSTANCES:
    case ID_FIND_INSTANCE:
    case ID_RESTORE_HISTORY:
    case ID_CLEAR_HISTORY:
        m_infoSide->ExecuteCommand(id);
        break;
    default:
        break;
    }
}

void CMainFrame::PaneFocus()
{
    // With two panes F6 and Shift+F6 both go to the other side.
    if (ModelWithPathOpen() && IsInside(QApplication::focusWidget(), m_modelSide))
        ActivateSide(m_infoSide);
    else
        ActivateSide(m_modelSide);
}

void CMainFrame::ToggleGrid()
{
    m_shell.gridSwitch = !m_shell.gridSwitch;
    m_shell.document->Notify(CUpdateHint::KindModelPane, CUpdateHint::CodeRelationMarksReset);
}

void CMainFrame::ExportPage()
{
    CModelView* view = m_modelSide->CurrentPageView();
    CPage* page = view ? view->Page() : nullptr;
    if (!page)
        return;
    // The filters in the order of the file types they stand for.
    static constexpr EPageFileType kFilterTypes[] = {EPageFileType::Png, EPageFileType::Pdf};
    int chosenFilter = -1;
    platform::FileDialogSpec spec;
    spec.mode = platform::FileDialogSpec::Mode::Save;
    spec.title = LoadResourceString(IDS_EXPORT_TITLE);
    spec.filter = LoadResourceString(IDS_EXPORT_FILTER);
    spec.defaultExt = "PNG";
    spec.defaultName = page->name;
    spec.overwritePrompt = true;
    spec.owner = this;
    spec.selectedFilter = &chosenFilter;
    const std::optional<std::string> chosen = m_shell.model->prompter->ChooseFile(spec);
    if (!chosen)
        return;
    // The file type the user picked decides the format and the suffix; only a dialog that
    // cannot tell leaves it to the suffix typed.
    QString path = QString::fromStdString(*chosen);
    const EPageFileType type =
        chosenFilter >= 0 && chosenFilter < 2 ? kFilterTypes[chosenFilter] : PageFileTypeOf(path);
    const QString typed = path;
    path = WithPageFileSuffix(path, type);
    if (path != typed && QFileInfo::exists(path)) {
        const std::string question =
            "'" + path.toStdString() + "' already exists.\nDo you want to replace it?";
        if (platform::Report(*m_shell.model->prompter, 0, question, platform::Icon::Exclamation,
                             platform::Buttons::YesNo,
                             platform::Answer::No) != platform::Answer::Yes)
            return;
    }
    CPagePainter painter(*m_shell.colors);
    painter.SetFont(FontFromRecord(m_shell.document->Font()));
    QString error;
    if (!ExportPageFile(painter, *page, path, type, &error)) {
        platform::Report(*m_shell.model->prompter, 0,
                         "The page could not be exported: " + error.toStdString(),
                         platform::Icon::Exclamation);
    }
}

// ---------------------------------------------------------------------------------------
// Dropped files

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            event->acceptProposedAction();
            emit FileDropped(url.toLocalFile());
            return;
        }
    }
}
