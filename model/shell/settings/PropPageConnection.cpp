#include "PropPageConnection.h"

#include "DocumentationLink.h"
#include "ShellContext.h"
#include "text/TextDecode.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString Decode(const std::string& text)
{
    return QString::fromStdString(platform::DecodeToUtf8(text));
}

// The edit's text as bytes: an unchanged text keeps the bytes it was shown from (the store
// may hold another encoding than UTF-8), an edited one is UTF-8.
std::string Encode(const QLineEdit* edit, const std::string& original)
{
    const QString text = edit->text();
    return text == Decode(original) ? original : text.toStdString();
}

QLineEdit* MakeEdit(const char* name, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromUtf8(name));
    return edit;
}

QComboBox* MakeList(const char* name, int count, std::string (*text)(int), QWidget* parent)
{
    auto* list = new QComboBox(parent);
    list->setObjectName(QString::fromUtf8(name));
    for (int index = 0; index < count; ++index)
        list->addItem(QString::fromStdString(text(index)));
    return list;
}

// A label whose mnemonic focuses its control.
QLabel* Buddy(const char* caption, QWidget* control, QWidget* parent)
{
    auto* label = new QLabel(QString::fromUtf8(caption), parent);
    label->setBuddy(control);
    return label;
}

} // namespace

CPropPageConnection::CPropPageConnection(CShellContext& shell, QWidget* parent)
    : CPropSheetPage(QStringLiteral("Connection"), parent), m_shell(shell),
      m_executable(MakeEdit("executable", this)),
      m_browse(new QPushButton(QStringLiteral("&Browse..."), this)),
      m_className(MakeEdit("className", this)),
      m_show(MakeList("show", CDocumentationLink::ShowCount, &CDocumentationLink::ShowName, this)),
      m_service(MakeEdit("ddeProgram", this)), m_topic(MakeEdit("ddeTopic", this)),
      m_timeout(MakeList("timeout", CDocumentationLink::TimeoutCount,
                         &CDocumentationLink::TimeoutText, this)),
      m_sleep(MakeList("sleep", CDocumentationLink::SleepCount, &CDocumentationLink::SleepText,
                       this)),
      m_defaults(new QPushButton(QStringLiteral("Set &Defaults"), this))
{
    setObjectName(QStringLiteral("connectionPage"));
    m_browse->setObjectName(QStringLiteral("browse"));
    m_defaults->setObjectName(QStringLiteral("setDefaults"));
    for (QPushButton* button : {m_browse, m_defaults})
        button->setAutoDefault(false); // Enter in the sheet means OK

    auto* viewer = new QGroupBox(QStringLiteral("Viewer"), this);
    auto* viewerLayout = new QFormLayout(viewer);
    auto* executableRow = new QHBoxLayout;
    executableRow->addWidget(m_executable, 1);
    executableRow->addWidget(m_browse);
    viewerLayout->addRow(Buddy("&Executable:", m_executable, viewer), executableRow);
    viewerLayout->addRow(Buddy("&Class Name:", m_className, viewer), m_className);
    viewerLayout->addRow(Buddy("&Show:", m_show, viewer), m_show);
    viewerLayout->addRow(Buddy("Sleep &After Viewer Execution:", m_sleep, viewer), m_sleep);

    auto* dde = new QGroupBox(QStringLiteral("DDE"), this);
    auto* ddeLayout = new QFormLayout(dde);
    ddeLayout->addRow(Buddy("&Program:", m_service, dde), m_service);
    ddeLayout->addRow(Buddy("&Topic:", m_topic, dde), m_topic);
    ddeLayout->addRow(Buddy("Time&out:", m_timeout, dde), m_timeout);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_defaults);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(viewer);
    layout->addWidget(dde);
    layout->addLayout(buttons);
    layout->addStretch(1);

    connect(m_browse, &QPushButton::clicked, this, &CPropPageConnection::Browse);
    connect(m_defaults, &QPushButton::clicked, this, &CPropPageConnection::SetDefaults);
}

CPropPageConnection::~CPropPageConnection() = default;

void CPropPageConnection::OnInitPage()
{
    Fill(*m_shell.documentation);
}

void CPropPageConnection::Fill(const CDocumentationLink& link)
{
    m_executable->setText(Decode(link.ViewerProgram()));
    m_className->setText(Decode(link.ClassName()));
    m_show->setCurrentIndex(link.ShowMode());
    m_service->setText(Decode(link.DdeService()));
    m_topic->setText(Decode(link.DdeTopic()));
    m_timeout->setCurrentIndex(link.TimeoutIndex());
    m_sleep->setCurrentIndex(link.SleepIndex());
}

void CPropPageConnection::Browse()
{
    std::string path;
    if (m_shell.documentation->BrowseViewerProgram(path, 1) == 1)
        m_executable->setText(Decode(path));
}

void CPropPageConnection::SetDefaults()
{
    // A scratch copy gives the defaults; the link itself changes only on OK.
    CDocumentationLink defaults;
    defaults.SetProgramDirectory(m_shell.documentation->ProgramDirectory());
    defaults.LoadDefaults();
    Fill(defaults);
}

void CPropPageConnection::OnOK()
{
    CDocumentationLink& link = *m_shell.documentation;
    link.SetViewerProgram(Encode(m_executable, link.ViewerProgram()));
    link.SetClassName(Encode(m_className, link.ClassName()));
    link.SetShowMode(m_show->currentIndex());
    link.SetDdeService(Encode(m_service, link.DdeService()));
    link.SetDdeTopic(Encode(m_topic, link.DdeTopic()));
    link.SetTimeoutIndex(m_timeout->currentIndex());
    link.SetSleepIndex(m_sleep->currentIndex());
}
