#include "dde/DdeStrings.h"

#include "text/AsciiCase.h"

#include <cstring>

namespace platform {

CDdeStringTable::Handle CDdeStringTable::Create(std::string_view text)
{
    if (text.find('\0') != std::string_view::npos)
        return 0;
    const std::string key = ToUpperAscii(text);
    const auto found = m_byKey.find(key);
    if (found != m_byKey.end()) {
        ++m_entries[found->second].uses;
        return found->second;
    }
    const Handle handle = m_next++;
    m_entries[handle] = Entry{std::string(text), 1};
    m_byKey.emplace(key, handle);
    return handle;
}

void CDdeStringTable::Free(Handle handle)
{
    const auto it = m_entries.find(handle);
    if (it == m_entries.end())
        return;
    if (--it->second.uses > 0)
        return;
    m_byKey.erase(ToUpperAscii(it->second.text));
    m_entries.erase(it);
}

int CDdeStringTable::Query(Handle handle, char* buffer, int size) const
{
    const auto it = m_entries.find(handle);
    const std::string* text = it == m_entries.end() ? nullptr : &it->second.text;
    if (buffer && size > 0) {
        const std::size_t copy =
            text ? std::min(text->size(), static_cast<std::size_t>(size - 1)) : 0;
        if (copy)
            std::memcpy(buffer, text->data(), copy);
        buffer[copy] = '\0';
    }
    return text ? static_cast<int>(text->size()) : -1;
}

std::string CDdeStringTable::Text(Handle handle) const
{
    const auto it = m_entries.find(handle);
    return it == m_entries.end() ? std::string() : it->second.text;
}

int CDdeStringTable::Compare(Handle a, Handle b) const
{
    const std::string left = ToUpperAscii(Text(a));
    const std::string right = ToUpperAscii(Text(b));
    return left.compare(right);
}

} // namespace platform
