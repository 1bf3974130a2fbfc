#pragma once

#include "ZrCoreLib/IZrQSortCompare.h"

#include <utility>

// In-place quicksort with the pivot taken as the median of the first, middle
// and last element. Not stable: elements that compare equal end in no defined
// order. The smaller side is sorted by recursion and the larger by iteration,
// so the stack depth stays logarithmic whatever the input.
template <typename T> class ZrQSort {
public:
    static void Sort(T* items, int count, const IZrQSortCompare<T>& cmp) {
        if (items == nullptr || count < 2) return;
        int lo = 0;
        int hi = count - 1;
        while (hi - lo >= kInsertionLimit) {
            const int mid = lo + (hi - lo) / 2;
            if (cmp.Compare(items[mid], items[lo]) < 0) std::swap(items[mid], items[lo]);
            if (cmp.Compare(items[hi], items[lo]) < 0) std::swap(items[hi], items[lo]);
            if (cmp.Compare(items[hi], items[mid]) < 0) std::swap(items[hi], items[mid]);
            const T pivot(items[mid]);
            int i = lo;
            int j = hi;
            while (i <= j) {
                // The bounds only matter for a comparator that is not a
                // consistent order; with one, the pivot stops both scans.
                while (i <= hi && cmp.Compare(items[i], pivot) < 0)
                    ++i;
                while (j >= lo && cmp.Compare(pivot, items[j]) < 0)
                    --j;
                if (i <= j) {
                    if (i != j) std::swap(items[i], items[j]);
                    ++i;
                    --j;
                }
            }
            if (j - lo < hi - i) {
                Sort(items + lo, j - lo + 1, cmp);
                lo = i;
            } else {
                Sort(items + i, hi - i + 1, cmp);
                hi = j;
            }
        }
        InsertionSort(items + lo, hi - lo + 1, cmp);
    }

private:
    // Below this many elements insertion sort beats further partitioning.
    static constexpr int kInsertionLimit = 12;

    static void InsertionSort(T* items, int count, const IZrQSortCompare<T>& cmp) {
        for (int i = 1; i < count; ++i) {
            if (cmp.Compare(items[i], items[i - 1]) >= 0) continue;
            T moving(std::move(items[i]));
            int j = i;
            for (; j > 0 && cmp.Compare(moving, items[j - 1]) < 0; --j) {
                items[j] = std::move(items[j - 1]);
            }
            items[j] = std::move(moving);
        }
    }
};
