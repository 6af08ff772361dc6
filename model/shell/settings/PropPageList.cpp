#include "PropPageList.h"

#include "ModelContext.h"
#include "ShellContext.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

CPropPageList::CPropPageList(CShellContext& shell, QWidget* parent)
    : CPropSheetPage(QStringLiteral("Information"), parent), m_shell(shell),
      m_activateOnLoad(MakeCheckBox("Activate Pane When &Loading Items", "activateListOnLoad", this)),
      m_matchCase(MakeCheckBox("&Match Case On Find", "matchCase", this)),
      m_largeDataAlarm(
          MakeCheckBox("&Prompt When Loading Large Relation Files", "largeDataAlarm", this)),
      m_autoSort(MakeCheckBox("Sort &Items", "autoSort", this)), m_attribute(new QComboBox(this)),
      m_adjustSplitter(
          MakeCheckBox("Adjust Properties &Splitter Automatically", "adjustPropertyPane", this)),
      m_adjustColumns(
          MakeCheckBox("Adjust Column Widths &Automatically", "adjustPropertyColumnWidths", this))
{
    setObjectName(QStringLiteral("informationPage"));
    // The entries in the order of the "ATTRIBUTE" values 0, 1, 2.
    m_attribute->setObjectName(QStringLiteral("attribute"));
    m_attribute->addItems({QStringLiteral("Match to previous attribute name"),
                           QStringLiteral("Keep previously selected attribute"),
                           QStringLiteral("Use first attribute")});
    auto* attributeLabel = new QLabel(QStringLiteral("&When Loading New Items:"), this);
    attributeLabel->setBuddy(m_attribute);

    auto* items = new QGroupBox(QStringLiteral("Items"), this);
    auto* itemsLayout = new QFormLayout(items);
    itemsLayout->addRow(m_activateOnLoad);
    itemsLayout->addRow(m_autoSort);
    itemsLayout->addRow(attributeLabel, m_attribute);

    auto* search = new QGroupBox(QStringLiteral("Find and Relations"), this);
    auto* searchLayout = new QVBoxLayout(search);
    searchLayout->addWidget(m_matchCase);
    searchLayout->addWidget(m_largeDataAlarm);

    auto* properties = new QGroupBox(QStringLiteral("Properties"), this);
    auto* propertiesLayout = new QVBoxLayout(properties);
    propertiesLayout->addWidget(m_adjustSplitter);
    propertiesLayout->addWidget(m_adjustColumns);

    auto* layout = new QVBoxLayout(this);
    for (QGroupBox* group : {items, search, properties})
        layout->addWidget(group);
    layout->addStretch(1);
}

CPropPageList::~CPropPageList() = default;

void CPropPageList::OnInitPage()
{
    const CSwitches& switches = m_shell.model->switches;
    m_activateOnLoad->setChecked(switches.activateListOnLoad != 0);
    m_matchCase->setChecked(switches.matchCase != 0);
    m_matchCase->setEnabled(!m_shell.findDialogOpen);
    m_largeDataAlarm->setChecked(switches.largeDataAlarm != 0);
    m_autoSort->setChecked(switches.autoSort != 0);
    // A value outside the list selects nothing.
    const int attribute = switches.attribute;
    m_attribute->setCurrentIndex(attribute >= 0 && attribute < m_attribute->count() ? attribute
                                                                                    : -1);
    m_adjustSplitter->setChecked(switches.adjustPropertyPane != 0);
    m_adjustColumns->setChecked(switches.adjustPropertyColumnWidths != 0);
}

void CPropPageList::OnOK()
{
    CSwitches& switches = m_shell.model->switches;
    switches.activateListOnLoad = m_activateOnLoad->isChecked() ? 1 : 0;
    switches.matchCase = m_matchCase->isChecked() ? 1 : 0;
    switches.largeDataAlarm = m_largeDataAlarm->isChecked() ? 1 : 0;
    switches.autoSort = m_autoSort->isChecked() ? 1 : 0;
    // No selection means the stored value was not one of the list's: keep it rather than
    // writing a value that means nothing.
    if (m_attribute->currentIndex() >= 0)
        switches.attribute = m_attribute->currentIndex();
    switches.adjustPropertyPane = m_adjustSplitter->isChecked() ? 1 : 0;
    switches.adjustPropertyColumnWidths = m_adjustColumns->isChecked() ? 1 : 0;
}
