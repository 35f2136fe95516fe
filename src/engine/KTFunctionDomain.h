#pragma once
// The plotted domain of one function and how each end of the curve is drawn. A plain value
// record: interpretation fills it from the domain part, sampling and drawing read copies.

#include "engine/ASTokenKind.h"

#include <cmath>

struct KTFunctionDomain
{
    // Line-end codes of the two ends (the painters' codes).
    static constexpr int EndNone = 10;
    static constexpr int EndUnbounded = 11; ///< an arrow when arrows are shown
    static constexpr int EndOpen = 17;      ///< a white circle
    static constexpr int EndClosed = 25;    ///< a filled circle

    static constexpr double DefaultLow = -100000000.0;
    static constexpr double DefaultHigh = 10000000.0; // not 1e8: stored files and drawing rely on it
    /// The default of y = f(x) and x = f(y): stands for "no domain typed", however wide the view.
    static constexpr double ExplicitDefaultLow = -100000.0;
    static constexpr double ExplicitDefaultHigh = 100000.0;

    /// 0 the interval form names no variable; -1 it names more than one; else the variable's
    /// token kind (1 x, 2 y, 3 nameless, 5 t, 6 theta).
    static constexpr int VariableNone = 0;
    static constexpr int VariableSeveral = -1;

    friend bool operator==(const KTFunctionDomain&, const KTFunctionDomain&) = default;

    /// Does the value lie within the ends that bound it? An open end (17) excludes its value, a
    /// closed one (25) includes it; any other end code leaves that side unbounded. NaN never lies
    /// within.
    bool Holds(double v) const
    {
        if (std::isnan(v))
            return false;
        const bool aboveLow = m_lowEnd == EndOpen ? v > m_low : m_lowEnd != EndClosed || v >= m_low;
        const bool belowHigh = m_highEnd == EndOpen ? v < m_high : m_highEnd != EndClosed || v <= m_high;
        return aboveLow && belowHigh;
    }
    bool LowBounded() const { return m_lowEnd == EndOpen || m_lowEnd == EndClosed; }
    bool HighBounded() const { return m_highEnd == EndOpen || m_highEnd == EndClosed; }

    unsigned char m_valid = 1; ///< 0 when the domain part could not be read
    double m_low = DefaultLow;
    double m_high = DefaultHigh;
    int m_lowEnd = EndUnbounded;
    int m_highEnd = EndUnbounded;
    ASTokenKind m_variable = VariableNone;
};
