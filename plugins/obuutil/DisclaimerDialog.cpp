#include "DisclaimerDialog.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

CDisclaimerDialog::CDisclaimerDialog(const QString& text, QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("dialog%1").arg(kDialogId));
    setWindowTitle(QStringLiteral("Disclaimer"));
    setModal(true);
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("text%1").arg(kTextId));
    m_text->setReadOnly(true);
    m_text->setPlainText(text);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("button%1").arg(kCloseId));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, [this] { done(kCloseId); });
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(close, QDialogButtonBox::RejectRole);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(buttons);
    resize(520, 380);
}
