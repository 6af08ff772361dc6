#pragma once

#include "PropSheetPage.h"

class CDocumentationLink;
class QComboBox;
class QLineEdit;
class QPushButton;
struct CShellContext;

// The "Connection" page of the settings sheet: which program is the documentation viewer, how
// its main window is recognised, how it is shown when started, the DDE service and topic it
// serves, how long a command may take and how long to wait after starting it. The fields of
// the documentation link change on OK; "&Browse..." sets the viewer program at once.
class CPropPageConnection : public CPropSheetPage
{
    Q_OBJECT
public:
    explicit CPropPageConnection(CShellContext& shell, QWidget* parent = nullptr);
    ~CPropPageConnection() override;

    void OnOK() override;

    QLineEdit* ExecutableEdit() const { return m_executable; }
    QPushButton* BrowseButton() const { return m_browse; }
    QLineEdit* ClassNameEdit() const { return m_className; }
    QComboBox* ShowList() const { return m_show; }
    QLineEdit* ProgramEdit() const { return m_service; }
    QLineEdit* TopicEdit() const { return m_topic; }
    QComboBox* TimeoutList() const { return m_timeout; }
    QComboBox* SleepList() const { return m_sleep; }
    QPushButton* DefaultsButton() const { return m_defaults; }

protected:
    void OnInitPage() override;

private:
    // Shows a link's settings in the controls.
    void Fill(const CDocumentationLink& link);
    void Browse();
    void SetDefaults();

    CShellContext& m_shell;
    QLineEdit* m_executable;
    QPushButton* m_browse;
    QLineEdit* m_className;
    QComboBox* m_show;
    QLineEdit* m_service;
    QLineEdit* m_topic;
    QComboBox* m_timeout;
    QComboBox* m_sleep;
    QPushButton* m_defaults;
};
