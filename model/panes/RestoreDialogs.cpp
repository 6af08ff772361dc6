#include "RestoreDialogs.h"

#include "Messages.h"
#include "Resources.h"
#include "Switches.h"
#include "text/TextDecode.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

enum RestoreDialogText
{
    STR_EVENT_COLUMN = 5059,
    STR_ACTION_COLUMN = 5060,
    STR_RESTORED = 5062,
    STR_SKIPPED = 5063,
};

std::function<int(CRestoreEventDialog&)> g_restoreEventHook;
std::function<int(CRestorableEventsDialog&)> g_restorableEventsHook;

QString Display(const std::string& bytes)
{
    return QString::fromStdString(platform::DecodeToUtf8(bytes));
}

// Runs a dialog modally; with a test hook set, shows it without a modal loop and lets the hook
// answer it.
template <typename Dialog> int ExecOrHook(Dialog& dialog, const std::function<int(Dialog&)>& hook)
{
    if (!hook)
        return dialog.exec();
    dialog.show();
    const int result = hook(dialog);
    dialog.hide();
    return result;
}

QPushButton* AddButton(QVBoxLayout* column, const char* text, const char* name)
{
    auto* button = new QPushButton(QString::fromLatin1(text));
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    column->addWidget(button);
    return button;
}

} // namespace

// ---------------------------------------------------------------------------------------
// Restore Event

CRestoreEventDialog::CRestoreEventDialog(const CHistory::Chain& chain, CSwitches& switches,
                                         QWidget* parent)
    : QDialog(parent), m_chain(chain), m_switches(switches)
{
    setWindowTitle(QStringLiteral("Restore Event"));
    setObjectName(QStringLiteral("restoreEventDialog"));

    m_default = new QRadioButton(QStringLiteral("Do &Default Restore."));
    m_default->setObjectName(QStringLiteral("defaultRestore"));
    m_complete = new QRadioButton(QStringLiteral("Do &Complete Restore."));
    m_complete->setObjectName(QStringLiteral("completeRestore"));
    m_doNotShow = new QCheckBox(
        QStringLiteral("Do not &show this dialog in future, just do the default restore."));
    m_doNotShow->setObjectName(QStringLiteral("doNotShowDialog"));

    auto* choices = new QVBoxLayout;
    choices->addWidget(m_default);
    choices->addWidget(m_complete);
    choices->addSpacing(12);
    choices->addWidget(m_doNotShow);
    choices->addStretch(1);

    auto* buttons = new QVBoxLayout;
    m_begin = AddButton(buttons, "&Begin Restore", "beginRestore");
    m_viewEvents = AddButton(buttons, "View &Events...", "viewEvents");
    m_close = AddButton(buttons, "&Close", "close");
    m_help = AddButton(buttons, "&Help", "help");
    buttons->addStretch(1);
    m_begin->setDefault(true);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(choices, 1);
    layout->addLayout(buttons);

    (m_switches.restoreType == 0 ? m_default : m_complete)->setChecked(true);
    m_doNotShow->setChecked(m_switches.doNotShowRestoreTypeDialog == 1);
    m_viewEvents->setEnabled(!m_chain.empty());

    connect(m_begin, &QPushButton::clicked, this, &CRestoreEventDialog::OnBegin);
    connect(m_viewEvents, &QPushButton::clicked, this, &CRestoreEventDialog::OnViewEvents);
    connect(m_close, &QPushButton::clicked, this, &CRestoreEventDialog::reject);
    connect(m_help, &QPushButton::clicked, this, &CRestoreEventDialog::HelpRequested);
}

void CRestoreEventDialog::SetExecHook(std::function<int(CRestoreEventDialog&)> hook)
{
    g_restoreEventHook = std::move(hook);
}

int CRestoreEventDialog::Exec()
{
    return ExecOrHook(*this, g_restoreEventHook);
}

int CRestoreEventDialog::ChosenType() const
{
    return m_complete->isChecked() ? 1 : 0;
}

void CRestoreEventDialog::StoreCheckBox()
{
    m_switches.doNotShowRestoreTypeDialog = m_doNotShow->isChecked() ? 1 : 0;
}

void CRestoreEventDialog::OnBegin()
{
    StoreCheckBox();
    m_switches.restoreType = ChosenType();
    CHistory::MarkChain(m_chain, m_switches.restoreType);
    done(BeginRestore);
}

void CRestoreEventDialog::reject()
{
    StoreCheckBox();
    done(Closed);
}

void CRestoreEventDialog::OnViewEvents()
{
    if (m_chain.empty())
        return;
    CHistory::MarkChain(m_chain, ChosenType());
    CRestorableEventsDialog events(m_chain, this);
    events.Exec();
}

// ---------------------------------------------------------------------------------------
// Restorable Events

