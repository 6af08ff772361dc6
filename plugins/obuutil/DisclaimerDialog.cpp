#include "DisclaimerDialog.h"

#include <QDialogButtonBox>
#include <QFontMetrics>
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
    // Disclaimers are plain text with lines of up to about 80 characters: wide enough for such
    // a line, so that the author's line breaks are not broken again.
    const QFontMetrics metrics(m_text->font());
    const int textWidth = metrics.horizontalAdvance(QString(84, QLatin1Char('n')));
    resize(qMax(520, textWidth + 60), qMax(380, metrics.lineSpacing() * 24));
}
