#pragma once

#include "PropSheetPage.h"

class QCheckBox;
class QPushButton;
class QRadioButton;
struct CShellContext;

// The "General" page of the settings sheet: window placement, the font per model, relation
// loading, the history's questions and messages, and where help goes. The check boxes reach
// the switches on OK; the help engine changes as soon as its radio button is clicked.
class CPropPageGeneral : public CPropSheetPage
{
    Q_OBJECT
public:
    explicit CPropPageGeneral(CShellContext& shell, QWidget* parent = nullptr);
    ~CPropPageGeneral() override;

    // Writes the check boxes into the switches.
    void OnOK() override;

    QCheckBox* UseWindowInfoBox() const { return m_useWindowInfo; }
    QCheckBox* UseSavedFontBox() const { return m_useSavedFont; }
    QCheckBox* LoadRelationsBox() const { return m_loadRelations; }
    QCheckBox* NoRestoreDialogBox() const { return m_noRestoreDialog; }
    QCheckBox* SuppressInfoBox() const { return m_suppressInfo; }
    QRadioButton* ViewerHelpButton() const { return m_viewerHelp; }
    QRadioButton* WindowsHelpButton() const { return m_windowsHelp; }
    QPushButton* LoadAllNowButton() const { return m_loadAllNow; }

protected:
    void OnInitPage() override;

private:
    // Asks whether to go on; on Yes reads every relation file of the open model now.
    void LoadAllRelationsNow();

    CShellContext& m_shell;
    QCheckBox* m_useWindowInfo;
    QCheckBox* m_useSavedFont;
    QCheckBox* m_loadRelations;
    QCheckBox* m_noRestoreDialog;
    QCheckBox* m_suppressInfo;
    QRadioButton* m_viewerHelp;
    QRadioButton* m_windowsHelp;
    QPushButton* m_loadAllNow;
};
