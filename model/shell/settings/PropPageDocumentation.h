#pragma once

#include "PropSheetPage.h"

class QLabel;
class QLineEdit;
class QPushButton;
struct CShellContext;

// The "Documentation" page of the settings sheet: the open model's document collection and
// publishing information (shown, not stored), and "View Documentation Now", which finds or
// starts the documentation viewer as the Documentation command does.
class CPropPageDocumentation : public CPropSheetPage
{
    Q_OBJECT
public:
    // collection and publishing are the model's texts; empty ones show "<Undefined>".
    CPropPageDocumentation(CShellContext& shell, const std::string& collection,
                           const std::string& publishing, QWidget* parent = nullptr);
    ~CPropPageDocumentation() override;

    QLabel* CollectionText() const { return m_collection; }
    QLineEdit* PublishingEdit() const { return m_publishing; }
    QPushButton* ViewNowButton() const { return m_viewNow; }

protected:
    void OnInitPage() override {}

private:
    CShellContext& m_shell;
    QLabel* m_collection;
    QLineEdit* m_publishing;
    QPushButton* m_viewNow;
};
