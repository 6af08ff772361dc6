#include "AddUserDocDialog.h"

#include "ObuMessages.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

namespace obuudoc {

UserDocumentInput& DialogBuffers()
{
    static UserDocumentInput buffers;
    return buffers;
}

platform::FileDialogSpec LocateDocumentSpec(void* owner)
{
    platform::FileDialogSpec spec;
    spec.mode = platform::FileDialogSpec::Mode::Open;
    spec.title = "Add Document";
    spec.filter = "All Files (*)|*||";
    spec.fileMustExist = true;
    spec.owner = owner;
    return spec;
}

CAddUserDocDialog::CAddUserDocDialog(QWidget* owner, platform::IPrompter& prompter,
                                     std::function<void(const UserDocumentInput&)> add)
    : QDialog(owner), m_prompter(prompter), m_add(std::move(add))
{
    setWindowTitle(QStringLiteral("Add User Document"));
    m_title = new QLineEdit(this);
    m_title->setObjectName(QStringLiteral("1000"));
    m_title->setMaxLength(kTitleLimit);
    m_description = new QPlainTextEdit(this);
    m_description->setObjectName(QStringLiteral("1001"));
    m_description->setTabChangesFocus(true);
    m_location = new QLineEdit(this);
    m_location->setObjectName(QStringLiteral("1002"));
    m_location->setMaxLength(kLocationLimit);
    m_browse = new QPushButton(QStringLiteral("&Browse"), this);
    m_browse->setObjectName(QStringLiteral("1003"));
    m_browse->setAutoDefault(false);

    // A plain-text box has no length limit of its own: text beyond it is cut as it comes.
    connect(m_description, &QPlainTextEdit::textChanged, this, [this] {
        const QString text = m_description->toPlainText();
        if (text.size() <= kDescriptionLimit)
            return;
        m_description->setPlainText(text.left(kDescriptionLimit));
        m_description->moveCursor(QTextCursor::End);
    });
    connect(m_browse, &QPushButton::clicked, this, [this] { Browse(); });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_cancel = buttons->button(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* location = new QHBoxLayout;
    location->addWidget(m_location, 1);
    location->addWidget(m_browse);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Title:"), m_title);
    form->addRow(QStringLiteral("&Description:"), m_description);
    // A label given with a layout gets no buddy of its own: tie its mnemonic to the box.
    auto* locationLabel = new QLabel(QStringLiteral("&Location:"), this);
    locationLabel->setBuddy(m_location);
    form->addRow(locationLabel, location);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    resize(480, 320);
}

bool CAddUserDocDialog::Browse()
{
    const std::optional<std::string> chosen = m_prompter.ChooseFile(LocateDocumentSpec(this));
    if (!chosen)
        return false;
    m_location->setText(QString::fromStdString(*chosen));
    DialogBuffers().location = m_location->text().toStdString();
    return true;
}

void CAddUserDocDialog::accept()
{
    const QString title = m_title->text();
    const QString description = m_description->toPlainText();
    const QString location = m_location->text();
    const auto missing = [this](const char* text, QWidget* box) {
        ShowObuNotice(m_prompter, text);
        box->setFocus();
    };
    if (title.isEmpty())
        return missing("'Title' must be given.", m_title);
    if (description.isEmpty())
        return missing("'Description' must be given.", m_description);
    if (location.isEmpty())
        return missing("'Location' must be given.", m_location);
    UserDocumentInput& buffers = DialogBuffers();
    buffers.title = title.toStdString();
    buffers.description = description.toStdString();
    buffers.location = location.toStdString();
    if (m_add)
        m_add(buffers);
    QDialog::accept();
}

} // namespace obuudoc
