#pragma once

#include <cstdint>
#include <functional>
#include <type_traits>
#include <utility>

// A chained hash map. Each bucket is a singly linked chain; new keys go to the
// end of their chain. The hash and the key comparison are virtual so that a
// derived map (ZrStringMap) can choose case-insensitive keys.
//
// Growth: the first insertion creates 7 buckets; an insertion that would take
// the count above 2 x (buckets + 1) first rehashes for count + 1 entries.
// Rehashing picks 7 buckets below 8 entries, else 2^k - 1 for the smallest
// 2^k (k >= 3) above the target, and moves each node to the front of its new
// chain. Buckets never shrink until RemoveAll.
//
// Iteration (range-for or GetStartPosition/GetNextAssoc) visits buckets in
// order and each chain front to back; entries are not in insertion order.
// Plain is accepted for symmetry with the arrays: nodes are always
// constructed and destroyed element-wise.
template <typename KEY, typename ARG_KEY = const KEY&, typename VALUE = KEY,
          typename ARG_VALUE = const VALUE&, bool Plain = false>
class ZrMap {
public:
    struct Node {
        Node* next;
        KEY key;
        VALUE value;
    };
    // Opaque iteration position; null when iteration is over.
    using Position = const Node*;

    ZrMap() = default;
    // Copies keep the other map's bucket layout, so no key is rehashed (the
    // virtual hash cannot be called from a base constructor anyway).
    ZrMap(const ZrMap& other) { CopyFrom(other); }
    ZrMap(ZrMap&& other) noexcept { Swap(other); }
    ZrMap& operator=(const ZrMap& other) {
        if (this != &other) {
            RemoveAll();
            CopyFrom(other);
        }
        return *this;
    }
    ZrMap& operator=(ZrMap&& other) noexcept {
        if (this != &other) {
            RemoveAll();
            Swap(other);
        }
        return *this;
    }
    virtual ~ZrMap() { RemoveAll(); }

    int GetCount() const { return m_count; }
    int GetSize() const { return m_count; }
    bool IsEmpty() const { return m_count == 0; }
    int GetBucketCount() const { return m_bucketCount; }

    // Copies the value of key into value; false when the key is absent.
    bool Lookup(ARG_KEY key, VALUE& value) const {
        const Node* n = FindNode(key);
        if (n == nullptr) return false;
        value = n->value;
        return true;
    }
    // Pointer to the value stored under key, or null. Valid until the entry
    // is removed (rehashing moves nodes, not values).
    VALUE* Find(ARG_KEY key) { return FindValue(key); }
    const VALUE* Find(ARG_KEY key) const { return const_cast<ZrMap*>(this)->FindValue(key); }
    bool Contains(ARG_KEY key) const { return FindNode(key) != nullptr; }

    // The value under key, inserted default-constructed when absent.
    VALUE& operator[](ARG_KEY key) {
        if (VALUE* v = FindValue(key)) return *v;
        return Insert(key)->value;
    }
    void SetAt(ARG_KEY key, ARG_VALUE value) {
        if (VALUE* v = FindValue(key)) {
            *v = value;
        } else {
            // Copy first: value may refer into this map, and so may key.
            VALUE copy(value);
            Insert(key)->value = std::move(copy);
        }
    }

    bool RemoveKey(ARG_KEY key) {
        if (m_bucketCount < 1) return false;
        Node** link = &m_buckets[HashKey(key) % static_cast<uint32_t>(m_bucketCount)];
        for (Node* n = *link; n != nullptr; link = &n->next, n = n->next) {
            if (CompareKeys(n->key, key)) {
                *link = n->next;
                delete n;
                --m_count;
                return true;
            }
        }
        return false;
    }

    // Removes every entry and frees the buckets.
    void RemoveAll() {
        for (int b = 0; b < m_bucketCount; ++b) {
            for (Node* n = m_buckets[b]; n != nullptr;) {
                Node* next = n->next;
                delete n;
                n = next;
            }
        }
        delete[] m_buckets;
        m_buckets = nullptr;
        m_bucketCount = 0;
        m_count = 0;
    }

    // Rehashes for `target` entries, first scaled by 120 % when asked (room
    // for growth before the next rehash). Used on insertion and to presize.
    void Rehash(int target, bool scale = false) {
        if (scale) target = static_cast<int>(static_cast<int64_t>(target) * 120 / 100);
        int buckets = 7;
        if (target >= 8) {
            int64_t p = 8;
            while (p <= target)
                p <<= 1;
            buckets = static_cast<int>(p - 1);
        }
        Node** table = new Node*[static_cast<size_t>(buckets)]();
        for (int b = 0; b < m_bucketCount; ++b) {
            for (Node* n = m_buckets[b]; n != nullptr;) {
                Node* next = n->next;
                Node*& head = table[HashKey(n->key) % static_cast<uint32_t>(buckets)];
                n->next = head;
                head = n;
                n = next;
            }
        }
        delete[] m_buckets;
        m_buckets = table;
        m_bucketCount = buckets;
    }

    // Position-based iteration: while (pos) { GetNextAssoc(pos, k, v); ... }
    Position GetStartPosition() const { return NextNode(nullptr); }
    void GetNextAssoc(Position& pos, KEY& key, VALUE& value) const {
        key = pos->key;
        value = pos->value;
        pos = NextNode(pos);
    }

