#include "PropSheetPage.h"

#include <QCheckBox>

CPropSheetPage::CPropSheetPage(const QString& caption, QWidget* parent)
    : QWidget(parent), m_caption(caption)
{
}

void CPropSheetPage::Activate()
{
    if (m_initialized)
        return;
    m_initialized = true;
    OnInitPage();
}

QCheckBox* CPropSheetPage::MakeCheckBox(const char* caption, const char* name, QWidget* parent)
{
    auto* box = new QCheckBox(QString::fromUtf8(caption), parent);
    box->setObjectName(QString::fromUtf8(name));
    return box;
}
