#include "RelationMap.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
    // The last 1 to 7 bytes without a variable-length copy: two overlapping 4-byte reads,
    // or the first, middle and last byte (the length is in the hash already).
    std::uint64_t tail = 0;
    if (n >= 4) {
        std::uint32_t low, high;
        std::memcpy(&low, p, 4);
        std::memcpy(&high, p + n - 4, 4);
        tail = (static_cast<std::uint64_t>(high) << 32) | low;
    } else if (n > 0) {
        tail = static_cast<std::uint64_t>(static_cast<unsigned char>(p[0])) |
               static_cast<std::uint64_t>(static_cast<unsigned char>(p[n / 2])) << 8 |
               static_cast<std::uint64_t>(static_cast<unsigned char>(p[n - 1])) << 16;
    }
    h = (h ^ tail) * kMul;
    h ^= h >> 32;
    h *= 0xD6E8FEB86659FD93ULL;
    h ^= h >> 32;
    return h;
}

// The reference in a key's record:
// - top bit clear: the key has one value, and this is its record;
// - kGroup: the key's values are the group starting at (ref & kIndexMask) in the groups;
// - kGroup | kMarked: the key got more values since the map was last grouped; they wait in
//   the pending list, and the key's entry in the waiting list is (ref & kIndexMask).
constexpr std::uint32_t kGroup = 0x80000000u;
constexpr std::uint32_t kMarked = 0x40000000u;
constexpr std::uint32_t kIndexMask = 0x3FFFFFFFu;
// Records start below 2^31, so that a single value's record fits beside the top bit.
constexpr std::size_t kPoolLimit = 0x7FFFFFFFu;
// Every 64th record's offset is kept, for KeyAt.
constexpr unsigned kMarkShift = 6;

bool IsGroup(std::uint32_t ref)
{
    return (ref & (kGroup | kMarked)) == kGroup;
}

bool IsMarked(std::uint32_t ref)
{
    return (ref & (kGroup | kMarked)) == (kGroup | kMarked);
}

// Equality of two texts; keys are mostly short, for which a library call would cost more
// than the comparison.
bool SameText(std::string_view a, std::string_view b)
{
    const std::size_t n = a.size();
    if (n != b.size())
        return false;
    if (n >= 8 && n <= 16) {
        std::uint64_t a1, a2, b1, b2;
        std::memcpy(&a1, a.data(), 8);
        std::memcpy(&b1, b.data(), 8);
        std::memcpy(&a2, a.data() + n - 8, 8);
        std::memcpy(&b2, b.data() + n - 8, 8);
        return ((a1 ^ b1) | (a2 ^ b2)) == 0;
    }
    if (n < 8) {
        for (std::size_t i = 0; i < n; ++i) {
            if (a[i] != b[i])
                return false;
        }
        return true;
    }
    return std::memcmp(a.data(), b.data(), n) == 0;
}

std::size_t LengthBytes(std::size_t length)
{
    std::size_t n = 1;
    while (length >= 0x80) {
        length >>= 7;
        ++n;
    }
    return n;
}

} // namespace

// ---------------------------------------------------------------------------------------
// CRelationMap::Pool

// Distinct texts, each stored once as a record: a 32-bit reference that the map keyed by
// these texts uses, the text's length (7 bits a byte, low bits first) and its bytes. Records are
// found by their offset, and by text through a hash index of 64-byte buckets, each holding up to 12
// record offsets with one byte of their hash beside them (filled in order, 0 for an empty slot): a
// probe reads one cache line and rarely a record that does not match. The index is kept at most 7/8
// full and grows by half.
class CRelationMap::Pool
{
public:
    std::uint32_t Count() const { return m_count; }
    std::uint32_t End() const { return static_cast<std::uint32_t>(m_arena.size()); }

