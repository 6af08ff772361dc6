#pragma once

#include <QDialog>

class QCheckBox;
class QListWidget;
class QPushButton;
struct CShellContext;

// The diagnostics dialog: runs the model file syntax test or the dump of the open model, and
// holds the switch that draws the grid on the model pane.
class CDiagnosticsDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr const char* kSyntaxTest = "Model File Syntax Test";
    static constexpr const char* kContentsDump = "Model Contents Dump";

    CDiagnosticsDialog(CShellContext& shell, QWidget* parent = nullptr);

    QListWidget* List() const { return m_list; }
    QCheckBox* GridBox() const { return m_grid; }
    QPushButton* RunButton() const { return m_run; }

    // Runs the selected diagnostic; the dialog stays open.
    void Run();
    void accept() override;

private:
    void SelectionChanged();

    CShellContext& m_shell;
    QListWidget* m_list;
    QCheckBox* m_grid;
    QPushButton* m_run;
};
