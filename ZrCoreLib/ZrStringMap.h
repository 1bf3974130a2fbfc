#pragma once

#include "ZrCoreLib/ZrMap.h"
#include "ZrCoreLib/ZrString.h"

// A hash map keyed by ZrString. Case-sensitive by default; constructed with
// noCase = true it hashes and compares keys by their lowered characters, so
// "VALUE" and "value" are one key (the key first stored is the one kept).
// The hash is h = h * 65599 + c over the characters (lowered when noCase).
template <typename VALUE, typename ARG_VALUE = const VALUE&>
class ZrStringMap : public ZrMap<ZrString, const wchar_t*, VALUE, ARG_VALUE, false> {
    using Base = ZrMap<ZrString, const wchar_t*, VALUE, ARG_VALUE, false>;

public:
    explicit ZrStringMap(bool noCase = false) : m_noCase(noCase) {}
    ZrStringMap(const ZrStringMap& other) : Base(other), m_noCase(other.m_noCase) {}
    ZrStringMap& operator=(const ZrStringMap& other) {
        if (this != &other) {
            // Case sensitivity is part of the map, not of its contents: the
            // copy takes the other map's layout, which its own rule produced.
            m_noCase = other.m_noCase;
            Base::operator=(other);
        }
        return *this;
    }

    bool IsNoCase() const { return m_noCase; }

protected:
    uint32_t HashKey(const wchar_t* key) const override {
        return m_noCase ? ZrString::HashNoCase(key, -1) : ZrString::Hash(key, -1);
    }
    bool CompareKeys(const ZrString& stored, const wchar_t* key) const override {
        return m_noCase ? stored.CompareNoCase(key) == 0 : stored.Compare(key) == 0;
    }

private:
    bool m_noCase;
};

// Convenience spelling of a case-insensitive ZrStringMap (reader properties,
// host field names).
template <typename VALUE, typename ARG_VALUE = const VALUE&>
class ZrStringMapNoCase : public ZrStringMap<VALUE, ARG_VALUE> {
public:
    ZrStringMapNoCase() : ZrStringMap<VALUE, ARG_VALUE>(true) {}
};
