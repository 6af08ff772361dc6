#include "PropPageModel.h"

#include "ColorComboBox.h"
#include "ColorSampleWnd.h"
#include "ModelContext.h"
#include "ShellContext.h"

#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace {

// The sample sits inside its frame, this far from each edge.
constexpr int kSampleInset = 5;

} // namespace

CPropPageModel::CPropPageModel(CShellContext& shell, QWidget* parent)
    : CPropSheetPage(QStringLiteral("Model"), parent), m_shell(shell),
      m_focusRect(new QCheckBox(QStringLiteral("&Draw Normal Focus Rect"), this)),
      m_tracks(new QCheckBox(QStringLiteral("&Show Tracks"), this)),
      m_borders(new QCheckBox(QStringLiteral("Draw Borders"), this)),
      m_toolTips(new QCheckBox(QStringLiteral("Show Tool Tips"), this)),
      m_details(new QCheckBox(QStringLiteral("Display Additional Information"), this)),
      m_items(new QListWidget(this)), m_colorBox(new CColorComboBox(shell.colors, this)),
      m_sampleFrame(new QFrame(this))
{
    setObjectName(QStringLiteral("modelPage"));
    auto* itemsLabel = new QLabel(QStringLiteral("&Available Items:"), this);
    itemsLabel->setBuddy(m_items);
    auto* colorLabel = new QLabel(QStringLiteral("&Color:"), this);
    colorLabel->setBuddy(m_colorBox);
    auto* sampleLabel = new QLabel(QStringLiteral("Sample:"), this);
    m_sampleFrame->setFrameStyle(QFrame::Box | QFrame::Plain);

    // The frame must hold the sample's four element boxes beside its link bars.
    const QFontMetrics bold(shell.boldFont);
    const int th = bold.height();
    const int tw = bold.horizontalAdvance(QStringLiteral("Disabled"));
    m_sampleFrame->setMinimumSize(2 * (2 * th + tw) + 4 * th + 2 * kSampleInset,
                                  8 * th + 9 + 2 * kSampleInset);
    m_sampleFrame->installEventFilter(this);

    auto* colours = new QGridLayout;
    colours->addWidget(itemsLabel, 0, 0);
    colours->addWidget(m_items, 1, 0, 3, 1);
    colours->addWidget(colorLabel, 0, 1);
    colours->addWidget(m_colorBox, 1, 1);
    colours->addWidget(sampleLabel, 2, 1);
    colours->addWidget(m_sampleFrame, 3, 1);
    colours->setColumnStretch(1, 1);
    colours->setRowStretch(3, 1);

    auto* layout = new QVBoxLayout(this);
    for (QCheckBox* box : {m_focusRect, m_tracks, m_borders, m_toolTips, m_details})
        layout->addWidget(box);
    layout->addLayout(colours, 1);

    connect(m_items, &QListWidget::currentRowChanged, this, &CPropPageModel::ItemChanged);
    // activated: also when the user picks the colour the box already shows, which matters
    // when the box kept an earlier item's colour for an item whose colour is not listed.
    connect(m_colorBox, &QComboBox::activated, this, &CPropPageModel::ColorChosen);
}

CPropPageModel::~CPropPageModel() = default;

void CPropPageModel::OnInitPage()
{
    const CSwitches& switches = m_shell.model->switches;
    m_focusRect->setChecked(switches.useConventionalFocusRect != 0);
    m_tracks->setChecked(switches.showTracks != 0);
    m_borders->setChecked(switches.showModelBorder != 0);
    m_toolTips->setChecked(switches.showTooltips != 0);
    m_details->setChecked(switches.showTooltipDetails != 0);

    m_colorBox->Fill();
    m_sample = new CColorSampleWnd([this](const QString& name) { return WorkingColor(name); },
                                   m_shell.boldFont, m_sampleFrame);
    m_sample->setObjectName(QStringLiteral("colorSample"));
    PlaceSample();
    m_sample->show();

    m_working.clear();
    m_items->clear();
    if (const CColorTable* table = m_shell.colors) {
        for (const std::string& key : table->Keys()) {
            const CColorItem* item = table->Item(key);
            if (!item || item->displayName.empty())
                continue;
            const QString name = QString::fromStdString(item->displayName);
            m_working.push_back({name, item->value});
            m_items->addItem(name);
        }
    }
    if (m_items->count() > 0)
        m_items->setCurrentRow(0); // selects the first item's colour in the box
}

CPropPageModel::WorkingColour* CPropPageModel::Working(const QString& displayName)
{
    for (WorkingColour& entry : m_working) {
        if (entry.displayName == displayName)
            return &entry;
    }
    return nullptr;
}

ColorRef CPropPageModel::WorkingColor(const QString& displayName) const
{
    for (const WorkingColour& entry : m_working) {
        if (entry.displayName == displayName)
            return entry.color;
    }
    if (!m_shell.colors)
        return 0;
    return m_shell.colors->Color(m_shell.colors->KeyOfDisplayName(displayName.toStdString()));
}

void CPropPageModel::ItemChanged(int row)
{
    const QListWidgetItem* item = m_items->item(row);
    if (!item)
        return;
    // An item whose colour is not one of the box's leaves the box as it was.
    if (const WorkingColour* entry = Working(item->text()))
        m_colorBox->SelectColor(entry->color);
}

void CPropPageModel::ColorChosen(int index)
{
    const std::optional<ColorRef> color = m_colorBox->ColorAt(index);
    const QListWidgetItem* item = m_items->currentItem();
    if (!color || !item)
        return;
    WorkingColour* entry = Working(item->text());
    if (!entry)
        return;
    entry->color = *color;
    if (m_sample)
        m_sample->repaint();
}

void CPropPageModel::OnOK()
{
    if (CColorTable* table = m_shell.colors) {
        for (const WorkingColour& entry : m_working) {
            const std::string key = table->KeyOfDisplayName(entry.displayName.toStdString());
            if (!key.empty() && table->Color(key) != entry.color)
                table->Set(key, entry.color);
        }
    }
    CSwitches& switches = m_shell.model->switches;
    switches.useConventionalFocusRect = m_focusRect->isChecked() ? 1 : 0;
    switches.showTracks = m_tracks->isChecked() ? 1 : 0;
    switches.showModelBorder = m_borders->isChecked() ? 1 : 0;
    switches.showTooltips = m_toolTips->isChecked() ? 1 : 0;
    switches.showTooltipDetails = m_details->isChecked() ? 1 : 0;
}

void CPropPageModel::PlaceSample()
{
    if (m_sample) {
        m_sample->setGeometry(m_sampleFrame->rect().adjusted(kSampleInset, kSampleInset,
                                                             -kSampleInset, -kSampleInset));
    }
}

bool CPropPageModel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_sampleFrame && event->type() == QEvent::Resize)
        PlaceSample();
    return CPropSheetPage::eventFilter(watched, event);
}
