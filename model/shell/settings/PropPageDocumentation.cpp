#include "PropPageDocumentation.h"

#include "DocumentationLink.h"
#include "ShellContext.h"
#include "text/TextDecode.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString ShownText(const std::string& text)
{
    return text.empty() ? QStringLiteral("<Undefined>")
                        : QString::fromStdString(platform::DecodeToUtf8(text));
}

} // namespace

CPropPageDocumentation::CPropPageDocumentation(CShellContext& shell, const std::string& collection,
                                               const std::string& publishing, QWidget* parent)
    : CPropSheetPage(QStringLiteral("Documentation"), parent), m_shell(shell),
      m_collection(new QLabel(ShownText(collection), this)),
      m_publishing(new QLineEdit(ShownText(publishing), this)),
      m_viewNow(new QPushButton(QStringLiteral("View Documentation Now"), this))
{
    setObjectName(QStringLiteral("documentationPage"));
    m_collection->setObjectName(QStringLiteral("collection"));
    m_collection->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_publishing->setObjectName(QStringLiteral("publishing"));
    m_viewNow->setObjectName(QStringLiteral("viewDocumentationNow"));
    m_viewNow->setAutoDefault(false);

    auto* model = new QGroupBox(QStringLiteral("Model"), this);
    auto* form = new QFormLayout(model);
    form->addRow(new QLabel(QStringLiteral("Collection:"), model), m_collection);
    auto* publishingLabel = new QLabel(QStringLiteral("&Publishing Information:"), model);
    publishingLabel->setBuddy(m_publishing);
    form->addRow(publishingLabel, m_publishing);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_viewNow);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(model);
    layout->addLayout(buttons);
    layout->addStretch(1);

    connect(m_viewNow, &QPushButton::clicked, this,
            [this] { m_shell.documentation->FindOrStartViewer(); });
}

CPropPageDocumentation::~CPropPageDocumentation() = default;
