#pragma once

#include "ZrCoreLib/ZrCoreArray.h"

// An array of pointers that owns its pointees: an element is deleted when it
// is removed, replaced, cut off by SetSize or when the array is destroyed.
// Detach hands one back without deleting it. Not copyable (two owners would
// delete twice); movable.
template <typename T, bool Plain = true> class ZrOwnedPtrArray : public ZrCoreArray<T*, T*, Plain> {
    using Base = ZrCoreArray<T*, T*, Plain>;

public:
    ZrOwnedPtrArray() = default;
    ZrOwnedPtrArray(const ZrOwnedPtrArray&) = delete;
    ZrOwnedPtrArray& operator=(const ZrOwnedPtrArray&) = delete;
    ZrOwnedPtrArray(ZrOwnedPtrArray&& other) noexcept : Base() { this->SwapStorage(other); }
    ZrOwnedPtrArray& operator=(ZrOwnedPtrArray&& other) noexcept {
        if (this != &other) {
            RemoveAll();
            this->SwapStorage(other);
        }
        return *this;
    }
    ~ZrOwnedPtrArray() { DeleteRange(0, this->m_count); }

    // Takes ownership of p; returns its index.
    int Add(T* p) {
        this->InsertCopies(this->m_count, 1, p);
        return this->m_count - 1;
    }
    void InsertAt(int index, T* p) {
        if (index < 0) index = 0;
        if (index > this->m_count) index = this->m_count;
        this->InsertCopies(index, 1, p);
    }
    // Deletes the old pointee unless it is p itself.
    void SetAt(int index, T* p) {
        T*& slot = this->ElementAt(index);
        if (slot != p) delete slot;
        slot = p;
    }
    void RemoveAt(int index, int count = 1) {
        if (index < 0 || index >= this->m_count || count <= 0) return;
        if (count > this->m_count - index) count = this->m_count - index;
        DeleteRange(index, index + count);
        this->RemoveSlots(index, count);
    }
    // Removes the element without deleting it and returns it.
    T* Detach(int index) {
        if (index < 0 || index >= this->m_count) return nullptr;
        T* p = (*this)[index];
        this->RemoveSlots(index, 1);
        return p;
    }
    void RemoveAll() {
        DeleteRange(0, this->m_count);
        this->FreeAll();
    }
    // Shrinking deletes the cut-off pointees; growing adds null pointers.
    void SetSize(int n, bool exact = false) {
        if (n < 0) n = 0;
        if (n < this->m_count) DeleteRange(n, this->m_count);
        Base::SetSize(n, exact, true, true);
    }

    int Find(const T* p) const {
        for (int i = 0; i < this->m_count; ++i) {
            if ((*this)[i] == p) return i;
        }
        return -1;
    }

    // Read access only: assigning through a reference would bypass ownership.
    T* operator[](int i) const { return Base::operator[](i); }
    T* GetAt(int i) const { return Base::operator[](i); }

private:
    void DeleteRange(int from, int to) {
        for (int i = from; i < to; ++i) {
            delete this->ElementAt(i);
            this->ElementAt(i) = nullptr;
        }
    }
};