CRestorableEventsDialog::CRestorableEventsDialog(const CHistory::Chain& chain, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Restorable Events"));
    setObjectName(QStringLiteral("restorableEventsDialog"));

    m_list = new QTreeWidget;
    m_list->setObjectName(QStringLiteral("events"));
    m_list->setColumnCount(2);
    m_list->setHeaderLabels({QString::fromLatin1(MessageFormat(STR_EVENT_COLUMN)),
                             QString::fromLatin1(MessageFormat(STR_ACTION_COLUMN))});
    m_list->setRootIsDecorated(false);
    m_list->setItemsExpandable(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->header()->setSectionsClickable(false);
    m_list->header()->setStretchLastSection(false);
    m_list->setIconSize(QSize(16, 16));
    for (const CHistoryAction* record : chain) {
        auto* row = new QTreeWidgetItem(m_list);
        row->setIcon(0, StripIcon(IDB_HISTORY_ICONS, record->type));
        row->setText(0, Display(CHistory::Describe(*record)));
        const bool skipped = record->disposition == CHistoryAction::DispositionSkip;
        row->setText(1, QString::fromLatin1(MessageFormat(skipped ? STR_SKIPPED : STR_RESTORED)));
    }

    auto* ok = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(ok, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addWidget(ok);
    resize(440, 240);
}

void CRestorableEventsDialog::SetExecHook(std::function<int(CRestorableEventsDialog&)> hook)
{
    g_restorableEventsHook = std::move(hook);
}

int CRestorableEventsDialog::Exec()
{
    return ExecOrHook(*this, g_restorableEventsHook);
}

void CRestorableEventsDialog::FitColumns()
{
    const QFontMetrics rows = m_list->fontMetrics();
    int widest = m_list->header()->fontMetrics().horizontalAdvance(m_list->headerItem()->text(1));
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        widest = std::max(widest, rows.horizontalAdvance(m_list->topLevelItem(i)->text(1)));
    const int action = widest + 30;
    m_list->setColumnWidth(1, action);
    m_list->setColumnWidth(0, std::max(0, m_list->viewport()->width() - action));
}

void CRestorableEventsDialog::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    FitColumns();
}

void CRestorableEventsDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FitColumns();
}

// ---------------------------------------------------------------------------------------
// Restore in Progress...

CRestoreProgressDialog::CRestoreProgressDialog(CHistory& history, QWidget* mainWindow)
    : QDialog(mainWindow), m_history(history), m_mainWindow(mainWindow)
{
    setWindowTitle(QStringLiteral("Restore in Progress..."));
    setObjectName(QStringLiteral("restoreProgressDialog"));
    setModal(false);

    m_icon = new QLabel;
    m_icon->setObjectName(QStringLiteral("recordIcon"));
    m_icon->setFixedSize(16, 16);
    m_description = new QLabel;
    m_description->setObjectName(QStringLiteral("recordDescription"));
    m_description->setMinimumWidth(300);
    m_description->setTextFormat(Qt::PlainText);
    m_bar = new QProgressBar;
    m_bar->setObjectName(QStringLiteral("progress"));
    m_bar->setTextVisible(false);
    m_cancel = new QPushButton(QStringLiteral("Cancel"));
    m_cancel->setObjectName(QStringLiteral("cancel"));

    auto* record = new QHBoxLayout;
    record->addWidget(m_icon);
    record->addWidget(m_description, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(record);
    layout->addWidget(m_bar);
    layout->addLayout(bottom);

    connect(m_cancel, &QPushButton::clicked, this, &CRestoreProgressDialog::OnCancel);
}

void CRestoreProgressDialog::Begin(int count)
{
    m_cancelled = false;
    m_bar->setRange(0, count);
    m_bar->setValue(0);
    show();
    raise();
    if (m_mainWindow && m_mainWindow != this) {
        m_mainWasEnabled = m_mainWindow->isEnabled();
        m_mainWindow->setEnabled(false);
    }
    // A window keeps its own enabled state while its parent is disabled.
    setEnabled(true);
}

bool CRestoreProgressDialog::Step(int position, int count, int icon, const std::string& description,
                                  bool /*skipped*/)
{
    m_bar->setRange(0, count);
    m_bar->setValue(position);
    m_icon->setPixmap(StripIcon(IDB_HISTORY_ICONS, icon).pixmap(16, 16));
    m_description->setText(Display(description));
    QCoreApplication::processEvents();
    return !m_cancelled;
}

void CRestoreProgressDialog::End()
{
    if (m_mainWindow && m_mainWindow != this)
        m_mainWindow->setEnabled(m_mainWasEnabled);
    hide();
}

void CRestoreProgressDialog::OnCancel()
{
    if (m_asking || m_cancelled)
        return;
    m_asking = true;
    if (m_history.AskAbort())
        m_cancelled = true;
    m_asking = false;
}

void CRestoreProgressDialog::reject()
{
    OnCancel();
}
