#include "DiagnosticsDialog.h"

#include "ModelContext.h"
#include "ModelDoc.h"
#include "ModelDump.h"
#include "ShellContext.h"
#include "SyntaxTest.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

CDiagnosticsDialog::CDiagnosticsDialog(CShellContext& shell, QWidget* parent)
    : QDialog(parent),
      m_shell(shell),
      m_list(new QListWidget(this)),
      m_grid(new QCheckBox(QStringLiteral("Draw &Grid on the Model Pane"), this)),
      m_run(new QPushButton(QStringLiteral("&Run..."), this))
{
    setObjectName(QStringLiteral("diagnosticsDialog"));
    setWindowTitle(QStringLiteral("Diagnostics"));
    auto* label = new QLabel(QStringLiteral("&Available Diagnostics:"), this);
    label->setBuddy(m_list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel,
                                         Qt::Vertical, this);
    buttons->addButton(m_run, QDialogButtonBox::ActionRole);
    auto* layout = new QGridLayout(this);
    layout->addWidget(label, 0, 0);
    layout->addWidget(m_list, 1, 0);
    layout->addWidget(m_grid, 2, 0);
    layout->addWidget(buttons, 0, 1, 3, 1);

    m_list->addItem(QString::fromLatin1(kSyntaxTest));
    m_list->addItem(QString::fromLatin1(kContentsDump));
    connect(m_list, &QListWidget::currentRowChanged, this, &CDiagnosticsDialog::SelectionChanged);
    m_list->setCurrentRow(0);
    m_grid->setChecked(shell.gridSwitch);
    connect(m_run, &QPushButton::clicked, this, &CDiagnosticsDialog::Run);
    connect(buttons, &QDialogButtonBox::accepted, this, &CDiagnosticsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDiagnosticsDialog::reject);
}

void CDiagnosticsDialog::SelectionChanged()
{
    const QListWidgetItem* item = m_list->currentItem();
    const bool dump = item && item->text() == QLatin1String(kContentsDump);
    m_run->setEnabled(!(dump && m_shell.document->PathName().empty()));
}

void CDiagnosticsDialog::Run()
{
    const QListWidgetItem* item = m_list->currentItem();
    if (!item || !m_run->isEnabled())
        return;
    if (item->text() == QLatin1String(kSyntaxTest))
        SyntaxTest(*m_shell.model, static_cast<QWidget*>(this));
    else if (item->text() == QLatin1String(kContentsDump))
        DumpModel(*m_shell.document, static_cast<QWidget*>(this));
}

void CDiagnosticsDialog::accept()
{
    m_shell.gridSwitch = m_grid->isChecked();
    QDialog::accept();
    m_shell.document->Notify(CUpdateHint::KindModelPane, CUpdateHint::CodeRelationMarksReset);
    m_shell.document->Notify(CUpdateHint::KindInformation, CUpdateHint::CodeRelationMarksReset);
}
