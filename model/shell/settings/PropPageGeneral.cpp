#include "PropPageGeneral.h"

#include "Messages.h"
#include "ModelContext.h"
#include "ModelDoc.h"
#include "ShellContext.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

constexpr int kLoadAllRelationsQuestion = 5041;

} // namespace

CPropPageGeneral::CPropPageGeneral(CShellContext& shell, QWidget* parent)
    : CPropSheetPage(QStringLiteral("General"), parent), m_shell(shell),
      m_useWindowInfo(MakeCheckBox("Save and Use &Place", "useWindowInfo", this)),
      m_useSavedFont(MakeCheckBox("Use &Font Per Model", "useSavedFont", this)),
      m_loadRelations(MakeCheckBox("Load &Relations On Startup", "loadRelationsOnStartup", this)),
      m_noRestoreDialog(
          MakeCheckBox("&Do Not Show Restore History Dialog", "doNotShowRestoreTypeDialog", this)),
      m_suppressInfo(MakeCheckBox("&Suppress Informational Messages", "suppressInfoMessages", this)),
      m_viewerHelp(new QRadioButton(QStringLiteral("Use Documentation &Viewer"), this)),
      m_windowsHelp(new QRadioButton(QStringLiteral("Use &Windows Help"), this)),
      m_loadAllNow(new QPushButton(QStringLiteral("Load All Relations &Now"), this))
{
    setObjectName(QStringLiteral("generalPage"));
    m_viewerHelp->setObjectName(QStringLiteral("helpEngineViewer"));
    m_windowsHelp->setObjectName(QStringLiteral("helpEngineWindows"));
    m_loadAllNow->setObjectName(QStringLiteral("loadAllRelationsNow"));
    m_loadAllNow->setAutoDefault(false); // Enter in the sheet means OK, not a long load

    auto* window = new QGroupBox(QStringLiteral("Window"), this);
    auto* windowLayout = new QVBoxLayout(window);
    windowLayout->addWidget(m_useWindowInfo);
    windowLayout->addWidget(m_useSavedFont);

    auto* relations = new QGroupBox(QStringLiteral("Relations"), this);
    auto* relationsLayout = new QHBoxLayout(relations);
    relationsLayout->addWidget(m_loadRelations, 1);
    relationsLayout->addWidget(m_loadAllNow);

    auto* history = new QGroupBox(QStringLiteral("History"), this);
    auto* historyLayout = new QVBoxLayout(history);
    historyLayout->addWidget(m_noRestoreDialog);
    historyLayout->addWidget(m_suppressInfo);

    // The two radio buttons are exclusive because they share this group box.
    auto* help = new QGroupBox(QStringLiteral("Help"), this);
    auto* helpLayout = new QVBoxLayout(help);
    helpLayout->addWidget(m_viewerHelp);
    helpLayout->addWidget(m_windowsHelp);

    auto* layout = new QVBoxLayout(this);
    for (QGroupBox* group : {window, relations, history, help})
        layout->addWidget(group);
    layout->addStretch(1);

    // The help engine follows the click itself, so it stays changed when the sheet is
    // cancelled. clicked (not toggled) keeps the page's own filling from writing anything.
    connect(m_viewerHelp, &QRadioButton::clicked, this,
            [this] { m_shell.model->switches.helpEngine = 0; });
    connect(m_windowsHelp, &QRadioButton::clicked, this,
            [this] { m_shell.model->switches.helpEngine = 1; });
    connect(m_loadAllNow, &QPushButton::clicked, this, &CPropPageGeneral::LoadAllRelationsNow);
}

CPropPageGeneral::~CPropPageGeneral() = default;

void CPropPageGeneral::OnInitPage()
{
    const CSwitches& switches = m_shell.model->switches;
    m_useWindowInfo->setChecked(switches.useWindowInfo != 0);
    m_useSavedFont->setChecked(switches.useSavedFont != 0);
    m_loadRelations->setChecked(switches.loadRelationsOnStartup != 0);
    m_noRestoreDialog->setChecked(switches.doNotShowRestoreTypeDialog != 0);
    m_suppressInfo->setChecked(switches.suppressInfoMessages != 0);
    (switches.helpEngine == 1 ? m_windowsHelp : m_viewerHelp)->setChecked(true);
}

void CPropPageGeneral::OnOK()
{
    CSwitches& switches = m_shell.model->switches;
    switches.useWindowInfo = m_useWindowInfo->isChecked() ? 1 : 0;
    switches.useSavedFont = m_useSavedFont->isChecked() ? 1 : 0;
    switches.loadRelationsOnStartup = m_loadRelations->isChecked() ? 1 : 0;
    switches.doNotShowRestoreTypeDialog = m_noRestoreDialog->isChecked() ? 1 : 0;
    switches.suppressInfoMessages = m_suppressInfo->isChecked() ? 1 : 0;
}

void CPropPageGeneral::LoadAllRelationsNow()
{
    CModelContext& context = *m_shell.model;
    if (!context.prompter)
        return;
    platform::IPrompter& prompter = *context.prompter;
    const platform::Answer answer = platform::Report(
        prompter, kLoadAllRelationsQuestion, MessageFormat(kLoadAllRelationsQuestion),
        platform::Icon::Question, platform::Buttons::YesNo, platform::Answer::No);
    if (answer != platform::Answer::Yes || !m_shell.document)
        return;
    // Relation files not read yet are read now; no request scope is open, so no file asks
    // the large-file question. A file that cannot be read is not reported here; counting
    // marks its link.
    prompter.SetWaitCursor(true);
    m_shell.document->ReadAllRelations(0);
    prompter.SetWaitCursor(false);
}
