#include "InstanceStore.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace {

constexpr std::size_t kMaxRows = std::numeric_limits<std::uint32_t>::max();
constexpr std::size_t kMaxElements = std::numeric_limits<std::uint16_t>::max() + std::size_t(1);

// Bytes [from, from + 8) of a text as a big-endian number, zero-padded: comparing two of
// these compares those bytes of the texts as unsigned values.
std::uint64_t SortPrefix(std::string_view text, std::size_t from)
{
    if (from + 8 <= text.size()) {
        unsigned char bytes[8];
        std::memcpy(bytes, text.data() + from, 8);
        std::uint64_t prefix = 0;
        for (unsigned char byte : bytes) // compiles to one load and a byte swap
            prefix = (prefix << 8) | byte;
        return prefix;
    }
    std::uint64_t prefix = 0;
    for (std::size_t i = from; i < from + 8; ++i)
        prefix = (prefix << 8) | (i < text.size() ? static_cast<unsigned char>(text[i]) : 0u);
    return prefix;
}

} // namespace

bool CInstanceStore::AddInstance(CInstanceRecord&& record, CGroup* /*group*/)
{
    return Add(record.key, record.text, record.element);
}

bool CInstanceStore::Add(std::string_view key, std::string_view text, CElement* element)
{
    if (key.size() > std::numeric_limits<std::uint16_t>::max() ||
        text.size() > std::numeric_limits<std::uint32_t>::max() || m_rows.size() >= kMaxRows)
        return false;
    std::uint16_t elementIndex = 0;
    if (!ElementIndex(element, elementIndex))
        return false;

    // Appended piecewise with amortised growth; a failure part way is rolled back.
    const std::size_t oldArena = m_arena.size();
    const char lineFeed = '\n';
    if (!m_arena.Append(text.data(), text.size()) || !m_arena.PushBack(lineFeed) ||
        !m_arena.Append(key.data(), key.size()) || !m_arena.PushBack(lineFeed)) {
        m_arena.Resize(oldArena);
        return false;
    }

    const RowRecord row{oldArena, static_cast<std::uint32_t>(text.size()),
                        static_cast<std::uint16_t>(key.size()), elementIndex};
    if (!m_rows.PushBack(row)) {
        m_arena.Resize(oldArena);
        return false;
    }
    if (!m_order.empty()) {
        // Sorted earlier: the new row goes to the end of the list.
        try {
            m_order.push_back(static_cast<std::uint32_t>(m_rows.size() - 1));
            m_position.push_back(static_cast<std::uint32_t>(m_rows.size() - 1));
        } catch (const std::bad_alloc&) {
            m_order.resize(m_rows.size() - 1);
            m_position.resize(m_rows.size() - 1);
            m_rows.Resize(m_rows.size() - 1);
            m_arena.Resize(oldArena);
            return false;
        }
    }
    return true;
}

bool CInstanceStore::ElementIndex(CElement* element, std::uint16_t& index)
{
    // Listings hold one element or a small family: the last one added is the likely one.
    for (std::size_t i = m_elements.size(); i-- > 0;) {
        if (m_elements[i] == element) {
            index = static_cast<std::uint16_t>(i);
            return true;
        }
    }
    if (m_elements.size() >= kMaxElements)
        return false;
    try {
        m_elements.push_back(element);
    } catch (const std::bad_alloc&) {
        return false;
    }
    index = static_cast<std::uint16_t>(m_elements.size() - 1);
    return true;
}

void CInstanceStore::Clear()
{
    m_arena.Clear();
    m_rows.Clear();
    std::vector<CElement*>().swap(m_elements);
    std::vector<std::uint32_t>().swap(m_order);
    std::vector<std::uint32_t>().swap(m_position);
}

const CInstanceStore::RowRecord* CInstanceStore::At(std::size_t listPosition) const
{
    if (listPosition >= m_rows.size())
        return nullptr;
    return &m_rows[Row(listPosition)];
}

std::string_view CInstanceStore::Key(std::size_t index) const
{
    const RowRecord* row = At(index);
    if (!row)
        return {};
    return std::string_view(m_arena.data() + row->offset + row->textLength + 1, row->keyLength);
}

std::string_view CInstanceStore::Text(std::size_t index) const
{
    const RowRecord* row = At(index);
    if (!row)
        return {};
    return std::string_view(m_arena.data() + row->offset, row->textLength);
}

CElement* CInstanceStore::Element(std::size_t index) const
{
    const RowRecord* row = At(index);
    return row ? m_elements[row->element] : nullptr;
}

CInstanceRecord CInstanceStore::Record(std::size_t index) const
{
    CInstanceRecord record;
    if (const RowRecord* row = At(index)) {
        record.key = Key(index);
        record.text = Text(index);
        record.element = m_elements[row->element];
    }
    return record;
}

bool CInstanceStore::Value(std::size_t index, int attributeIndex0, std::string& value) const
{
    if (attributeIndex0 < 0 || index >= m_rows.size())
        return false;
    return InstanceValue(Text(index), attributeIndex0 + 1, value);
}