    // The record of text, or -1.
    long Find(std::string_view text, std::uint64_t hash) const
    {
        const std::size_t buckets = m_buckets.size();
        if (buckets == 0)
            return -1;
        const std::uint8_t tag = TagOf(hash);
        for (std::size_t b = Home(hash, buckets);; b = b + 1 == buckets ? 0 : b + 1) {
            const Bucket& bucket = m_buckets[b];
            for (unsigned match = Matches(bucket, tag); match != 0; match &= match - 1) {
                const std::uint32_t record = bucket.records[std::countr_zero(match)];
                if (SameText(Text(record), text))
                    return static_cast<long>(record);
            }
            if (bucket.used < kBucketSlots)
                return -1;
        }
    }

    // For fetching ahead what a lookup of the text with this hash will read: its home
    // bucket, and, once that bucket is at hand, the first record in it that may match.
    const void* BucketOf(std::uint64_t hash) const
    {
        return m_buckets.empty() ? nullptr : &m_buckets[Home(hash, m_buckets.size())];
    }
    const void* CandidateOf(std::uint64_t hash) const
    {
        if (m_buckets.empty())
            return nullptr;
        const Bucket& bucket = m_buckets[Home(hash, m_buckets.size())];
        const unsigned match = Matches(bucket, TagOf(hash));
        return match == 0 ? nullptr : m_arena.data() + bucket.records[std::countr_zero(match)];
    }

    // Room for the text of so many bytes, and an index for so many keys to start from.
    // fileBytes: the size of the file the records come from, with which the index grows to
    // what the whole file will probably need (see NoteLine).
    void Reserve(std::size_t bytes, std::size_t keys, std::uint64_t fileBytes)
    {
        m_arena.Reserve(bytes);
        if (m_count == 0 && keys * 8 > m_buckets.size() * kBucketSlots * 7)
            Rehash(keys * 8 / (kBucketSlots * 7) + 1);
        m_fileBytes = fileBytes;
    }
    // Counts the bytes of a line of that file read so far.
    void NoteLine(std::size_t bytes) { m_lineBytes += bytes; }

    // Fits the memory to the records: an index grown well beyond them is made as small as
    // its fill limit allows, and reserved room not written is given back.
    void Fit()
    {
        const std::size_t slots = m_buckets.size() * kBucketSlots;
        const std::size_t fitted =
            WholePages(static_cast<std::size_t>(m_count) * 8 / (kBucketSlots * 7) + 1);
        if (m_count > 0 && static_cast<std::size_t>(m_count) * 10 < slots * 7 &&
            fitted < m_buckets.size())
            Rehash(fitted);
        m_arena.Trim();
        m_buckets.Trim();
        m_marks.Trim();
    }

    // Room for one more record of that length: false when memory or the offsets run out.
    bool Prepare(std::size_t length)
    {
        const std::size_t bytes = LengthBytes(length) + length + 4;
        if (length > kPoolLimit || m_arena.size() + bytes > kPoolLimit)
            return false;
        if (!m_arena.ReserveMore(bytes))
            return false;
        if ((m_count & ((1u << kMarkShift) - 1)) == 0 && !m_marks.ReserveMore(1))
            return false;
        const std::size_t slots = m_buckets.size() * kBucketSlots;
        if ((static_cast<std::size_t>(m_count) + 1) * 8 > slots * 7)
            return Rehash(GrownSize());
        return true;
    }

    // Appends the record (after Prepare) and returns its offset.
    std::uint32_t Insert(std::string_view text, std::uint64_t hash, std::uint32_t ref)
    {
        const std::uint32_t offset = End();
        char header[12];
        std::memcpy(header, &ref, 4);
        std::size_t n = 4;
        for (std::size_t length = text.size();; length >>= 7) {
            header[n++] = static_cast<char>((length & 0x7F) | (length >= 0x80 ? 0x80 : 0));
            if (length < 0x80)
                break;
        }
        m_arena.Append(header, n);
        m_arena.Append(text.data(), text.size());
        if ((m_count & ((1u << kMarkShift) - 1)) == 0)
            m_marks.PushBack(offset);
        ++m_count;
        Place(offset, hash);
        return offset;
    }