    template <bool Const> class Iterator {
    public:
        using MapPtr = std::conditional_t<Const, const ZrMap*, ZrMap*>;
        using NodeRef = std::conditional_t<Const, const Node&, Node&>;
        Iterator(MapPtr map, const Node* node) : m_map(map), m_node(node) {}
        NodeRef operator*() const { return *const_cast<Node*>(m_node); }
        std::remove_reference_t<NodeRef>* operator->() const { return &**this; }
        Iterator& operator++() {
            m_node = m_map->NextNode(m_node);
            return *this;
        }
        bool operator!=(const Iterator& o) const { return m_node != o.m_node; }
        bool operator==(const Iterator& o) const { return m_node == o.m_node; }

    private:
        MapPtr m_map;
        const Node* m_node;
    };
    // Range-for yields Node& with .key and .value; do not change .key.
    Iterator<false> begin() { return Iterator<false>(this, NextNode(nullptr)); }
    Iterator<false> end() { return Iterator<false>(this, nullptr); }
    Iterator<true> begin() const { return Iterator<true>(this, NextNode(nullptr)); }
    Iterator<true> end() const { return Iterator<true>(this, nullptr); }

    void Swap(ZrMap& other) noexcept {
        std::swap(m_count, other.m_count);
        std::swap(m_bucketCount, other.m_bucketCount);
        std::swap(m_buckets, other.m_buckets);
    }

protected:
    // Integral, enum and pointer keys hash to their value folded to 32 bits;
    // other key types use std::hash.
    virtual uint32_t HashKey(ARG_KEY key) const {
        using K = std::decay_t<KEY>;
        if constexpr (std::is_integral_v<K> || std::is_enum_v<K>) {
            const uint64_t v = static_cast<uint64_t>(key);
            return static_cast<uint32_t>(v ^ (v >> 32));
        } else if constexpr (std::is_pointer_v<K>) {
            // Heap pointers share their low bits; drop them.
            const uint64_t v = reinterpret_cast<uintptr_t>(key) >> 4;
            return static_cast<uint32_t>(v ^ (v >> 32));
        } else if constexpr (HasHashMember<K>::value) {
            return static_cast<uint32_t>(KeyOf(key).Hash());
        } else {
            return static_cast<uint32_t>(std::hash<K>()(KeyOf(key)));
        }
    }
    virtual bool CompareKeys(const KEY& stored, ARG_KEY key) const { return stored == key; }

    // Key types with their own Hash() (ZrString) use it.
    template <typename K, typename = void> struct HasHashMember : std::false_type {};
    template <typename K>
    struct HasHashMember<K, std::void_t<decltype(std::declval<const K&>().Hash())>>
        : std::true_type {};
    // ARG_KEY may be a different type (const wchar_t* for ZrString keys).
    static KEY KeyOf(ARG_KEY key) { return KEY(key); }

private:
    Node* FindNode(ARG_KEY key) const {
        if (m_bucketCount < 1) return nullptr;
        for (Node* n = m_buckets[HashKey(key) % static_cast<uint32_t>(m_bucketCount)]; n != nullptr;
             n = n->next) {
            if (CompareKeys(n->key, key)) return n;
        }
        return nullptr;
    }
    VALUE* FindValue(ARG_KEY key) {
        Node* n = FindNode(key);
        return n ? &n->value : nullptr;
    }

    // Appends a node for a key known to be absent.
    Node* Insert(ARG_KEY key) {
        KEY copy(key);
        if (m_bucketCount < 1 || m_count + 1 > 2 * (m_bucketCount + 1)) Rehash(m_count + 1);
        Node* node = new Node{nullptr, std::move(copy), VALUE()};
        Node** link = &m_buckets[HashKey(node->key) % static_cast<uint32_t>(m_bucketCount)];
        while (*link != nullptr)
            link = &(*link)->next;
        *link = node;
        ++m_count;
        return node;
    }

    // The node after `n` in iteration order (the first node when n is null).
    // Nodes do not record their bucket; the key's hash finds it again at the
    // end of each chain.
    const Node* NextNode(const Node* n) const {
        int b = 0;
        if (n != nullptr) {
            if (n->next != nullptr) return n->next;
            b = static_cast<int>(HashKey(n->key) % static_cast<uint32_t>(m_bucketCount)) + 1;
        }
        for (; b < m_bucketCount; ++b) {
            if (m_buckets[b] != nullptr) return m_buckets[b];
        }
        return nullptr;
    }

    void CopyFrom(const ZrMap& other) {
        if (other.m_bucketCount < 1) return;
        m_buckets = new Node*[static_cast<size_t>(other.m_bucketCount)]();
        m_bucketCount = other.m_bucketCount;
        for (int b = 0; b < other.m_bucketCount; ++b) {
            Node** link = &m_buckets[b];
            for (const Node* n = other.m_buckets[b]; n != nullptr; n = n->next) {
                *link = new Node{nullptr, n->key, n->value};
                link = &(*link)->next;
            }
        }
        m_count = other.m_count;
    }

    int m_count = 0;
    int m_bucketCount = 0;
    Node** m_buckets = nullptr;
};
