#pragma once
// The range of one family constant (a, b, c, d or m): the value the evaluator uses now, and the
// from/to/step over which a family of curves steps it.

#include "platform/KTObject.h"

class KTArchive;

class KTFunctionConstantRange : public KTObject
{
public:
    /// No family is drawn with more members than this; longer ranges are cut after it.
    static constexpr int MaxMembers = 1000;

    KTFunctionConstantRange() = default;
    KTFunctionConstantRange(double from, double to, double step, double current)
        : m_from(from), m_to(to), m_step(step), m_current(current)
    {
    }

    /// True when from < to, both finite, the step finite and positive, and (to - from) / step
    /// is finite and above 1 (from 1 to 2 by 1 is no family: it would have two members only
    /// by the whole-step rule).
    bool IsFamily() const;
    /// Members drawn: the whole part of (to - from) / step plus one, with a rounding allowance
    /// so that a "to" reached by k steps is a member, at most MaxMembers; 0 when no family.
    int MemberCount() const;
    /// Member k (0-based) is from + k * step, never above "to" (a last member that rounding
    /// pushes past "to" is "to" itself). k is clamped into 0..MemberCount()-1; with no family
    /// it is "from".
    double MemberValue(int k) const;
    /// The value that stepping leaves in "current" after the last member: the first step above
    /// "to", from + n * step with n the uncut member count. With no family, "from".
    double ValueAfterFamily() const;

    virtual void CopyFrom(const KTFunctionConstantRange& other);
    /// The four doubles in field order, 8 bytes each, no tag. A short archive throws and leaves
    /// the range unchanged.
    void Serialize(KTArchive& ar) override;

    friend bool operator==(const KTFunctionConstantRange& a, const KTFunctionConstantRange& b)
    {
        return a.m_from == b.m_from && a.m_to == b.m_to && a.m_step == b.m_step && a.m_current == b.m_current;
    }

    double m_from = 1.0;
    double m_to = 1.0;
    double m_step = 0.0;
    double m_current = 1.0; ///< the value the evaluator reads now

private:
    /// The whole number of steps from "from" to "to" (with the rounding allowance), as a double
    /// so that a huge count cannot overflow; negative when no family.
    double StepsToEnd() const;
};
