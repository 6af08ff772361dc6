#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

// The modeless "Find Instance" dialog: a word, "Match &case", "&Find Next", "Cancel" and
// "&Help". Searching always runs down the list from the current match.
class CFindInstanceDialog : public QDialog
{
    Q_OBJECT
public:
    CFindInstanceDialog(const QString& word, bool matchCase, QWidget* parent = nullptr);

    QString Word() const;
    bool MatchCase() const;
    QLineEdit* WordEdit() const { return m_word; }
    QCheckBox* MatchCaseBox() const { return m_matchCase; }
    QPushButton* FindNextButton() const { return m_findNext; }

signals:
    void FindNextRequested();
    void HelpRequested();

private:
    QLineEdit* m_word;
    QCheckBox* m_matchCase;
    QPushButton* m_findNext;
};