    const char* RecordAddress(std::uint32_t offset) const { return m_arena.data() + offset; }
    std::string_view Text(std::uint32_t offset) const
    {
        const char* p = m_arena.data() + offset + 4;
        std::size_t length = static_cast<unsigned char>(*p++);
        if (length >= 0x80) {
            length &= 0x7F;
            for (unsigned shift = 7;; shift += 7) {
                const auto byte = static_cast<unsigned char>(*p++);
                length |= static_cast<std::size_t>(byte & 0x7F) << shift;
                if (byte < 0x80)
                    break;
            }
        }
        return std::string_view(p, length);
    }
    std::uint32_t Ref(std::uint32_t offset) const
    {
        std::uint32_t ref;
        std::memcpy(&ref, m_arena.data() + offset, 4);
        return ref;
    }
    void SetRef(std::uint32_t offset, std::uint32_t ref)
    {
        std::memcpy(m_arena.data() + offset, &ref, 4);
    }
    // The record after the one at offset (End() after the last).
    std::uint32_t Next(std::uint32_t offset) const
    {
        const std::string_view text = Text(offset);
        return static_cast<std::uint32_t>(text.data() + text.size() - m_arena.data());
    }
    // The record number index (from 0, in the order added); index < Count().
    std::uint32_t OffsetOf(std::uint32_t index) const
    {
        std::uint32_t offset = m_marks[index >> kMarkShift];
        for (std::uint32_t k = index & ((1u << kMarkShift) - 1); k > 0; --k)
            offset = Next(offset);
        return offset;
    }

    // A copy of the pool, or nullptr when memory is exhausted.
    std::shared_ptr<Pool> Clone() const
    {
        std::shared_ptr<Pool> copy(new (std::nothrow) Pool);
        if (!copy || !CopyBuffer(m_arena, copy->m_arena) ||
            !CopyBuffer(m_buckets, copy->m_buckets) || !CopyBuffer(m_marks, copy->m_marks))
            return nullptr;
        copy->m_count = m_count;
        return copy;
    }

    std::size_t MemoryBytes() const
    {
        return m_arena.size() + m_buckets.size() * sizeof(Bucket) + m_marks.size() * 4;
    }

private:
    static constexpr unsigned kBucketSlots = 12;
    struct alignas(64) Bucket
    {
        std::uint8_t tags[kBucketSlots];
        std::uint8_t used;
        std::uint8_t spare[3];
        std::uint32_t records[kBucketSlots];
    };
    static_assert(sizeof(Bucket) == 64);

    // Bit k set for each used slot k whose tag is tag.
    static unsigned Matches(const Bucket& bucket, std::uint8_t tag)
    {
        unsigned match = 0;
#if defined(__SSE2__)
        const __m128i tags = _mm_load_si128(reinterpret_cast<const __m128i*>(&bucket));
        match = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_cmpeq_epi8(tags, _mm_set1_epi8(static_cast<char>(tag)))));
#else
        for (unsigned k = 0; k < kBucketSlots; ++k)
            match |= (bucket.tags[k] == tag ? 1u : 0u) << k;
