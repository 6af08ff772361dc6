#include "RelationMap.h"

#include <cstring>
#include <new>
#include <stdexcept>

namespace {

// A fast 64-bit hash of short keys: 8 bytes at a time, multiply and fold.
std::uint64_t HashKey(std::string_view key)
{
    constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ULL;
    std::uint64_t h = 0x243F6A8885A308D3ULL ^ (key.size() * kMul);
    const char* p = key.data();
    std::size_t n = key.size();
    while (n >= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        h = (h ^ word) * kMul;
        h ^= h >> 29;
        p += 8;
        n -= 8;
    }
    std::uint64_t tail = 0;
    std::memcpy(&tail, p, n);
    h = (h ^ tail) * kMul;
    h ^= h >> 32;
    h *= 0xD6E8FEB86659FD93ULL;
    h ^= h >> 32;
    return h;
}

} // namespace

void CRelationMap::Clear()
{
    m_arena.clear();
    m_arena.shrink_to_fit();
    m_entries.clear();
    m_entries.shrink_to_fit();
    m_values.clear();
    m_values.shrink_to_fit();
    m_table.clear();
    m_table.shrink_to_fit();
}

std::string_view CRelationMap::Text(std::uint64_t offset, std::uint32_t length) const
{
    return std::string_view(m_arena.data() + offset, length);
}

std::uint64_t CRelationMap::Store(std::string_view text)
{
    const std::uint64_t offset = m_arena.size();
    m_arena.append(text);
    return offset;
}

long CRelationMap::FindSlot(std::string_view key) const
{
    if (m_table.empty())
        return -1;
    const std::uint64_t hash = HashKey(key);
    const std::size_t mask = m_table.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const std::uint32_t slot = m_table[i];
        if (slot == 0)
            return -1;
        const Entry& entry = m_entries[slot - 1];
        if (entry.hash == hash && Text(entry.keyOffset, entry.keyLength) == key)
            return static_cast<long>(slot - 1);
    }
}

void CRelationMap::Grow()
{
    const std::size_t size = m_table.empty() ? 64 : m_table.size() * 2;
    std::vector<std::uint32_t> table(size, 0);
    const std::size_t mask = size - 1;
    for (std::size_t e = 0; e < m_entries.size(); ++e) {
        std::size_t i = m_entries[e].hash & mask;
        while (table[i] != 0)
            i = (i + 1) & mask;
        table[i] = static_cast<std::uint32_t>(e + 1);
    }
    m_table.swap(table);
}

int CRelationMap::Add(std::string_view key, std::string_view value)
{
    try {
        // Keys, values and counts are held in 32 bits; a map beyond that is out of memory
        // for our purposes.
        if (m_values.size() >= kNone - 1 || key.size() >= kNone || value.size() >= kNone)
            return 0;
        if ((m_entries.size() + 1) * 4 >= m_table.size() * 3)
            Grow();
        const std::uint64_t hash = HashKey(key);
        const std::size_t mask = m_table.size() - 1;
        std::size_t i = hash & mask;
        long found = -1;
        for (;; i = (i + 1) & mask) {
            const std::uint32_t slot = m_table[i];
            if (slot == 0)
                break;
            const Entry& entry = m_entries[slot - 1];
            if (entry.hash == hash && Text(entry.keyOffset, entry.keyLength) == key) {
                found = static_cast<long>(slot - 1);
                break;
            }
        }

        Value stored;
        stored.length = static_cast<std::uint32_t>(value.size());
        stored.next = kNone;
        if (found < 0) {
            Entry entry;
            entry.hash = hash;
            entry.keyLength = static_cast<std::uint32_t>(key.size());
            const std::uint64_t keyOffset = Store(key);
            stored.offset = Store(value);
            m_values.push_back(stored);
            entry.firstValue = entry.lastValue = static_cast<std::uint32_t>(m_values.size() - 1);
            entry.count = 1;
            entry.keyOffset = keyOffset;
            m_entries.push_back(entry);
            m_table[i] = static_cast<std::uint32_t>(m_entries.size());
        } else {
            Entry& entry = m_entries[static_cast<std::size_t>(found)];
            stored.offset = Store(value);
            m_values.push_back(stored);
            const std::uint32_t index = static_cast<std::uint32_t>(m_values.size() - 1);
            m_values[entry.lastValue].next = index;
            entry.lastValue = index;
            ++entry.count;
        }
        return 1;
    } catch (const std::bad_alloc&) {
        return 0;
    } catch (const std::length_error&) {
        return 0;
    }
}

bool CRelationMap::Lookup(std::string_view key, std::vector<std::string_view>& values) const
{
    const long index = FindSlot(key);
    if (index < 0)
        return false;
    ValuesAt(static_cast<int>(index), values);
    return true;
}

int CRelationMap::Count(std::string_view key) const
{
    const long index = FindSlot(key);
    return index < 0 ? 0 : static_cast<int>(m_entries[static_cast<std::size_t>(index)].count);
}

std::string_view CRelationMap::KeyAt(int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_entries.size())
        return {};
    const Entry& entry = m_entries[static_cast<std::size_t>(index)];
    return Text(entry.keyOffset, entry.keyLength);
}

void CRelationMap::ValuesAt(int index, std::vector<std::string_view>& values) const
{
    values.clear();
    if (index < 0 || static_cast<std::size_t>(index) >= m_entries.size())
        return;
    const Entry& entry = m_entries[static_cast<std::size_t>(index)];
    values.reserve(entry.count);
    for (std::uint32_t v = entry.firstValue; v != kNone; v = m_values[v].next)
        values.push_back(Text(m_values[v].offset, m_values[v].length));
}
