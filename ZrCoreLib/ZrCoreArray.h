#pragma once

#include "ZrCoreLib/ZrArrayBase.h"

#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

// The storage of the array family: one block of elements with the growth rule
// of ZrArrayBase. Plain (true) arrays hold trivially copyable elements
// (numbers, pointers) that are moved with byte copies and whose new slots are
// zero-filled on request; other arrays construct, copy and destroy elements
// one by one (ZrString, records).
template <typename T, typename ARG_T = const T&, bool Plain = std::is_trivially_copyable_v<T>>
class ZrCoreArray : public ZrArrayBase {
    static_assert(!Plain || std::is_trivially_copyable_v<T>,
                  "a plain array needs trivially copyable elements");

public:
    using value_type = T;

    ZrCoreArray() = default;
    ZrCoreArray(const ZrCoreArray&) = delete;
    ZrCoreArray& operator=(const ZrCoreArray&) = delete;
    ~ZrCoreArray() { FreeAll(); }

    // Resizes to n elements. When n exceeds the capacity, the new capacity is
    // n (exact) or follows the growth rule; the old elements are carried over
    // when keep is set. New slots are default-constructed; for plain elements
    // without a constructor of their own they are zeroed when zero is set and
    // left as they are otherwise. The capacity never shrinks.
    void SetSize(int n, bool exact = false, bool keep = true, bool zero = true) {
        if (n < 0) n = 0;
        if (n > m_capacity) {
            Reallocate(exact ? n : GrowCapacity(n, m_growBy), keep);
        } else if (!keep) {
            DestroyRange(0, m_count);
            m_count = 0;
        }
        if (n > m_count) {
            ConstructDefault(m_count, n, zero);
        } else {
            DestroyRange(n, m_count);
        }
        m_count = n;
    }

    // Ensures room for n elements without changing the count (exact size).
    void Reserve(int n) {
        if (n > m_capacity) Reallocate(n, true);
    }

    T* GetData() { return m_data; }
    const T* GetData() const { return m_data; }

    // Not range-checked: callers index within 0..GetCount()-1.
    T& operator[](int i) { return m_data[i]; }
    const T& operator[](int i) const { return m_data[i]; }
    T& ElementAt(int i) { return m_data[i]; }
    const T& GetAt(int i) const { return m_data[i]; }

    T* begin() { return m_data; }
    T* end() { return m_data + m_count; }
    const T* begin() const { return m_data; }
    const T* end() const { return m_data + m_count; }

protected:
    // Opens `n` slots at `index` (<= count) and returns with them constructed
    // from `value`. The value is copied first: it may live inside the array.
    void InsertCopies(int index, int n, ARG_T value) {
        if (n <= 0) return;
        T copy(value);
        const int oldCount = m_count;
        if (oldCount + n > m_capacity) {
            Reallocate(GrowCapacity(oldCount + n, m_growBy), true);
        }
        if constexpr (Plain) {
            memmove(static_cast<void*>(m_data + index + n), m_data + index,
                    static_cast<size_t>(oldCount - index) * sizeof(T));
            for (int i = 0; i < n; ++i)
                m_data[index + i] = copy;
        } else {
            // Move the tail up by n, constructing the slots beyond the old end.
            for (int i = oldCount - 1; i >= index; --i) {
                if (i + n >= oldCount) {
                    new (m_data + i + n) T(std::move(m_data[i]));
                } else {
                    m_data[i + n] = std::move(m_data[i]);
                }
            }
            for (int i = index; i < index + n; ++i) {
                if (i >= oldCount) {
                    new (m_data + i) T(copy);
                } else {
                    m_data[i] = copy;
                }
            }
        }
        m_count = oldCount + n;
    }

    // Removes n elements at index (both already clamped).
    void RemoveSlots(int index, int n) {
        if (n <= 0) return;
        if constexpr (Plain) {
            memmove(static_cast<void*>(m_data + index), m_data + index + n,
                    static_cast<size_t>(m_count - index - n) * sizeof(T));
        } else {
            for (int i = index; i + n < m_count; ++i)
                m_data[i] = std::move(m_data[i + n]);
            DestroyRange(m_count - n, m_count);
        }
        m_count -= n;
    }

    void FreeAll() {
        DestroyRange(0, m_count);
        ::operator delete(static_cast<void*>(m_data));
        m_data = nullptr;
        m_count = 0;
        m_capacity = 0;
    }

    void SwapStorage(ZrCoreArray& other) noexcept {
        std::swap(m_count, other.m_count);
        std::swap(m_capacity, other.m_capacity);
        std::swap(m_growBy, other.m_growBy);
        std::swap(m_data, other.m_data);
    }

private:
    void Reallocate(int capacity, bool keep) {
        if (static_cast<size_t>(capacity) > static_cast<size_t>(-1) / 2 / sizeof(T)) {
            throw std::bad_alloc();
        }
        T* block = static_cast<T*>(::operator new(static_cast<size_t>(capacity) * sizeof(T)));
        int kept = 0;
        if (keep) {
            // Callers only grow, so this never cuts; stating it keeps the
            // compiler's overflow analysis from guessing otherwise.
            kept = m_count < capacity ? m_count : capacity;
            if constexpr (Plain) {
                if (kept > 0) {
                    memcpy(static_cast<void*>(block), m_data,
                           static_cast<size_t>(kept) * sizeof(T));
                }
            } else {
                for (int i = 0; i < kept; ++i)
                    new (block + i) T(std::move(m_data[i]));
            }
        }
        DestroyRange(0, m_count);
        ::operator delete(static_cast<void*>(m_data));
        m_data = block;
        m_count = kept;
        m_capacity = capacity;
    }

    void ConstructDefault(int from, int to, bool zero) {
        if constexpr (Plain && std::is_trivially_default_constructible_v<T>) {
            if (zero && to > from) {
                memset(static_cast<void*>(m_data + from), 0,
                       static_cast<size_t>(to - from) * sizeof(T));
            }
        } else {
            // Records with member initialisers are trivially copyable but
            // must still start from their initialisers, not from zeros.
            (void)zero;
            for (int i = from; i < to; ++i) {
                new (m_data + i) T();
            }
        }
    }

    void DestroyRange(int from, int to) {
        if constexpr (!Plain) {
            for (int i = from; i < to; ++i)
                m_data[i].~T();
        } else {
            (void)from;
            (void)to;
        }
    }

    T* m_data = nullptr;
};