#endif
        return match & ((1u << bucket.used) - 1);
    }

    static std::uint8_t TagOf(std::uint64_t hash)
    {
        const auto tag = static_cast<std::uint8_t>(hash >> 56);
        return tag == 0 ? 1 : tag;
    }
    // The first bucket to probe: the low half of the hash scaled to the number of buckets.
    static std::size_t Home(std::uint64_t hash, std::size_t buckets)
    {
        return static_cast<std::size_t>(((hash & 0xFFFFFFFFu) * buckets) >> 32);
    }

    // The number of buckets to grow to: half as many again; while a file of known size is
    // read, what the keys so far scaled to the whole file need (new keys tend to keep coming
    // as they did), between a quarter and twice as many again. Growing once to about the
    // final size saves passes over the records and leaves the index little unused room.
    std::size_t GrownSize() const
    {
        const std::size_t buckets = m_buckets.size();
        if (buckets < 8)
            return 16;
        if (m_fileBytes == 0 || m_lineBytes == 0 || m_lineBytes >= m_fileBytes)
            return buckets + buckets / 2;
        const double keys = static_cast<double>(m_count + 1) * static_cast<double>(m_fileBytes) /
                            static_cast<double>(m_lineBytes) * 1.05;
        const auto wanted = static_cast<std::size_t>(keys * 8 / (kBucketSlots * 7)) + 1;
        return std::clamp(wanted, buckets + buckets / 4, buckets * 2);
    }

    // At least that many buckets: as many as fill whole huge pages when the index takes
    // any, since a huge page is resident as a whole once it is written.
    static std::size_t WholePages(std::size_t buckets)
    {
        constexpr std::size_t kPerPage = kBigBufferPage / sizeof(Bucket);
        return buckets < kPerPage ? buckets : (buckets + kPerPage - 1) / kPerPage * kPerPage;
    }

    void Place(std::uint32_t offset, std::uint64_t hash)
    {
        const std::size_t buckets = m_buckets.size();
        std::size_t b = Home(hash, buckets);
        while (m_buckets[b].used == kBucketSlots)
            b = b + 1 == buckets ? 0 : b + 1;
        Bucket& bucket = m_buckets[b];
        bucket.tags[bucket.used] = TagOf(hash);
        bucket.records[bucket.used] = offset;
        ++bucket.used;
    }

    // A new index of that many buckets, filled from the records in one pass over them with
    // the buckets fetched ahead. The old index is released before the new one is written,
    // so the two are never resident together.
    bool Rehash(std::size_t buckets)
    {
        buckets = WholePages(buckets);
        if (buckets > 0xFFFFFFFFu / kBucketSlots)
            return false;
        CBigBuffer<Bucket> fresh;
        if (!fresh.Resize(buckets))
            return false;
        m_buckets.Swap(fresh);
        fresh.Clear();
        std::memset(static_cast<void*>(m_buckets.data()), 0, buckets * sizeof(Bucket));

        constexpr unsigned kAhead = 8;
        std::uint32_t offsets[kAhead];
        std::uint64_t hashes[kAhead];
        unsigned queued = 0;
        std::uint32_t next = 0;
        for (; queued < kAhead && next < End(); ++queued, next = Next(next)) {
            offsets[queued] = next;
            hashes[queued] = HashKey(Text(next));
            __builtin_prefetch(&m_buckets[Home(hashes[queued], buckets)], 1);
        }
        for (unsigned slot = 0; queued > 0; slot = slot + 1 == kAhead ? 0 : slot + 1) {
            Place(offsets[slot], hashes[slot]);
            if (next < End()) {
                offsets[slot] = next;
                hashes[slot] = HashKey(Text(next));
                __builtin_prefetch(&m_buckets[Home(hashes[slot], buckets)], 1);
                next = Next(next);
            } else {
                --queued;
            }
        }
        return true;
    }

    template <typename T> static bool CopyBuffer(const CBigBuffer<T>& from, CBigBuffer<T>& to)
    {
        return to.Append(from.data(), from.size());
    }

    CBigBuffer<char> m_arena;
    CBigBuffer<Bucket> m_buckets;
    CBigBuffer<std::uint32_t> m_marks;
    std::uint32_t m_count = 0;
    std::uint64_t m_fileBytes = 0; // the file being read, when known
    std::uint64_t m_lineBytes = 0; // bytes of its lines read so far
};

// ---------------------------------------------------------------------------------------
// CRelationMap

CRelationMap::CRelationMap(int direction) : m_direction(direction) {}

CRelationMap::~CRelationMap() = default;

void CRelationMap::Clear()
{
    m_keys.reset();
    m_values.reset();
    m_pending.Clear();
    m_waiting.Clear();
    m_groups.Clear();
    m_dirty = false;
    m_indexFailed = false;
    m_cursorIndex = -1;
}

bool CRelationMap::HasStorage() const
{
    return m_keys && m_values && m_keys->Count() > 0;
}

