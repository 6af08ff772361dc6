#include "PropSheetSet.h"

#include "FrameRequests.h"
#include "Messages.h"
#include "ModelContext.h"
#include "PropPageConnection.h"
#include "PropPageDocumentation.h"
#include "PropPageGeneral.h"
#include "PropPageList.h"
#include "PropPageModel.h"
#include "PropSheetPage.h"
#include "ShellContext.h"

#include <QDialogButtonBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kSettingsTitle = 5023;   // "Settings"
constexpr int kPropertiesTitle = 5028; // "Properties"

} // namespace

CPropSheetSet::CPropSheetSet(CShellContext& shell, int page, bool singlePage, QWidget* parent)
    : QDialog(parent), m_shell(shell), m_tabs(new QTabWidget(this))
{
    setObjectName(QStringLiteral("settingsSheet"));
    setWindowTitle(
        QString::fromUtf8(MessageFormat(singlePage ? kPropertiesTitle : kSettingsTitle)));
    setModal(true);
    m_tabs->setObjectName(QStringLiteral("settingsTabs"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CPropSheetSet::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CPropSheetSet::reject);

    if (singlePage) {
        AddPage(CreatePage(page, shell, m_tabs));
    } else {
        const bool withDocumentation = shell.frame && shell.frame->ModelWithPathOpen();
        for (int number = 0; number < PageNumberCount; ++number) {
            if (number == PageDocumentation && !withDocumentation)
                continue;
            AddPage(CreatePage(number, shell, m_tabs));
        }
        if (!m_pages.isEmpty())
            m_tabs->setCurrentIndex(std::clamp(page, 0, static_cast<int>(m_pages.size()) - 1));
    }
    connect(m_tabs, &QTabWidget::currentChanged, this, &CPropSheetSet::ActivateCurrent);
}

CPropSheetSet::~CPropSheetSet() = default;

CPropSheetPage* CPropSheetSet::CreatePage(int number, CShellContext& shell, QWidget* parent)
{
    switch (number) {
    case PageGeneral:
        return new CPropPageGeneral(shell, parent);
    case PageModel:
        return new CPropPageModel(shell, parent);
    case PageInformation:
        return new CPropPageList(shell, parent);
    case PageConnection:
        return new CPropPageConnection(shell, parent);
    case PageDocumentation:
        // Only a model with a path has a documentation section to show.
        if (!shell.frame || !shell.frame->ModelWithPathOpen())
            return nullptr;
        return new CPropPageDocumentation(shell, shell.model->collection,
                                          shell.model->publishingId, parent);
    default:
        return nullptr;
    }
}

void CPropSheetSet::AddPage(CPropSheetPage* page)
{
    if (!page)
        return;
    m_pages << page;
    m_tabs->addTab(page, page->Caption());
}

int CPropSheetSet::PageCount() const
{
    return static_cast<int>(m_pages.size());
}

CPropSheetPage* CPropSheetSet::PageAt(int tab) const
{
    return tab >= 0 && tab < m_pages.size() ? m_pages[tab] : nullptr;
}

CPropSheetPage* CPropSheetSet::CurrentPage() const
{
    return PageAt(m_tabs->currentIndex());
}

void CPropSheetSet::ActivateCurrent()
{
    if (CPropSheetPage* page = CurrentPage())
        page->Activate();
}

void CPropSheetSet::showEvent(QShowEvent* event)
{
    ActivateCurrent();
    QDialog::showEvent(event);
}

void CPropSheetSet::accept()
{
    for (CPropSheetPage* page : m_pages) {
        if (page->IsInitialized())
            page->OnOK();
    }
    QDialog::accept();
}

void CPropSheetSet::reject()
{
    for (CPropSheetPage* page : m_pages) {
        if (page->IsInitialized())
            page->OnCancel();
    }
    QDialog::reject();
}
