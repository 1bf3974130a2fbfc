#pragma once

// Ordering used by ZrQSort: negative when a goes first, positive when b goes
// first, 0 when their order does not matter.
template <typename T> class IZrQSortCompare {
public:
    virtual int Compare(const T& a, const T& b) const = 0;

protected:
    ~IZrQSortCompare() = default;
};
