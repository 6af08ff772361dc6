#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CLink;

// One side of a link's relations: instance key -> ordered list of related instance keys.
// The same key added again appends to its list, so duplicate lines give duplicate values.
// Keys and values live in one arena; the table is open-addressed, so reading a relation
// file of a million lines costs a few allocations, not millions.
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
    // Adds value under key. Returns 1, or 0 when memory is exhausted (the map keeps what
    // was added before).
    int Add(std::string_view key, std::string_view value);
    // The values under key in the order added (exact, case-sensitive lookup), or false.
    bool Lookup(std::string_view key, std::vector<std::string_view>& values) const;
    // Whether the key is present.
    bool Contains(std::string_view key) const { return FindSlot(key) >= 0; }
    // Number of values under key (0 when absent).
    int Count(std::string_view key) const;
    // Number of keys.
    int KeyCount() const { return static_cast<int>(m_entries.size()); }

    // Iteration in insertion order of the keys: index 0 .. KeyCount()-1.
    std::string_view KeyAt(int index) const;
    void ValuesAt(int index, std::vector<std::string_view>& values) const;

private:
    struct Entry
    {
        std::uint64_t hash;
        std::uint64_t keyOffset; // offset of the key in the arena
        std::uint32_t keyLength;
        std::uint32_t firstValue, lastValue; // indexes into m_values
        std::uint32_t count;
    };
    struct Value
    {
        std::uint64_t offset;
        std::uint32_t length;
        std::uint32_t next; // index of the next value of the same key, or kNone
    };
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

    long FindSlot(std::string_view key) const; // entry index or -1
    std::string_view Text(std::uint64_t offset, std::uint32_t length) const;
    std::uint64_t Store(std::string_view text);
    void Grow();

    int m_direction;
    CLink* m_link = nullptr;
    std::string m_arena; // the bytes of all keys and values
    std::vector<Entry> m_entries;
    std::vector<Value> m_values;
    std::vector<std::uint32_t> m_table; // entry index + 1, 0 = empty
};
