#pragma once

#include "BigBuffer.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CLink;

// One side of a link's relations: instance key -> ordered list of related instance keys.
// The same key added again appends to its list, so duplicate lines give duplicate values.
//
// Built for relation files of millions of lines in little memory:
// - every distinct text is stored once, in a pool of records (length, bytes, a 32-bit
//   reference) with a compact hash index; keys keep the order in which they first came;
// - a key with one value holds that value's reference in its record; the values of a key
//   seen again are grouped, in the order added, into one array of 32-bit references when
//   the map is next queried (or Index is called);
// - the two maps of a link filled with AddPair share their pools: map 0's keys are the text
//   of map 1's values and the other way round, so each line's two keys are stored once.
class CRelationMap
{
public:
    // direction 0: keyed by field 1 of a relation line; 1: keyed by field 2.
    explicit CRelationMap(int direction = 0);
    ~CRelationMap();
    CRelationMap(const CRelationMap&) = delete;
    CRelationMap& operator=(const CRelationMap&) = delete;

    int Direction() const { return m_direction; }
    void SetDirection(int direction) { m_direction = direction; }
    CLink* Link() const { return m_link; }
    void SetLink(CLink* link) { m_link = link; }

    void Clear();
    // Adds value under key. Returns 1, or 0 when memory is exhausted (the map keeps what
    // was added before).
    int Add(std::string_view key, std::string_view value);
    // Empties both maps and readies them to be filled together with AddPair(s) from a
    // relation file of fileBytes bytes: they share their text from then on, and room for
    // such a file is reserved (address space only: memory is taken as it is written), so
    // that the buffers need not move while it is read. False when memory is exhausted (the
    // maps are empty then).
    static bool StartShared(CRelationMap& byFirst, CRelationMap& bySecond, std::uint64_t fileBytes);
    // Adds one relation line to both maps of a link: second under first in byFirst, first
    // under second in bySecond. Maps that were empty, or were filled together by AddPair
    // since, share the text of the line. Returns 1, or 0 when memory is exhausted (then
    // neither map takes the line; both keep what was added before).
    static int AddPair(CRelationMap& byFirst, CRelationMap& bySecond, std::string_view first,
                       std::string_view second);
    // AddPair for n lines (firsts[i], seconds[i]), faster on large files. Returns the number
    // of lines added: fewer than n only when memory is exhausted.
    static std::size_t AddPairs(CRelationMap& byFirst, CRelationMap& bySecond,
                                const std::string_view* firsts, const std::string_view* seconds,
                                std::size_t n);
    // Groups the values added so far by key. Returns false when memory is exhausted; the map
    // then answers as if it were empty until more is added. Queries call it when needed.
    bool Index() const;

    // Index, then fits the memory to what the map holds, for when nothing more is to be
    // added for a while: the index of the keys shrinks when it grew well beyond them, and
    // room reserved but not used is given back. Returns what Index returns.
    bool Compact();

    // The values under key in the order added (exact, case-sensitive lookup), or false.
    // The views stay valid until the map (or the other map of its link) is changed.
    bool Lookup(std::string_view key, std::vector<std::string_view>& values) const;
    // Whether the key is present.
    bool Contains(std::string_view key) const;
    // Number of values under key (0 when absent).
    int Count(std::string_view key) const;
    // Number of keys.
    int KeyCount() const;

    // Iteration in the order the keys were first added: index 0 .. KeyCount()-1. Walking
    // the indexes in order is cheap; an out-of-range index gives an empty key, no values.
    std::string_view KeyAt(int index) const;
    void ValuesAt(int index, std::vector<std::string_view>& values) const;

    // Bytes of memory the map holds: its keys, their values' grouping, and the text of its
    // values when no other map shares it (so the two maps of a link add up to their total).
    std::size_t MemoryBytes() const;

    class Pool; // interned texts with their hash index (RelationMap.cpp)

private:
    struct Pending
    {
        std::uint32_t entry; // the key's entry in m_waiting
        std::uint32_t value; // record of the value in m_values
    };
    struct Waiting
    {
        std::uint32_t key;   // record of the key in m_keys
        std::uint32_t ref;   // its reference before; while grouping, where its next value goes
        std::uint32_t count; // values waiting (counted when grouping)
    };

    static int AddLinked(CRelationMap& map, CRelationMap* mirror, std::string_view key,
                         std::string_view value, std::uint64_t keyHash, std::uint64_t valueHash,
                         long keyFound, long valueFound);
    // Whether the two maps were filled together by AddPair and share their pools.
    static bool Shares(const CRelationMap& byFirst, const CRelationMap& bySecond);
    static int StartSharing(CRelationMap& byFirst, CRelationMap& bySecond);
    bool HasStorage() const;
    long FindKey(std::string_view key) const;
    std::uint32_t RecordAt(int index) const;
    std::uint32_t ValueCount(std::uint32_t ref) const;
    void AppendValues(std::uint32_t ref, std::vector<std::string_view>& values) const;
    bool PrepareWaiting();
    void Wait(std::uint32_t key, std::uint32_t value);
    bool BuildGroups() const;

    int m_direction;
    CLink* m_link = nullptr;
    // The keys' records: each one's reference is its single value, or its group in m_groups.
    std::shared_ptr<Pool> m_keys;
    // The values' records: the other map's m_keys when shared through AddPair.
    std::shared_ptr<Pool> m_values;

    // Values of keys added again since the last grouping (in the order added), with one
    // entry for each such key; then the groups, each its count followed by its values.
    mutable CBigBuffer<Pending> m_pending;
    mutable CBigBuffer<Waiting> m_waiting;
    mutable CBigBuffer<std::uint32_t> m_groups;
    mutable bool m_dirty = false;
    mutable bool m_indexFailed = false;
    // The last record reached by index, so that walking the keys in order steps record by
    // record (an index below 0 when none).
    mutable int m_cursorIndex = -1;
    mutable std::uint32_t m_cursorRecord = 0;
};
