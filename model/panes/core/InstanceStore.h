#pragma once

#include "BigBuffer.h"
#include "InstanceLoader.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CElement;

// The instances behind the instance list, kept compactly: one byte arena holds every text and
// key, and each row is a 16-byte record (arena offset, text and key lengths, and an index into
// a small table of elements). A million instances from a 65 MB file take little more than the
// file itself, and a search can run over the arena as one buffer.
//
// Arena layout, in load order: for each row its text, '\n', its key, '\n'. Instance texts and
// keys come from single lines, so the line feeds keep a plain substring search from matching
// across rows; the search still checks that a hit lies inside a text (see TextBegin).
//
// Rows are addressed by list position (0-based). With AUTO SORT 1 the list order is the
// sorted order; storage (load) order stays as it was read, and Row / ListPosition map
// between the two.
class CInstanceStore : public IInstanceSink
{
public:
    CInstanceStore() = default;
    CInstanceStore(const CInstanceStore&) = delete;
    CInstanceStore& operator=(const CInstanceStore&) = delete;

    // Adds the record at the end of the list (group is not kept). False when memory cannot be
    // had, when the key is longer than 65535 bytes or when more than 65535 elements or 2^32-1
    // rows would be needed; the store is unchanged then. Never throws.
    bool AddInstance(CInstanceRecord&& record, CGroup* group) override;
    // The same from plain values; the element is not owned.
    bool Add(std::string_view key, std::string_view text, CElement* element);

    // Removes every row and gives the memory back.
    void Clear();
    std::size_t Count() const { return m_rows.size(); }
    bool Empty() const { return m_rows.empty(); }

    // The key and text of the entry at a list position; views into the store, valid until the
    // next Add, Clear or destruction. Empty for a position out of range.
    std::string_view Key(std::size_t index) const;
    std::string_view Text(std::size_t index) const;
    // The element whose file held the entry (not owned); nullptr for a position out of range.
    CElement* Element(std::size_t index) const;
    // A copy of the entry as an instance record (index -1); an empty record out of range.
    CInstanceRecord Record(std::size_t index) const;
    // Value number attributeIndex0 + 1 of the entry's text, trimmed of blanks and tabs. False
    // when the position is out of range, the index negative or the text has fewer values.
    bool Value(std::size_t index, int attributeIndex0, std::string& value) const;

    // Orders the list: autoSort 1 sorts by the whole instance text, byte by byte as unsigned
    // values (so the first value decides first, and bytes from 0x80 sort after ASCII), equal
    // texts keeping load order; any other value restores load order. Rows added later go to
    // the end of the list until the next Sort. False when memory for the order is missing:
    // the list is then in load order.
    bool Sort(int autoSort);
    bool Sorted() const { return !m_order.empty(); }

    // Storage row of a list position, and list position of a storage row (identity unless
    // sorted). Out-of-range arguments are returned unchanged.
    std::size_t Row(std::size_t listPosition) const;
    std::size_t ListPosition(std::size_t storageRow) const;

    // The arena, for searching it as one buffer.
    std::string_view Arena() const { return std::string_view(m_arena.data(), m_arena.size()); }
    // Arena offset where the text of a storage row begins and ends (exclusive); its key
    // follows the text's line feed. For storageRow == Count() both give the arena's size.
    std::uint64_t TextBegin(std::size_t storageRow) const;
    std::uint64_t TextEnd(std::size_t storageRow) const;
    // The storage row whose bytes hold an arena offset (the last row beginning at or before
    // it), looked for from storage row `from` onwards; Count() when the store is empty.
    // Cheap for offsets close after `from`, so a forward scan can map each hit.
    std::size_t StorageRowAt(std::uint64_t offset, std::size_t from = 0) const;

    // Bytes held: arena and row records as used, plus the order and element tables.
    std::size_t MemoryBytes() const;

private:
    struct RowRecord
    {
        std::uint64_t offset;     // arena offset of the text
        std::uint32_t textLength; // bytes of the text
        std::uint16_t keyLength;  // bytes of the key (after the text's line feed)
        std::uint16_t element;    // index into m_elements
    };
    static_assert(sizeof(RowRecord) == 16);

    bool ElementIndex(CElement* element, std::uint16_t& index);
    const RowRecord* At(std::size_t listPosition) const;

    CBigBuffer<char> m_arena;
    CBigBuffer<RowRecord> m_rows;
    std::vector<CElement*> m_elements;     // not owned
    std::vector<std::uint32_t> m_order;    // list position -> storage row; empty: load order
    std::vector<std::uint32_t> m_position; // storage row -> list position; empty: load order
};
