#include "RelationMap.h"

#include <algorithm>
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
    if (n > 0)
        std::memcpy(&tail, p, n);
    h = (h ^ tail) * kMul;
    h ^= h >> 32;
    h *= 0xD6E8FEB86659FD93ULL;
    h ^= h >> 32;
    return h;
}

std::uint32_t TagOf(std::uint64_t hash)
{
    return static_cast<std::uint32_t>(hash >> 32) | 1u;
}

// How far ahead the grouping pass prefetches table slots and entries.
constexpr std::size_t kSlotDistance = 16;
constexpr std::size_t kEntryDistance = 8;

} // namespace

void CRelationMap::Clear()
{
    m_arena.Clear();
    m_pairs.Clear();
    std::vector<Entry>().swap(m_entries);
    std::vector<Slot>().swap(m_table);
    m_byKey.Clear();
    m_indexed = true;
    m_indexFailed = false;
}

void CRelationMap::Reserve(std::size_t bytes, std::size_t pairs)
{
    // Only a hint: when it cannot be had, the map grows as it needs.
    m_arena.Reserve(m_arena.size() + bytes);
    m_pairs.Reserve(m_pairs.size() + pairs);
}

int CRelationMap::Add(std::string_view key, std::string_view value)
{
    // Offsets, counts and lengths are held in 32 bits; a map beyond that is out of memory
    // for us.
    const std::size_t needed = m_arena.size() + key.size() + value.size();
    if (m_pairs.size() >= 0xFFFFFFF0u || needed >= 0xFFFFFFFFu)
        return 0;
    Pair pair;
    pair.offset = static_cast<std::uint32_t>(m_arena.size());
    pair.keyLength = static_cast<std::uint32_t>(key.size());
    pair.valueLength = static_cast<std::uint32_t>(value.size());
    if (!m_arena.Append(key.data(), key.size()) || !m_arena.Append(value.data(), value.size()) ||
        !m_pairs.PushBack(pair)) {
        m_arena.Resize(pair.offset); // what was added before stays
        return 0;
    }
    m_indexed = false;
    return 1;
}

std::string_view CRelationMap::KeyOf(const Pair& pair) const
{
    return std::string_view(m_arena.data() + pair.offset, pair.keyLength);
}

std::string_view CRelationMap::ValueOf(const Pair& pair) const
{
    return std::string_view(m_arena.data() + pair.offset + pair.keyLength, pair.valueLength);
}

bool CRelationMap::KeyEquals(const Entry& entry, std::string_view key) const
{
    if (entry.keyLength != key.size())
        return false;
    const std::size_t inlineBytes = std::min<std::size_t>(key.size(), kInlineKey);
    if (inlineBytes > 0 && std::memcmp(entry.prefix, key.data(), inlineBytes) != 0)
        return false;
    if (key.size() <= kInlineKey)
        return true;
    const Pair& first = m_pairs[entry.firstPair];
    return std::memcmp(m_arena.data() + first.offset + kInlineKey, key.data() + kInlineKey,
                       key.size() - kInlineKey) == 0;
}

bool CRelationMap::Index() const
{
    if (m_indexed)
        return !m_indexFailed;
    m_indexed = true;
    m_indexFailed = false;
    bool built = false;
    try {
        built = BuildIndex();
    } catch (const std::exception&) {
        built = false;
    }
    if (!built) {
        m_indexFailed = true;
        std::vector<Entry>().swap(m_entries);
        std::vector<Slot>().swap(m_table);
        m_byKey.Clear();
    }
    return built;
}

