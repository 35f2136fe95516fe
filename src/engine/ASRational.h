#pragma once
// An exact fraction of two 32-bit integers, reduced with a table of the first 1000 primes, and
// the two free helpers CommonFactor and AlmostEqual.
//
// Arithmetic runs in 64-bit intermediates; a result that does not fit 32 bits after reduction,
// and a double that is not finite or lies outside the 32-bit range, throw ASLimitException
// instead of wrapping around. A zero denominator is not an error: its value is KTUndefinedValue.

#include "engine/ASRoot.h"

#include <cstdint>

class ASRational : public ASRoot
{
public:
    static constexpr ASNodeKind NodeKind = ASNodeKind::Rational;
    /// The largest 32-bit integer over ten: the bound of the decimal scaling.
    static constexpr std::int32_t PowerLimit = 214748364;

    ASRational() : ASRoot(NodeKind) {}
    explicit ASRational(double value) : ASRoot(NodeKind) { SetFromDouble(value); }
    /// Stores both unchanged, without reducing.
    ASRational(std::int32_t numerator, std::int32_t denominator)
        : ASRoot(NodeKind), m_numerator(numerator), m_denominator(denominator)
    {
    }
    ASRational(const ASRational&) = default;
    ASRational& operator=(const ASRational&) = default;

    /// "%d" or "%d/%d", with "+" in front when the numerator is 0 or more.
    CString ToString() const override;
    /// One number token, or "(" numerator "\" denominator ")".
    void AppendTokens(ASTokenList& out) const override;

    /// Scales by powers of ten, rounds, and prefers a repeating-decimal reading when it is
    /// simpler (0.333333333 gives 1/3). Throws ASLimitException for a value that is not finite
    /// or whose rounded integer part leaves the 32-bit range.
    void SetFromDouble(double value);
    /// Stores both unchanged, without reducing.
    void Set(std::int32_t numerator, std::int32_t denominator);
    /// numerator / denominator; KTUndefinedValue when the denominator is 0.
    double Value() const;
    /// "3" or "1/2", no "+" sign.
    CString PlainText() const;
    /// Copies numerator and denominator only.
    void Assign(const ASRational& other);

    // Results are fresh, reduced, unpooled rationals; this is not changed.
    ASRational Add(double operand) const;
    ASRational Add(const ASRational& operand) const;
    ASRational Subtract(double operand) const;
    ASRational Subtract(const ASRational& operand) const;
    ASRational Multiply(double operand) const;
    ASRational Multiply(const ASRational& operand) const;
    /// Dividing by zero gives denominator 0.
    ASRational Divide(double operand) const;
    ASRational Divide(const ASRational& operand) const;

    bool IsZero() const { return m_numerator == 0; }
    bool EqualsDouble(double value) const;
    /// Field by field, without reducing: 1/2 and 2/4 differ.
    bool Equals(const ASRational& other) const
    {
        return m_numerator == other.m_numerator && m_denominator == other.m_denominator;
    }
    bool operator==(const ASRational& other) const { return Equals(other); }

    /// Lowest terms through the prime table, denominator positive; 0 denominators stay as they are.
    void Reduce();
    void Normalise() { Reduce(); }

    std::int32_t m_numerator = 0;   ///< carries the sign
    std::int32_t m_denominator = 1; ///< positive after Reduce; 0 means undefined

private:
    static ASRational FromWide(std::int64_t numerator, std::int64_t denominator);
};

/// The product of the table primes dividing both |a| and |b| (1 when none).
std::int32_t CommonFactor(std::int32_t a, std::int32_t b);

/// |a - b| <= tolerance.
bool AlmostEqual(double a, double b, double tolerance);