bool CInstanceStore::Sort(int autoSort)
{
    std::vector<std::uint32_t>().swap(m_order);
    std::vector<std::uint32_t>().swap(m_position);
    if (autoSort != 1 || m_rows.size() < 2)
        return true;
    try {
        // Multikey sort on 16-byte windows of the texts: the items are sorted by the window
        // at depth 0, then every run of items whose windows are equal and full is refilled
        // from the next 16 bytes and sorted on its own, and so on. Comparisons never touch
        // the arena, and each text is read about once per level it needs.
        struct SortItem
        {
            std::uint64_t high, low; // the window's bytes, zero-padded past the text's end
            std::uint32_t rest;      // the text's bytes in the window, 0..16
            std::uint32_t row;       // ties: load order
        };
        const auto fill = [this](SortItem& item, std::size_t depth) {
            const RowRecord& row = m_rows[item.row];
            const std::string_view text(m_arena.data() + row.offset, row.textLength);
            item.high = SortPrefix(text, depth);
            item.low = SortPrefix(text, depth + 8);
            item.rest = static_cast<std::uint32_t>(
                std::min<std::size_t>(text.size() - std::min(text.size(), depth), 16));
        };
        // Equal windows: the text with fewer bytes in it ends there and so sorts first.
        const auto less = [](const SortItem& a, const SortItem& b) {
            if (a.high != b.high)
                return a.high < b.high;
            if (a.low != b.low)
                return a.low < b.low;
            if (a.rest != b.rest)
                return a.rest < b.rest;
            return a.row < b.row;
        };
        std::vector<SortItem> items(m_rows.size());
        for (std::size_t r = 0; r < items.size(); ++r) {
            items[r].row = static_cast<std::uint32_t>(r);
            fill(items[r], 0);
        }
        struct Range
        {
            std::size_t begin, end, depth;
        };
        std::vector<Range> pending{{0, items.size(), 0}};
        while (!pending.empty()) {
            const Range range = pending.back();
            pending.pop_back();
            if (range.depth > 0) {
                for (std::size_t i = range.begin; i < range.end; ++i)
                    fill(items[i], range.depth);
            }
            std::sort(items.begin() + static_cast<std::ptrdiff_t>(range.begin),
                      items.begin() + static_cast<std::ptrdiff_t>(range.end), less);
            for (std::size_t i = range.begin; i < range.end;) {
                std::size_t j = i + 1;
                while (j < range.end && items[j].high == items[i].high &&
                       items[j].low == items[i].low && items[j].rest == items[i].rest)
                    ++j;
                if (j - i > 1 && items[i].rest == 16)
                    pending.push_back({i, j, range.depth + 16});
                i = j;
            }
        }
        // The items go before the inverse is made, so the peak stays low.
        std::vector<std::uint32_t> order(items.size());
        for (std::size_t i = 0; i < items.size(); ++i)
            order[i] = items[i].row;
        std::vector<SortItem>().swap(items);
        std::vector<std::uint32_t> position(order.size());
        for (std::size_t i = 0; i < order.size(); ++i)
            position[order[i]] = static_cast<std::uint32_t>(i);
        m_order = std::move(order);
        m_position = std::move(position);
    } catch (const std::bad_alloc&) {
        std::vector<std::uint32_t>().swap(m_order);
        std::vector<std::uint32_t>().swap(m_position);
        return false;
    }
    return true;
}

std::size_t CInstanceStore::Row(std::size_t listPosition) const
{
    return listPosition < m_order.size() ? m_order[listPosition] : listPosition;
}

std::size_t CInstanceStore::ListPosition(std::size_t storageRow) const
{
    return storageRow < m_position.size() ? m_position[storageRow] : storageRow;
}

std::uint64_t CInstanceStore::TextBegin(std::size_t storageRow) const
{
    return storageRow < m_rows.size() ? m_rows[storageRow].offset : m_arena.size();
}

std::uint64_t CInstanceStore::TextEnd(std::size_t storageRow) const
{
    return storageRow < m_rows.size() ? m_rows[storageRow].offset + m_rows[storageRow].textLength
                                      : m_arena.size();
}

std::size_t CInstanceStore::StorageRowAt(std::uint64_t offset, std::size_t from) const
{
    const std::size_t count = m_rows.size();
    if (count == 0)
        return count;
    if (from >= count || m_rows[from].offset > offset)
        from = 0;
    // Gallop forward from `from` to bracket the offset, then search the bracket.
    std::size_t low = from; // m_rows[low].offset <= offset
    std::size_t step = 1;
    std::size_t high = low + step;
    while (high < count && m_rows[high].offset <= offset) {
        low = high;
        step *= 2;
        high = low + step;
    }
    high = std::min(high, count);
    const RowRecord* begin = m_rows.data() + low;
    const RowRecord* end = m_rows.data() + high;
    const RowRecord* after =
        std::upper_bound(begin, end, offset,
                         [](std::uint64_t value, const RowRecord& r) { return value < r.offset; });
    return static_cast<std::size_t>(after - m_rows.data()) - 1;
}

std::size_t CInstanceStore::MemoryBytes() const
{
    return m_arena.size() + m_rows.size() * sizeof(RowRecord) +
           (m_order.capacity() + m_position.capacity()) * sizeof(std::uint32_t) +
           m_elements.capacity() * sizeof(CElement*);
}