bool CRelationMap::BuildIndex() const
{
    const std::size_t pairs = m_pairs.size();
    m_entries.clear();
    m_byKey.Clear();
    std::size_t tableSize = 64;
    while (tableSize < pairs / 4 + 16)
        tableSize *= 2;
    m_table.assign(tableSize, Slot{0, 0});
    std::size_t mask = tableSize - 1;

    // The hash of every key, in one sequential pass over the arena.
    CBigBuffer<std::uint64_t> hashes;
    if (!hashes.Resize(pairs))
        return false;
    for (std::size_t i = 0; i < pairs; ++i)
        hashes[i] = HashKey(KeyOf(m_pairs[i]));

    // Pass 1: the entry of every pair, probing the table with prefetches running ahead.
    // entryOf reuses the hash array's memory once a hash has been used.
    std::uint64_t* const entryOf = hashes.data();
    for (std::size_t i = 0; i < pairs; ++i) {
        if (i + kSlotDistance < pairs)
            __builtin_prefetch(&m_table[hashes[i + kSlotDistance] & mask]);
        if (i + kEntryDistance < pairs) {
            const Slot& ahead = m_table[hashes[i + kEntryDistance] & mask];
            if (ahead.entry != 0)
                __builtin_prefetch(&m_entries[ahead.entry - 1]);
        }
        const Pair& pair = m_pairs[i];
        const std::uint64_t hash = hashes[i];
        const std::string_view key = KeyOf(pair);
        const std::uint32_t tag = TagOf(hash);
        std::size_t s = hash & mask;
        for (;; s = (s + 1) & mask) {
            Slot& slot = m_table[s];
            if (slot.entry == 0) {
                Entry entry{};
                entry.hash = hash;
                entry.firstPair = static_cast<std::uint32_t>(i);
                entry.count = 1;
                entry.keyLength = pair.keyLength;
                if (!key.empty())
                    std::memcpy(entry.prefix, key.data(),
                                std::min<std::size_t>(key.size(), kInlineKey));
                m_entries.push_back(entry);
                slot.entry = static_cast<std::uint32_t>(m_entries.size());
                slot.tag = tag;
                entryOf[i] = slot.entry - 1;
                break;
            }
            if (slot.tag == tag && KeyEquals(m_entries[slot.entry - 1], key)) {
                ++m_entries[slot.entry - 1].count;
                entryOf[i] = slot.entry - 1;
                break;
            }
        }
        // Keep the table at most half full.
        if (m_entries.size() * 2 > tableSize) {
            tableSize *= 2;
            mask = tableSize - 1;
            m_table.assign(tableSize, Slot{0, 0});
            for (std::size_t e = 0; e < m_entries.size(); ++e) {
                std::size_t t = m_entries[e].hash & mask;
                while (m_table[t].entry != 0)
                    t = (t + 1) & mask;
                m_table[t] = Slot{static_cast<std::uint32_t>(e + 1), TagOf(m_entries[e].hash)};
            }
        }
    }

    // Pass 2: the pairs grouped by entry, each group in file order.
    std::uint32_t start = 0;
    for (Entry& entry : m_entries) {
        entry.start = start;
        start += entry.count;
    }
    if (!m_byKey.Resize(pairs))
        return false;
    std::vector<std::uint32_t> next(m_entries.size());
    for (std::size_t e = 0; e < m_entries.size(); ++e)
        next[e] = m_entries[e].start;
    for (std::size_t i = 0; i < pairs; ++i)
        m_byKey[next[entryOf[i]]++] = static_cast<std::uint32_t>(i);
    return true;
}

long CRelationMap::FindEntry(std::string_view key) const
{
    if (!Index() || m_table.empty())
        return -1;
    const std::uint64_t hash = HashKey(key);
    const std::uint32_t tag = TagOf(hash);
    const std::size_t mask = m_table.size() - 1;
    for (std::size_t s = hash & mask;; s = (s + 1) & mask) {
        const Slot& slot = m_table[s];
        if (slot.entry == 0)
            return -1;
        if (slot.tag == tag && KeyEquals(m_entries[slot.entry - 1], key))
            return static_cast<long>(slot.entry - 1);
    }
}

bool CRelationMap::Lookup(std::string_view key, std::vector<std::string_view>& values) const
{
    const long index = FindEntry(key);
    if (index < 0)
        return false;
    ValuesAt(static_cast<int>(index), values);
    return true;
}

int CRelationMap::Count(std::string_view key) const
{
    const long index = FindEntry(key);
    return index < 0 ? 0 : static_cast<int>(m_entries[static_cast<std::size_t>(index)].count);
}

int CRelationMap::KeyCount() const
{
    if (!Index())
        return 0;
    return static_cast<int>(m_entries.size());
}

std::string_view CRelationMap::KeyAt(int index) const
{
    if (!Index() || index < 0 || static_cast<std::size_t>(index) >= m_entries.size())
        return {};
    return KeyOf(m_pairs[m_entries[static_cast<std::size_t>(index)].firstPair]);
}

void CRelationMap::ValuesAt(int index, std::vector<std::string_view>& values) const
{
    values.clear();
    if (!Index() || index < 0 || static_cast<std::size_t>(index) >= m_entries.size())
        return;
    const Entry& entry = m_entries[static_cast<std::size_t>(index)];
    values.reserve(entry.count);
    for (std::uint32_t k = 0; k < entry.count; ++k)
        values.push_back(ValueOf(m_pairs[m_byKey[entry.start + k]]));
}
