#pragma once

#include "ZrCoreLib/ZrCoreArray.h"

#include <utility>

// A growable array with value semantics: copying an array copies its
// elements. ARG_T is how elements are passed in (const T& for records and
// strings, T for numbers); Plain selects byte-wise element handling.
template <typename T, typename ARG_T = const T&, bool Plain = std::is_trivially_copyable_v<T>>
class ZrArray : public ZrCoreArray<T, ARG_T, Plain> {
    using Base = ZrCoreArray<T, ARG_T, Plain>;

public:
    ZrArray() = default;
    ZrArray(const ZrArray& other) : Base() { Copy(other); }
    ZrArray(ZrArray&& other) noexcept : Base() { this->SwapStorage(other); }
    ZrArray& operator=(const ZrArray& other) {
        if (this != &other) Copy(other);
        return *this;
    }
    ZrArray& operator=(ZrArray&& other) noexcept {
        if (this != &other) {
            this->FreeAll();
            this->SwapStorage(other);
        }
        return *this;
    }

    // Appends and returns the new element's index.
    int Add(ARG_T value) {
        this->InsertCopies(this->m_count, 1, value);
        return this->m_count - 1;
    }
    // Inserts `count` copies before index; an index beyond the end first pads
    // the array with default elements up to it.
    void InsertAt(int index, ARG_T value, int count = 1) {
        if (index < 0) index = 0;
        if (index > this->m_count) {
            T copy(value); // may live inside the array, which SetSize can move
            this->SetSize(index);
            this->InsertCopies(index, count, copy);
            return;
        }
        this->InsertCopies(index, count, value);
    }
    // Removes up to count elements from index; out-of-range parts are ignored.
    void RemoveAt(int index, int count = 1) {
        if (index < 0 || index >= this->m_count || count <= 0) return;
        if (count > this->m_count - index) count = this->m_count - index;
        this->RemoveSlots(index, count);
    }
    // Removes every element and frees the block.
    void RemoveAll() { this->FreeAll(); }

    void SetAt(int index, ARG_T value) { (*this)[index] = value; }
    // Sets the element at index, growing the array when index is past the end.
    void SetAtGrow(int index, ARG_T value) {
        if (index < 0) return;
        if (index >= this->m_count) {
            T copy(value);
            this->SetSize(index + 1);
            (*this)[index] = std::move(copy);
        } else {
            (*this)[index] = value;
        }
    }

    // Index of the first element equal to value at or after start, or -1.
    int Find(ARG_T value, int start = 0) const {
        for (int i = start < 0 ? 0 : start; i < this->m_count; ++i) {
            if ((*this)[i] == value) return i;
        }
        return -1;
    }

    // Appends every element of other (which may be this array).
    void Append(const ZrArray& other) {
        const int n = other.m_count;
        if (n == 0) return;
        this->Reserve(this->m_count + n);
        for (int i = 0; i < n; ++i)
            Add(other[i]);
    }
    void Copy(const ZrArray& other) {
        if (this == &other) return;
        this->SetSize(0);
        this->SetGrowBy(other.GetGrowBy());
        this->Reserve(other.m_count);
        for (int i = 0; i < other.m_count; ++i)
            Add(other[i]);
    }

    T& GetLast() { return (*this)[this->m_count - 1]; }
    const T& GetLast() const { return (*this)[this->m_count - 1]; }

    void Swap(ZrArray& other) noexcept { this->SwapStorage(other); }
};
