#include "CgmOptionsDialog.h"

#include "prompter/Prompter.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace cgmfilter {

COptionsDialog::COptionsDialog(const COptions& options, platform::IPrompter* prompter,
                               QWidget* parent)
    : QDialog(parent), m_prompter(prompter)
{
    setWindowTitle(tr("CGM Import Options"));
    m_simulateText = new QCheckBox(tr("&Simulate text"), this);
    m_simulateText->setObjectName(QStringLiteral("simulateText"));
    m_simulateText->setChecked(options.simulateText);
    m_mapColors = new QCheckBox(tr("&Map colours to solid colours"), this);
    m_mapColors->setObjectName(QStringLiteral("mapColors"));
    m_mapColors->setChecked(options.mapColors);
    m_saveOptions = new QCheckBox(tr("Sa&ve options"), this);
    m_saveOptions->setObjectName(QStringLiteral("saveOptions"));
    m_saveOptions->setChecked(options.saveOptions);

    m_picture = new QSpinBox(this);
    m_picture->setObjectName(QStringLiteral("picture"));
    m_picture->setRange(0, 99999);
    m_picture->setValue(std::max(options.picture, 0));

    m_fontMapPath = new QLineEdit(QString::fromStdString(options.fontMapPath), this);
    m_fontMapPath->setObjectName(QStringLiteral("fontMapPath"));
    auto* fontRow = new QHBoxLayout;
    fontRow->addWidget(m_fontMapPath, 1);
    if (m_prompter) {
        m_browse = new QPushButton(tr("&Browse..."), this);
        m_browse->setObjectName(QStringLiteral("browse"));
        m_browse->setAutoDefault(false);
        connect(m_browse, &QPushButton::clicked, this, &COptionsDialog::Browse);
        fontRow->addWidget(m_browse);
    }

    auto* form = new QFormLayout;
    form->addRow(tr("&Picture:"), m_picture);
    form->addRow(tr("&Font map:"), fontRow);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_simulateText);
    layout->addWidget(m_mapColors);
    layout->addLayout(form);
    layout->addWidget(m_saveOptions);
    layout->addWidget(buttons);
}

COptions COptionsDialog::Options() const
{
    COptions options;
    options.simulateText = m_simulateText->isChecked();
    options.saveOptions = m_saveOptions->isChecked();
    options.mapColors = m_mapColors->isChecked();
    options.picture = m_picture->value();
    options.fontMapPath = m_fontMapPath->text().toStdString();
    return options;
}

void COptionsDialog::Browse()
{
    platform::FileDialogSpec spec;
    spec.mode = platform::FileDialogSpec::Mode::Open;
    spec.title = tr("Font Map").toStdString();
    spec.filter = "Font Maps (*.map;*.ini)|*.map;*.ini|All Files (*.*)|*.*||";
    spec.defaultExt = "MAP";
    spec.fileMustExist = true;
    spec.owner = this;
    if (const auto path = m_prompter->ChooseFile(spec))
        m_fontMapPath->setText(QString::fromStdString(*path));
}

} // namespace cgmfilter
