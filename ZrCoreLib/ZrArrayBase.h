#pragma once

#include <cstdint>

// Bookkeeping shared by every array: element count, capacity and growth step,
// and the one growth rule they all follow. Element storage and element
// handling live in ZrCoreArray.
class ZrArrayBase {
public:
    // Growth step meaning "automatic": capacities 4, 64, 256, 1024, 4096,
    // 16384, 65536, then 65536 beyond the request.
    static constexpr int kAutoGrow = -1;

    int GetCount() const { return m_count; }
    int GetSize() const { return m_count; }
    bool IsEmpty() const { return m_count == 0; }
    int GetCapacity() const { return m_capacity; }
    int GetUpperBound() const { return m_count - 1; }

    // g > 0: capacities grow to the smallest multiple of g above the request;
    // anything else restores automatic growth.
    void SetGrowBy(int g) { m_growBy = g > 0 ? g : kAutoGrow; }
    int GetGrowBy() const { return m_growBy; }

    // Capacity chosen when `count` elements no longer fit.
    static int GrowCapacity(int count, int growBy) {
        if (growBy > 0) {
            const int64_t cap = (static_cast<int64_t>(count) / growBy + 1) * growBy;
            return cap > INT32_MAX ? INT32_MAX : static_cast<int>(cap);
        }
        // Steps by a factor of 4 to 16 keep small arrays small and make the
        // number of reallocations logarithmic; beyond 65536 elements the
        // headroom stays at a fixed 65536 to bound the waste.
        static constexpr int kSteps[] = {4, 64, 256, 1024, 4096, 16384, 65536};
        for (int s : kSteps) {
            if (count <= s) return s;
        }
        return count > INT32_MAX - 65536 ? INT32_MAX : count + 65536;
    }

protected:
    ZrArrayBase() = default;
    ~ZrArrayBase() = default;

    int m_count = 0;
    int m_capacity = 0;
    int m_growBy = kAutoGrow;
};
