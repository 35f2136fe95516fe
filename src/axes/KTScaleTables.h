#pragma once
// The fixed step tables of the axes: number texts, so that a step such as "pi/6" stays exact when
// labels are built from it. Each table ends with a sentinel text far above any range. The Quick
// Entry dialog offers its automatic steps from the same tables.

#include <cstddef>

/// One step table: count entries, the last of them the sentinel.
struct KTStepTable
{
    const char* const* entries;
    int count;

    const char* operator[](int i) const { return entries[static_cast<std::size_t>(i)]; }
    /// Index of the sentinel (the last entry).
    int Last() const { return count - 1; }
};

/// 1-2-5 steps "0.0000000001" .. "10000000000" (61 texts) and the sentinel 1e43.
extern const char* const KTScaleSteps[62];
/// Powers of ten "0.001" .. "10000000" (11 texts) and the sentinel 1e41.
extern const char* const KTPowerSteps[12];
/// Degree steps "10" .. "720" (9 texts) and the sentinel 1e41.
extern const char* const KTDegreeSteps[10];
/// Multiples of pi "pi/18" .. "4pi" (9 texts) and the sentinel 1e41.
extern const char* const KTPiSteps[10];
/// The typed maxima that select degree steps, each preceded by a blank and followed by a comma.
extern const char KTDegreeList[];

inline constexpr KTStepTable KTScaleStepTable{KTScaleSteps, 62};
inline constexpr KTStepTable KTPowerStepTable{KTPowerSteps, 12};
inline constexpr KTStepTable KTDegreeStepTable{KTDegreeSteps, 10};
inline constexpr KTStepTable KTPiStepTable{KTPiSteps, 10};