int CRelationMap::Add(std::string_view key, std::string_view value)
{
    try {
        if (!m_keys)
            m_keys = std::make_shared<Pool>();
        // Values go to a pool of this map alone: one that is also the other map's keys gets
        // copied first, since every record of that pool is a key of the other map.
        if (!m_values)
            m_values = std::make_shared<Pool>();
        else if (m_values.use_count() > 1) {
            std::shared_ptr<Pool> own = m_values->Clone();
            if (!own)
                return 0;
            m_values = std::move(own);
        }
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return AddLinked(*this, nullptr, key, value, HashKey(key), HashKey(value), -1, -1);
}

bool CRelationMap::Shares(const CRelationMap& byFirst, const CRelationMap& bySecond)
{
    return &byFirst != &bySecond && byFirst.m_keys && byFirst.m_keys == bySecond.m_values &&
           byFirst.m_values && byFirst.m_values == bySecond.m_keys;
}

bool CRelationMap::StartShared(CRelationMap& byFirst, CRelationMap& bySecond,
                               std::uint64_t fileBytes)
{
    byFirst.Clear();
    bySecond.Clear();
    if (&byFirst == &bySecond)
        return true;
    if (StartSharing(byFirst, bySecond) < 0)
        return false;
    // Room for what such a file may hold, reserved only: buffers that grow while a large
    // file is read would otherwise move and fill again page by page. The figures are
    // generous for the text (every key distinct) and for lines of about 8 bytes or more; a
    // file beyond them only grows the buffers. The index starts at a size that files of
    // many distinct keys quickly reach (costing a few percent of the file when they do not),
    // which saves most of its growing. Failing to reserve is no failure.
    const std::size_t bytes =
        static_cast<std::size_t>(std::min<std::uint64_t>(fileBytes, kPoolLimit));
    for (CRelationMap* map : {&byFirst, &bySecond}) {
        map->m_keys->Reserve(bytes, bytes / 256, fileBytes);
        map->m_pending.Reserve(bytes / 8);
        map->m_waiting.Reserve(bytes / 32);
    }
    return true;
}

int CRelationMap::AddPair(CRelationMap& byFirst, CRelationMap& bySecond, std::string_view first,
                          std::string_view second)
{
    const int sharing = StartSharing(byFirst, bySecond);
    if (sharing < 0)
        return 0;
    if (sharing == 0) {
        // Filled some other way: each map keeps its own text.
        const int added = byFirst.Add(first, second);
        return bySecond.Add(second, first) && added ? 1 : 0;
    }
    return AddLinked(byFirst, &bySecond, first, second, HashKey(first), HashKey(second), -1, -1);
}

// 1 when the two maps share their pools, after giving two empty maps a pair of pools to
// share; 0 when they hold text of their own (or are the same map); -1 when memory ran out.
int CRelationMap::StartSharing(CRelationMap& byFirst, CRelationMap& bySecond)
{
    if (Shares(byFirst, bySecond))
        return 1;
    if (&byFirst == &bySecond || byFirst.m_keys || byFirst.m_values || bySecond.m_keys ||
        bySecond.m_values)
        return 0;
    try {
        byFirst.m_keys = bySecond.m_values = std::make_shared<Pool>();
        byFirst.m_values = bySecond.m_keys = std::make_shared<Pool>();
    } catch (const std::bad_alloc&) {
        byFirst.Clear();
        bySecond.Clear();
        return -1;
    }
    return 1;
}

std::size_t CRelationMap::AddPairs(CRelationMap& byFirst, CRelationMap& bySecond,
                                   const std::string_view* firsts, const std::string_view* seconds,
                                   std::size_t n)
{
    std::size_t added = 0;
    const int sharing = n > 0 ? StartSharing(byFirst, bySecond) : 0;
    if (sharing <= 0) {
        // Out of memory, or filled some other way before: line by line.
        while (sharing == 0 && added < n &&
               AddPair(byFirst, bySecond, firsts[added], seconds[added]))
            ++added;
        return added;
    }

    // With millions of distinct keys every lookup misses the cache. Each chunk of lines is
    // looked up first, in a loop that fetches the buckets of the lines a few steps ahead and
    // then the records those buckets point to; the lines are added after that, with what
    // they need at hand.
    constexpr std::size_t kChunk = 256;
    constexpr std::size_t kBucketsAhead = 16;
    constexpr std::size_t kRecordsAhead = 8;
    std::uint64_t firstHashes[kChunk];
    std::uint64_t secondHashes[kChunk];
    long firstFound[kChunk];
    long secondFound[kChunk];
    const Pool& firstPool = *byFirst.m_keys;
    const Pool& secondPool = *byFirst.m_values;
    // The prefetches stay in this function: a helper doing nothing but prefetching may be
    // dropped by the optimiser as a call without effect.
    auto fetch = [](const void* address) {
        if (address)
            __builtin_prefetch(address);
    };
    while (added < n) {
        const std::size_t count = std::min(kChunk, n - added);
        const std::string_view* first = firsts + added;
        const std::string_view* second = seconds + added;
        for (std::size_t i = 0; i < count; ++i) {
            firstHashes[i] = HashKey(first[i]);
            secondHashes[i] = HashKey(second[i]);
        }
        for (std::size_t i = 0; i < count && i < kBucketsAhead; ++i) {
            fetch(firstPool.BucketOf(firstHashes[i]));
            fetch(secondPool.BucketOf(secondHashes[i]));
        }
        for (std::size_t i = 0; i < count; ++i) {
            if (i + kBucketsAhead < count) {
                fetch(firstPool.BucketOf(firstHashes[i + kBucketsAhead]));
                fetch(secondPool.BucketOf(secondHashes[i + kBucketsAhead]));
            }
            if (i + kRecordsAhead < count) {
                fetch(firstPool.CandidateOf(firstHashes[i + kRecordsAhead]));
                fetch(secondPool.CandidateOf(secondHashes[i + kRecordsAhead]));
            }
            firstFound[i] = firstPool.Find(first[i], firstHashes[i]);
            secondFound[i] = secondPool.Find(second[i], secondHashes[i]);
        }
        for (std::size_t i = 0; i < count; ++i) {
            if (!AddLinked(byFirst, &bySecond, first[i], second[i], firstHashes[i], secondHashes[i],
                           firstFound[i], secondFound[i]))
                return added;
            ++added;
        }
    }
    return added;
}

// Adds value under key in map and, with a mirror (whose keys are map's values and whose
// values are map's keys), key under value in the mirror. Everything that can fail is done
// before anything is changed.
int CRelationMap::AddLinked(CRelationMap& map, CRelationMap* mirror, std::string_view key,
                            std::string_view value, std::uint64_t keyHash, std::uint64_t valueHash,
                            long keyFound, long valueFound)
{
    // A text not found before may have come with a line added since.
    Pool& keys = *map.m_keys;
    Pool& values = *map.m_values;
    if (keyFound < 0)
        keyFound = keys.Find(key, keyHash);
    if (valueFound < 0)
        valueFound = values.Find(value, valueHash);

    if (keyFound < 0 && !keys.Prepare(key.size()))
        return 0;
    if (valueFound < 0 && !values.Prepare(value.size()))
        return 0;
    if (keyFound >= 0 && !map.PrepareWaiting())
        return 0;
    if (mirror && valueFound >= 0 && !mirror->PrepareWaiting())
        return 0;

    // Where the new records go is known before they are written.
    const std::uint32_t keyAt = keyFound >= 0 ? static_cast<std::uint32_t>(keyFound) : keys.End();
    const std::uint32_t valueAt =
        valueFound >= 0 ? static_cast<std::uint32_t>(valueFound) : values.End();
    if (keyFound < 0)
        keys.Insert(key, keyHash, valueAt);
    else
        map.Wait(keyAt, valueAt);
    map.m_dirty = true;
    map.m_indexFailed = false;
    if (valueFound < 0)
        values.Insert(value, valueHash, mirror ? keyAt : 0);
    else if (mirror)
        mirror->Wait(valueAt, keyAt);
    if (mirror) {
        mirror->m_dirty = true;
        mirror->m_indexFailed = false;
        // The line with its separator and line end, for the growth of the indexes.
        const std::size_t lineBytes = key.size() + value.size() + 2;
        keys.NoteLine(lineBytes);
        values.NoteLine(lineBytes);
    }
    return 1;
}

// Room for one more waiting value (and a new entry in the waiting list).
bool CRelationMap::PrepareWaiting()
{
    return m_pending.size() < kIndexMask && m_pending.ReserveMore(1) && m_waiting.ReserveMore(1);
}

// Queues value for the key's record (after PrepareWaiting). The record was just compared,
// so reading and marking it costs no further trip to memory.
void CRelationMap::Wait(std::uint32_t key, std::uint32_t value)
{
    Pool& keys = *m_keys;
    std::uint32_t ref = keys.Ref(key);
    if (!IsMarked(ref)) {
        m_waiting.PushBack(Waiting{key, ref, 0});
        ref = kGroup | kMarked | static_cast<std::uint32_t>(m_waiting.size() - 1);
        keys.SetRef(key, ref);
    }
    m_pending.PushBack(Pending{ref & kIndexMask, value});
}

bool CRelationMap::Index() const
{
    if (!m_dirty)
        return !m_indexFailed;
    m_dirty = false;
    m_indexFailed = !BuildGroups();
    return !m_indexFailed;
}

// Groups the waiting values with the values their keys had: each such key gets a new group
// (its earlier values, then the waiting ones in the order added); groups of other keys are
// kept. All memory is taken first, so a failure leaves the map as it was.
bool CRelationMap::BuildGroups() const
{
    const std::size_t pending = m_pending.size();
    if (pending == 0)
        return true;
    Pool& keys = *m_keys;

    // Each waiting key adds its count, its earlier single value and its waiting values.
    std::size_t total = m_groups.size() + pending + 2 * m_waiting.size();
    CBigBuffer<std::uint32_t> groups;
    if (total > kIndexMask || !groups.Resize(total))
        return false;

    // The waiting entries and groups are spread wide: each pass fetches them ahead.
    constexpr std::size_t kAhead = 16;
    auto fetchEntry = [&](std::size_t i) {
        if (i < pending)
            __builtin_prefetch(&m_waiting[m_pending[i].entry], 1);
    };

    // How many values wait for each key.
    for (std::size_t w = 0; w < m_waiting.size(); ++w)
        m_waiting[w].count = 0;
    for (std::size_t i = 0; i < kAhead; ++i)
        fetchEntry(i);
    for (std::size_t i = 0; i < pending; ++i) {
        fetchEntry(i + kAhead);
        ++m_waiting[m_pending[i].entry].count;
    }

    // The new groups, each with its full count and its earlier values; the waiting entry
    // then holds where its next value goes.
    std::size_t used = 0;
    auto place = [&](std::uint32_t key, std::uint32_t ref, std::uint32_t added) {
        const std::uint32_t start = static_cast<std::uint32_t>(used);
        std::uint32_t earlier = 1;
        if (IsGroup(ref)) {
            const std::uint32_t from = ref & kIndexMask;
            earlier = m_groups[from];
            std::memcpy(&groups[used + 1], &m_groups[from + 1], earlier * sizeof(std::uint32_t));
        } else {
            groups[used + 1] = ref;
        }
        groups[used] = earlier + added;
        used += 1 + earlier + added;
        keys.SetRef(key, kGroup | start);
        return start + 1 + earlier;
    };
    if (m_groups.empty()) {
        for (std::size_t w = 0; w < m_waiting.size(); ++w) {
            if (w + kAhead < m_waiting.size())
                __builtin_prefetch(keys.RecordAddress(m_waiting[w + kAhead].key), 1);
            Waiting& waiting = m_waiting[w];
            waiting.ref = place(waiting.key, waiting.ref, waiting.count);
        }
    } else {
        // Groups are laid out again in key order, leaving out the ones replaced.
        for (std::uint32_t offset = 0; offset < keys.End(); offset = keys.Next(offset)) {
            const std::uint32_t ref = keys.Ref(offset);
            if (IsMarked(ref)) {
                Waiting& waiting = m_waiting[ref & kIndexMask];
                waiting.ref = place(waiting.key, waiting.ref, waiting.count);
            } else if (IsGroup(ref)) {
                place(offset, ref, 0);
            }
        }
    }

    // The waiting values, in the order added, after the earlier ones. Where a value goes is
    // fetched once its waiting entry is at hand.
    constexpr std::size_t kGroupAhead = kAhead / 2;
    for (std::size_t i = 0; i < kAhead; ++i)
        fetchEntry(i);
    for (std::size_t i = 0; i < pending; ++i) {
        fetchEntry(i + kAhead);
        if (i + kGroupAhead < pending)
            __builtin_prefetch(&groups[m_waiting[m_pending[i + kGroupAhead].entry].ref], 1);
        groups[m_waiting[m_pending[i].entry].ref++] = m_pending[i].value;
    }
    groups.Truncate(used);
    m_groups.Swap(groups);
    m_pending.Clear();
    m_waiting.Clear();
    return true;
}

bool CRelationMap::Compact()
{
    const bool indexed = Index();
    if (m_keys)
        m_keys->Fit();
    if (m_values && m_values.use_count() == 1)
        m_values->Fit();
    m_pending.Trim();
    m_waiting.Trim();
    m_groups.Trim();
    return indexed;
}

long CRelationMap::FindKey(std::string_view key) const
{
    if (!HasStorage() || !Index())
        return -1;
    return m_keys->Find(key, HashKey(key));
}

std::uint32_t CRelationMap::ValueCount(std::uint32_t ref) const
{
    return IsGroup(ref) ? m_groups[ref & kIndexMask] : 1;
}

void CRelationMap::AppendValues(std::uint32_t ref, std::vector<std::string_view>& values) const
{
    if (!IsGroup(ref)) {
        values.push_back(m_values->Text(ref));
        return;
    }
    const std::uint32_t start = ref & kIndexMask;
    const std::uint32_t count = m_groups[start];
    values.reserve(values.size() + count);
    for (std::uint32_t k = 1; k <= count; ++k)
        values.push_back(m_values->Text(m_groups[start + k]));
}

bool CRelationMap::Lookup(std::string_view key, std::vector<std::string_view>& values) const
{
    values.clear();
    const long record = FindKey(key);
    if (record < 0)
        return false;
    AppendValues(m_keys->Ref(static_cast<std::uint32_t>(record)), values);
    return true;
}

bool CRelationMap::Contains(std::string_view key) const
{
    return FindKey(key) >= 0;
}

int CRelationMap::Count(std::string_view key) const
{
    const long record = FindKey(key);
    if (record < 0)
        return 0;
    return static_cast<int>(ValueCount(m_keys->Ref(static_cast<std::uint32_t>(record))));
}

int CRelationMap::KeyCount() const
{
    if (!HasStorage() || !Index())
        return 0;
    return static_cast<int>(m_keys->Count());
}

// The record of key number index (0 <= index < KeyCount()).
std::uint32_t CRelationMap::RecordAt(int index) const
{
    if (m_cursorIndex >= 0 && index == m_cursorIndex + 1)
        m_cursorRecord = m_keys->Next(m_cursorRecord);
    else if (index != m_cursorIndex)
        m_cursorRecord = m_keys->OffsetOf(static_cast<std::uint32_t>(index));
    m_cursorIndex = index;
    return m_cursorRecord;
}

std::string_view CRelationMap::KeyAt(int index) const
{
    if (index < 0 || index >= KeyCount())
        return {};
    return m_keys->Text(RecordAt(index));
}

void CRelationMap::ValuesAt(int index, std::vector<std::string_view>& values) const
{
    values.clear();
    if (index < 0 || index >= KeyCount())
        return;
    AppendValues(m_keys->Ref(RecordAt(index)), values);
}

std::size_t CRelationMap::MemoryBytes() const
{
    std::size_t bytes = m_pending.size() * sizeof(Pending) + m_waiting.size() * sizeof(Waiting) +
                        m_groups.size() * 4;
    if (m_keys)
        bytes += m_keys->MemoryBytes();
    if (m_values && m_values.use_count() == 1)
        bytes += m_values->MemoryBytes();
    return bytes;
}
