#pragma once

#include "BigBuffer.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CLink;

// One side of a link's relations: instance key -> ordered list of related instance keys.
// The same key added again appends to its list, so duplicate lines give duplicate values.
//
// Built for relation files of millions of lines: Add only appends the pair to an arena; the
// first query (or Index) groups the pairs by key in one pass whose hash-table probes are
// prefetched ahead, so reading is not bound by one cache miss per line.
class CRelationMap
{
public:
    // direction 0: keyed by field 1 of a relation line; 1: keyed by field 2.
    explicit CRelationMap(int direction = 0) : m_direction(direction) {}

    int Direction() const { return m_direction; }
    void SetDirection(int direction) { m_direction = direction; }
    CLink* Link() const { return m_link; }
    void SetLink(CLink* link) { m_link = link; }

    void Clear();
    // A hint of what is coming: bytes of keys and values, and the number of pairs.
    void Reserve(std::size_t bytes, std::size_t pairs);
    // Adds value under key. Returns 1, or 0 when memory is exhausted (the map keeps what
    // was added before).
    int Add(std::string_view key, std::string_view value);
    // Groups the pairs added so far by key. Returns false when memory is exhausted; the map
    // then answers as if it were empty. Queries call it when needed.
    bool Index() const;

    // The values under key in the order added (exact, case-sensitive lookup), or false.
    bool Lookup(std::string_view key, std::vector<std::string_view>& values) const;
    // Whether the key is present.
    bool Contains(std::string_view key) const { return FindEntry(key) >= 0; }
    // Number of values under key (0 when absent).
    int Count(std::string_view key) const;
    // Number of keys.
    int KeyCount() const;

    // Iteration in the order the keys were first added: index 0 .. KeyCount()-1.
    std::string_view KeyAt(int index) const;
    void ValuesAt(int index, std::vector<std::string_view>& values) const;

private:
    struct Pair
    {
        std::uint32_t offset; // key bytes, then value bytes, in the arena
        std::uint32_t keyLength;
        std::uint32_t valueLength;
    };
    static constexpr std::size_t kInlineKey = 16;
    struct Entry
    {
        std::uint64_t hash;
        std::uint32_t firstPair; // the pair that brought the key
        std::uint32_t count;
        std::uint32_t start;     // first position in m_byKey
        std::uint32_t keyLength;
        char prefix[kInlineKey]; // the key's first bytes, compared without touching the arena
    };
    struct Slot
    {
        std::uint32_t entry; // entry index + 1; 0 = empty
        std::uint32_t tag;   // high bits of the key's hash
    };

    long FindEntry(std::string_view key) const;
    bool KeyEquals(const Entry& entry, std::string_view key) const;
    std::string_view KeyOf(const Pair& pair) const;
    std::string_view ValueOf(const Pair& pair) const;
    bool BuildIndex() const;

    int m_direction;
    CLink* m_link = nullptr;
    CBigBuffer<char> m_arena;
    CBigBuffer<Pair> m_pairs;

    // The index, rebuilt when pairs were added since the last one.
    mutable bool m_indexed = true;
    mutable bool m_indexFailed = false;
    mutable std::vector<Entry> m_entries;       // in order of first appearance
    mutable std::vector<Slot> m_table;          // open addressing over m_entries
    mutable CBigBuffer<std::uint32_t> m_byKey; // pair indexes grouped by entry, file order
};
