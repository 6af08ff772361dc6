#pragma once

#include "ColorTable.h"
#include "PropSheetPage.h"

#include <QString>

#include <vector>

class QCheckBox;
class QFrame;
class QListWidget;
class CColorComboBox;
class CColorSampleWnd;
struct CShellContext;

// The "Model" page of the settings sheet: the model pane's switches and its colours. The
// colours are edited in a working copy (display name -> colour) that the sample shows at
// once and that reaches the colour table only on OK.
class CPropPageModel : public CPropSheetPage
{
    Q_OBJECT
public:
    explicit CPropPageModel(CShellContext& shell, QWidget* parent = nullptr);
    ~CPropPageModel() override;

    // The working colour of a display name. A name that is not listed gives the table's
    // colour for it (black when the table does not know it either).
    ColorRef WorkingColor(const QString& displayName) const;

    // Writes the working colours that differ into the table, then the check boxes into the
    // switches.
    void OnOK() override;

    QCheckBox* FocusRectBox() const { return m_focusRect; }
    QCheckBox* TracksBox() const { return m_tracks; }
    QCheckBox* BordersBox() const { return m_borders; }
    QCheckBox* ToolTipsBox() const { return m_toolTips; }
    QCheckBox* DetailsBox() const { return m_details; }
    QListWidget* ItemList() const { return m_items; }
    CColorComboBox* ColorBox() const { return m_colorBox; }
    QFrame* SampleFrame() const { return m_sampleFrame; }
    // nullptr until the page is shown.
    CColorSampleWnd* SampleWnd() const { return m_sample; }

protected:
    void OnInitPage() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct WorkingColour
    {
        QString displayName;
        ColorRef color;
    };
    WorkingColour* Working(const QString& displayName);
    void ItemChanged(int row);
    void ColorChosen(int index);
    void PlaceSample();

    CShellContext& m_shell;
    std::vector<WorkingColour> m_working;
    QCheckBox* m_focusRect;
    QCheckBox* m_tracks;
    QCheckBox* m_borders;
    QCheckBox* m_toolTips;
    QCheckBox* m_details;
    QListWidget* m_items;
    CColorComboBox* m_colorBox;
    QFrame* m_sampleFrame;
    CColorSampleWnd* m_sample = nullptr;
};
