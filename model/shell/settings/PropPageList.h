#pragma once

#include "PropSheetPage.h"

class QCheckBox;
class QComboBox;
struct CShellContext;

// The "Information" page of the settings sheet: how the information side loads, sorts and
// finds items, which attribute it selects for new items, how it treats large relation files
// and how the property list adjusts itself. Everything reaches the switches on OK.
class CPropPageList : public CPropSheetPage
{
    Q_OBJECT
public:
    explicit CPropPageList(CShellContext& shell, QWidget* parent = nullptr);
    ~CPropPageList() override;

    // Writes the check boxes and the attribute choice into the switches. An "ATTRIBUTE"
    // value the list does not know stays as it is unless the user picked an entry.
    void OnOK() override;

    QCheckBox* ActivateOnLoadBox() const { return m_activateOnLoad; }
    QCheckBox* MatchCaseBox() const { return m_matchCase; }
    QCheckBox* LargeDataAlarmBox() const { return m_largeDataAlarm; }
    QCheckBox* AutoSortBox() const { return m_autoSort; }
    QComboBox* AttributeList() const { return m_attribute; }
    QCheckBox* AdjustSplitterBox() const { return m_adjustSplitter; }
    QCheckBox* AdjustColumnsBox() const { return m_adjustColumns; }

protected:
    // Fills the controls. "Match Case On Find" is disabled while the find dialog is open: the
    // dialog has its own match-case box then and puts the switch back when it closes.
    void OnInitPage() override;

private:
    CShellContext& m_shell;
    QCheckBox* m_activateOnLoad;
    QCheckBox* m_matchCase;
    QCheckBox* m_largeDataAlarm;
    QCheckBox* m_autoSort;
    QComboBox* m_attribute;
    QCheckBox* m_adjustSplitter;
    QCheckBox* m_adjustColumns;
};
