#include "PropSheetPage.h"

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
