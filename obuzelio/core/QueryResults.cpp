#include "QueryResults.h"

#include "text/AsciiCase.h"

#include <cstring>

std::string_view CBookResult::Text(int kind) const
{
    switch (kind) {
    case 3:
        return m_directory;
    case 4:
        return m_title;
    default:
        return {};
    }
}

long CCollectionResult::Hits() const
{
    long sum = 0;
    for (const CBookResult& book : m_books)
        if (book.m_hits > 0)
            sum += book.m_hits;
    return sum;
}

const CBookResult* CCollectionResult::Book(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_books.size())
        return nullptr;
    return &m_books[index];
}

std::string_view CCollectionResult::Text(int kind) const
{
    switch (kind) {
    case 1:
        return m_directory;
    case 2:
        return m_alias;
    default:
        return {};
    }
}

const CCollectionResult* CQuery::Collection(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_collections.size())
        return nullptr;
    return m_collections[index].get();
}

const CCollectionResult* CQuery::FindCollection(std::string_view name) const
{
    for (const auto& collection : m_collections)
        if (platform::EqualsIgnoreAsciiCase(collection->m_directory, name) ||
            platform::EqualsIgnoreAsciiCase(collection->m_alias, name))
            return collection.get();
    return nullptr;
}

bool CopyToBuffer(std::string_view text, char* buffer, int length)
{
    if (!buffer || length < 0 || text.size() > static_cast<size_t>(length))
        return false;
    if (!text.empty())
        std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    return true;
}
