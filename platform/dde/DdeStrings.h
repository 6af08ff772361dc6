#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace platform {

// String handles of one DDE instance: equal texts ignoring ASCII case give the same handle,
// counted per Create; the text kept is the one first created. Handle 0 is none.
class CDdeStringTable
{
public:
    using Handle = std::uintptr_t;

    // A handle for the text (a new one, or one more use of the existing one). 0 for a text
    // with a zero byte inside.
    Handle Create(std::string_view text);
    // One use less; the handle ends with its last use. Unknown handles are ignored.
    void Free(Handle handle);
    // Copies the text into buffer (cut to size - 1 bytes, zero-terminated when size > 0);
    // answers the full length, or -1 for an unknown handle (buffer then empty).
    int Query(Handle handle, char* buffer, int size) const;
    // The text, or empty for an unknown handle.
    std::string Text(Handle handle) const;
    bool Valid(Handle handle) const { return m_entries.count(handle) != 0; }
    // 0 when both handles' texts are equal ignoring ASCII case, else <0 or >0; unknown
    // handles compare as empty texts.
    int Compare(Handle a, Handle b) const;
    std::size_t Size() const { return m_entries.size(); }

private:
    struct Entry
    {
        std::string text;
        int uses = 0;
    };
    std::map<Handle, Entry> m_entries;
    std::map<std::string, Handle> m_byKey; // upper-cased text -> handle
    Handle m_next = 1;
};

} // namespace platform
