#pragma once

#include "History.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTreeWidget;
struct CSwitches;

// "Restore Event": asks how to restore a chain. The radio buttons start from "RESTORE TYPE"
// and the check box from "DO NOT SHOW RESTORE TYPE DIALOG"; "&Begin Restore" and "&Close"
// (also Escape) store the check box, "&Begin Restore" also the chosen type, and marks the
// chain by it. The chain's records belong to the history and must outlive the dialog.
class CRestoreEventDialog : public QDialog
{
    Q_OBJECT
public:
    enum Result
    {
        Closed = 0,
        BeginRestore = 1,
    };

    CRestoreEventDialog(const CHistory::Chain& chain, CSwitches& switches,
                        QWidget* parent = nullptr);

    // Runs the dialog modally, or hands it to the test hook when one is set. Answers Closed
    // or BeginRestore.
    int Exec();
    // While set, Exec shows the dialog without a modal loop and calls the hook, which answers
    // the result (tests click the dialog's buttons and answer result()).
    static void SetExecHook(std::function<int(CRestoreEventDialog&)> hook);

    // The restore type the radio buttons choose: 0 default, 1 complete.
    int ChosenType() const;

    QRadioButton* DefaultRadio() const { return m_default; }
    QRadioButton* CompleteRadio() const { return m_complete; }
    QCheckBox* DoNotShowCheck() const { return m_doNotShow; }
    QPushButton* BeginButton() const { return m_begin; }
    QPushButton* ViewEventsButton() const { return m_viewEvents; }
    QPushButton* CloseButton() const { return m_close; }
    QPushButton* HelpButton() const { return m_help; }

signals:
    // "&Help" was pressed; the frame routes help requests.
    void HelpRequested();

public slots:
    void reject() override;

private:
    void StoreCheckBox();
    void OnBegin();
    void OnViewEvents();

    const CHistory::Chain& m_chain;
    CSwitches& m_switches;
    QRadioButton* m_default;
    QRadioButton* m_complete;
    QCheckBox* m_doNotShow;
    QPushButton* m_begin;
    QPushButton* m_viewEvents;
    QPushButton* m_close;
    QPushButton* m_help;
};

// "Restorable Events": one row per record of a marked chain, with its icon and description,
// and "Restored" or "Skipped" in the second column.
class CRestorableEventsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CRestorableEventsDialog(const CHistory::Chain& chain, QWidget* parent = nullptr);

    // Runs the dialog modally, or hands it to the test hook when one is set.
    int Exec();
    static void SetExecHook(std::function<int(CRestorableEventsDialog&)> hook);

    QTreeWidget* List() const { return m_list; }
    // The "Action" column is 30 pixels wider than the wider of its widest text and its
    // header; the "Event" column takes the rest of the list's width.
    void FitColumns();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QTreeWidget* m_list;
};

// "Restore in Progress...": the modeless dialog a restore run shows. While the run lasts the
// main window is disabled and the dialog alone takes input; Cancel asks whether to abort and,
// on Yes, the run stops before its next record.
class CRestoreProgressDialog : public QDialog, public IRestoreRunner
{
    Q_OBJECT
public:
    // mainWindow: the window disabled during the run (also the dialog's parent); not owned.
    CRestoreProgressDialog(CHistory& history, QWidget* mainWindow);

    void Begin(int count) override;
    bool Step(int position, int count, int icon, const std::string& description,
              bool skipped) override;
    void End() override;

    bool CancelConfirmed() const { return m_cancelled; }
    QPushButton* CancelButton() const { return m_cancel; }
    QProgressBar* Bar() const { return m_bar; }
    QLabel* IconLabel() const { return m_icon; }
    QLabel* DescriptionLabel() const { return m_description; }

public slots:
    // Escape and the window's close button ask like Cancel.
    void reject() override;

private:
    void OnCancel();

    CHistory& m_history;
    QWidget* m_mainWindow;
    bool m_mainWasEnabled = true;
    bool m_cancelled = false;
    bool m_asking = false;
    QProgressBar* m_bar;
    QLabel* m_icon;
    QLabel* m_description;
    QPushButton* m_cancel;
};
