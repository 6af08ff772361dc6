#include "ModelContext.h"

#include <algorithm>

void CRequestScope::Open()
{
    m_open = true;
    m_skipped.clear();
}

void CRequestScope::Close()
{
    m_open = false;
    m_skipped.clear();
}

bool CRequestScope::Contains(const CLink* link) const
{
    return std::find(m_skipped.begin(), m_skipped.end(), link) != m_skipped.end();
}

void CRequestScope::Add(const CLink* link)
{
    if (!Contains(link))
        m_skipped.push_back(link);
}
