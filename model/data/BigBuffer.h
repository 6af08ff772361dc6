#pragma once

#include <cstddef>
#include <cstring>
#include <type_traits>
#include <utility>

// A growable array of trivially copyable values for data that can run to hundreds of
// megabytes (relation maps). New elements are not zeroed, growth remaps the memory instead
// of copying it, and large buffers ask for huge pages, so filling one costs few page faults.
// Every operation that allocates reports failure instead of throwing.
// Buffers of at least this many bytes are laid out in pages of this size (huge pages where
// the system has them): such a page is resident as a whole once any byte of it is written.
inline constexpr std::size_t kBigBufferPage = std::size_t(2) << 20;

class CBigBufferBase
{
protected:
    CBigBufferBase() = default;
    ~CBigBufferBase() { Release(); }
    CBigBufferBase(const CBigBufferBase&) = delete;
    CBigBufferBase& operator=(const CBigBufferBase&) = delete;

    // Makes room for at least bytes; false when memory is exhausted (contents kept).
    bool Grow(std::size_t bytes);
    void Release();
    // Returns the pages after the first bytes to the system; they read as zeros after.
    void Release(std::size_t bytes);
    void SwapMemory(CBigBufferBase& other)
    {
        std::swap(m_memory, other.m_memory);
        std::swap(m_mapped, other.m_mapped);
    }

    void* m_memory = nullptr;
    std::size_t m_mapped = 0; // bytes
};

template <typename T> class CBigBuffer : private CBigBufferBase
{
    static_assert(std::is_trivially_copyable_v<T>);

public:
    CBigBuffer() = default;

    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    T* data() { return static_cast<T*>(m_memory); }
    const T* data() const { return static_cast<const T*>(m_memory); }
    T& operator[](std::size_t i) { return data()[i]; }
    const T& operator[](std::size_t i) const { return data()[i]; }

    // Room for n elements in all (a virtual reservation: untouched pages cost nothing).
    bool Reserve(std::size_t n) { return n <= Capacity() || (n < kMax && Grow(n * sizeof(T))); }
    // n elements, the new ones uninitialised.
    bool Resize(std::size_t n)
    {
        if (!Reserve(n))
            return false;
        m_size = n;
        return true;
    }
    bool Append(const T* items, std::size_t n)
    {
        if (n == 0)
            return true;
        if (n > kMax - m_size)
            return false;
        if (m_size + n > Capacity() && !GrowFor(m_size + n))
            return false;
        std::memcpy(data() + m_size, items, n * sizeof(T));
        m_size += n;
        return true;
    }
    bool PushBack(const T& item) { return Append(&item, 1); }
    // Room for n more elements, growing as Append does; false when memory is exhausted.
    bool ReserveMore(std::size_t n)
    {
        if (n > kMax - m_size)
            return false;
        return m_size + n <= Capacity() || GrowFor(m_size + n);
    }
    // Drops the last elements, keeping n (the memory stays).
    void Truncate(std::size_t n)
    {
        if (n < m_size)
            m_size = n;
    }
    void Swap(CBigBuffer& other)
    {
        SwapMemory(other);
        std::swap(m_size, other.m_size);
    }
    // Gives the memory beyond the elements back to the system (the room stays reserved).
    void Trim() { Release(m_size * sizeof(T)); }
    // Bytes of memory held (the reservation, of which only pages written are resident).
    std::size_t CapacityBytes() const { return m_mapped; }
    void Clear()
    {
        Release();
        m_size = 0;
    }

private:
    static constexpr std::size_t kMax = static_cast<std::size_t>(-1) / 2 / sizeof(T);
    std::size_t Capacity() const { return m_mapped / sizeof(T); }
    static std::size_t GrowthFor(std::size_t n) { return n < kMax / 2 ? n * 2 : n; }
    // Doubles the room (pages not yet written cost nothing), or takes just n when twice as
    // much cannot be had.
    bool GrowFor(std::size_t n)
    {
        return Grow(GrowthFor(n) * sizeof(T)) || (GrowthFor(n) != n && Grow(n * sizeof(T)));
    }

    std::size_t m_size = 0;
};
