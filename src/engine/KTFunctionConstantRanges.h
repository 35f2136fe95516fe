#pragma once
// The ranges of the five family constants, in the order a, b, c, d, m: the evaluator reads the
// current value of range 0 for the token a, ..., 4 for m.

#include "engine/KTFunctionConstantRange.h"
#include "platform/KTObject.h"

#include <array>

class KTArchive;

/// Index of each family constant's range.
enum KTConstantIndex : int {
    KTConstantA = 0,
    KTConstantB = 1,
    KTConstantC = 2,
    KTConstantD = 3,
    KTConstantM = 4,
};

class KTFunctionConstantRanges : public KTObject
{
public:
    static constexpr int Count = 5;

    KTFunctionConstantRanges() = default;

    /// The range of the constant, or nullptr when the index lies outside 0..4.
    KTFunctionConstantRange* At(int index);
    const KTFunctionConstantRange* At(int index) const;
    /// Current value of the constant; 0.0 when the index lies outside 0..4.
    double Current(int index) const;
    /// Index of the first range that is a family, -1 when none.
    int FirstFamily() const;

    virtual void CopyFrom(const KTFunctionConstantRanges& other);
    /// The five ranges in order, 160 bytes, no tag. A short archive throws and leaves every
    /// range unchanged.
    void Serialize(KTArchive& ar) override;

    friend bool operator==(const KTFunctionConstantRanges& a, const KTFunctionConstantRanges& b)
    {
        return a.m_range == b.m_range;
    }

    std::array<KTFunctionConstantRange, Count> m_range{};
};
