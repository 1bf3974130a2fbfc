#pragma once

#include "ZrCoreLib/ZrArray.h"

#include <type_traits>

// A plain array of numbers, passed by value (frame offsets, sample counts).
template <typename T> class ZrNumberArray : public ZrArray<T, T, true> {
    static_assert(std::is_arithmetic_v<T>, "ZrNumberArray holds numbers");

public:
    ZrNumberArray() = default;

    // Index of the last element not greater than value in an ascending array,
    // or -1 when every element is greater (a binary search).
    int FindLastNotAbove(T value) const {
        int lo = 0;
        int hi = this->GetCount() - 1;
        int found = -1;
        while (lo <= hi) {
            const int mid = lo + (hi - lo) / 2;
            if ((*this)[mid] <= value) {
                found = mid;
                lo = mid + 1;
            } else {
                hi = mid - 1;
            }
        }
        return found;
    }
};
