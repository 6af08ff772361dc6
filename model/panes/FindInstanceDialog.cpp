#include "FindInstanceDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CFindInstanceDialog::CFindInstanceDialog(const QString& word, bool matchCase, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("findInstanceDialog"));
    setWindowTitle(QStringLiteral("Find Instance"));
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);

    auto* label = new QLabel(QStringLiteral("Fi&nd what:"), this);
    m_word = new QLineEdit(word, this);
    m_word->setObjectName(QStringLiteral("findWord"));
    label->setBuddy(m_word);
    m_matchCase = new QCheckBox(QStringLiteral("Match &case"), this);
    m_matchCase->setObjectName(QStringLiteral("findMatchCase"));
    m_matchCase->setChecked(matchCase);

    auto* buttons = new QDialogButtonBox(Qt::Vertical, this);
    m_findNext = buttons->addButton(QStringLiteral("&Find Next"), QDialogButtonBox::ActionRole);
    m_findNext->setObjectName(QStringLiteral("findNextButton"));
    m_findNext->setDefault(true);
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    QPushButton* help = buttons->addButton(QDialogButtonBox::Help);
    help->setText(QStringLiteral("&Help"));
    m_findNext->setEnabled(!word.isEmpty());

    auto* wordRow = new QHBoxLayout;
    wordRow->addWidget(label);
    wordRow->addWidget(m_word, 1);
    auto* left = new QVBoxLayout;
    left->addLayout(wordRow);
    left->addWidget(m_matchCase);
    left->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addWidget(buttons);

    connect(m_word, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_findNext->setEnabled(!text.isEmpty()); });
    connect(m_findNext, &QPushButton::clicked, this, &CFindInstanceDialog::FindNextRequested);
    connect(cancel, &QPushButton::clicked, this, &QDialog::close);
    connect(help, &QPushButton::clicked, this, &CFindInstanceDialog::HelpRequested);
}

QString CFindInstanceDialog::Word() const
{
    return m_word->text();
}

bool CFindInstanceDialog::MatchCase() const
{
    return m_matchCase->isChecked();
}
