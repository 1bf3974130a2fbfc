#pragma once

#include "ZrCoreLib/ZrStringMap.h"

// A ZrStringMap of pointers that owns its pointees: a value is deleted when
// its key is removed, when it is replaced by another pointer, and when the map
// is cleared or destroyed. Detach hands one back without deleting it. Not
// copyable.
template <typename T> class ZrOwnedPtrStringMap : public ZrStringMap<T*, T*> {
    using Base = ZrStringMap<T*, T*>;

public:
    explicit ZrOwnedPtrStringMap(bool noCase = false) : Base(noCase) {}
    ZrOwnedPtrStringMap(const ZrOwnedPtrStringMap&) = delete;
    ZrOwnedPtrStringMap& operator=(const ZrOwnedPtrStringMap&) = delete;
    ~ZrOwnedPtrStringMap() override { DeleteValues(); }

    // Takes ownership of p, deleting the pointee it replaces.
    void SetAt(const wchar_t* key, T* p) {
        if (T** slot = Base::Find(key)) {
            if (*slot != p) delete *slot;
            *slot = p;
        } else {
            Base::SetAt(key, p);
        }
    }
    bool RemoveKey(const wchar_t* key) {
        if (T** slot = Base::Find(key)) {
            delete *slot;
            *slot = nullptr;
        }
        return Base::RemoveKey(key);
    }
    // Removes the entry without deleting its pointee and returns it.
    T* Detach(const wchar_t* key) {
        T** slot = Base::Find(key);
        if (slot == nullptr) return nullptr;
        T* p = *slot;
        *slot = nullptr;
        Base::RemoveKey(key);
        return p;
    }
    void RemoveAll() {
        DeleteValues();
        Base::RemoveAll();
    }

    // The pointee under key, or null; ownership stays with the map.
    T* Get(const wchar_t* key) const {
        T* const* slot = Base::Find(key);
        return slot ? *slot : nullptr;
    }
    // Read access only: assigning through a reference would bypass ownership.
    T* operator[](const wchar_t* key) const { return Get(key); }

private:
    void DeleteValues() {
        for (auto& node : *this) {
            delete node.value;
            node.value = nullptr;
        }
    }
};
