#pragma once

#include <QDialog>

class QPlainTextEdit;

// Dialog 101 "Disclaimer": the disclaimer's text, read-only (control 1000, object name
// "text1000"), and a "Close" button (control 2, object name "button2") that ends the dialog.
class CDisclaimerDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kDialogId = 101;
    static constexpr int kTextId = 1000;
    static constexpr int kCloseId = 2;

    // owner may be nullptr: the dialog then has no owner.
    CDisclaimerDialog(const QString& text, QWidget* owner);

    QPlainTextEdit* TextField() const { return m_text; }

private:
    QPlainTextEdit* m_text = nullptr;
};
