#include "engine/ASRational.h"

#include "engine/ASLimitException.h"
#include "engine/ASTokenList.h"
#include "foundation/KTSentinelValues.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <numeric>

namespace {

constexpr int kPrimeCount = 1000;

// The first 1000 primes (2 .. 7919) and the end marker -1.
constexpr std::array<std::int32_t, kPrimeCount + 1> MakePrimeTable()
{
    std::array<std::int32_t, kPrimeCount + 1> table{};
    int found = 0;
    for (std::int32_t candidate = 2; found < kPrimeCount; ++candidate) {
        bool prime = true;
        for (int i = 0; i < found && table[i] * table[i] <= candidate; ++i) {
            if (candidate % table[i] == 0) {
                prime = false;
                break;
            }
        }
        if (prime)
            table[found++] = candidate;
    }
    table[kPrimeCount] = -1;
    return table;
}

constexpr auto kPrimes = MakePrimeTable();
static_assert(kPrimes[kPrimeCount - 1] == 7919);

constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();

bool FitsInt32(std::int64_t value)
{
    return value >= kInt32Min && value <= kInt32Max;
}

// Lowest terms through the prime table, then the two divisibility tests that catch a shared
// factor beyond the table when one side is a multiple of the other. The sign is carried apart
// from the magnitudes, so that 6/-3 becomes -2/1 and not 2/1.
void ReduceWide(std::int64_t& numerator, std::int64_t& denominator)
{
    if (denominator == 0)
        return; // undefined: stays as stored
    const bool negative = (numerator < 0) != (denominator < 0);
    std::int64_t n = numerator < 0 ? -numerator : numerator;
    std::int64_t d = denominator < 0 ? -denominator : denominator;
    for (int i = 0; kPrimes[i] != -1; ++i) {
        const std::int64_t p = kPrimes[i];
        if (p * p > 2 * n && p * p > 2 * d)
            break;
        if (d == 1)
            break;
        while (n % p == 0 && d % p == 0) {
            n /= p;
            d /= p;
        }
    }
    if (n % d == 0) {
        n /= d;
        d = 1;
    } else if (n != 0 && d % n == 0) {
        d /= n;
        n = 1;
    }
    numerator = negative && n != 0 ? -n : n;
    denominator = d;
}

} // namespace

ASRational ASRational::FromWide(std::int64_t numerator, std::int64_t denominator)
{
    ReduceWide(numerator, denominator);
    if (!FitsInt32(numerator) || !FitsInt32(denominator)) {
        // The table misses shared primes above 7919; only a result that would not fit otherwise
        // is worth the full search.
        const std::int64_t g = std::gcd(numerator, denominator);
        if (g > 1) {
            numerator /= g;
            denominator /= g;
        }
    }
    if (!FitsInt32(numerator) || !FitsInt32(denominator))
        throw ASLimitException(ASLimitException::Reason::IntegerRange);
    return ASRational(static_cast<std::int32_t>(numerator), static_cast<std::int32_t>(denominator));
}

CString ASRational::ToString() const
{
    CString text;
    if (m_denominator == 1)
        text.Format("%d", m_numerator);
    else
        text.Format("%d/%d", m_numerator, m_denominator);
    if (m_numerator >= 0)
        text = "+" + text;
    text.Remove(' ');
    return text;
}

void ASRational::AppendTokens(ASTokenList& out) const
{
    if (m_denominator == 1) {
        out.Append(ASKind::Number, m_numerator);
        return;
    }
    out.Append(ASKind::Open);
    out.Append(ASKind::Number, m_numerator);
    out.Append(ASKind::Divide);
    out.Append(ASKind::Number, m_denominator);
    out.Append(ASKind::Close);
}

void ASRational::SetFromDouble(double value)
{
    if (!std::isfinite(value))
        throw ASLimitException(ASLimitException::Reason::IntegerRange);
    std::int64_t scale = 1;
    double x = value;
    while (std::fabs(x) < PowerLimit && scale < PowerLimit) {
        x *= 10.0;
        scale *= 10;
    }
    // Rounded, not truncated: 0.123457 scales to 123456999.99..., which must read 123457000.
    const double rounded = std::round(x);
    if (rounded > static_cast<double>(kInt32Max) || rounded < static_cast<double>(kInt32Min))
        throw ASLimitException(ASLimitException::Reason::IntegerRange);
    std::int64_t numerator = static_cast<std::int64_t>(rounded);
    std::int64_t denominator = scale;

    // The same digits read as a repeating decimal: 333333333 / 999999999 is 1/3. The digits
    // are the truncated ones, as 666666666 / 999999999 is 2/3 where the rounded 666666667 is not.
    std::int64_t candidateNumerator = static_cast<std::int64_t>(std::trunc(x));
    std::int64_t candidateDenominator = scale - 1;
    ReduceWide(candidateNumerator, candidateDenominator);
    // 999999999 is 3^4 * 37 * 333667: the last factor lies beyond the prime table, and 2/3
    // (666666666 / 999999999) only comes out whole with the full common divisor.
    if (candidateDenominator > 1) {
        const std::int64_t g = std::gcd(candidateNumerator, candidateDenominator);
        candidateNumerator /= g;
        candidateDenominator /= g;
    }
    ReduceWide(numerator, denominator);
    if (candidateDenominator < denominator - 1 && FitsInt32(candidateNumerator)) {
        numerator = candidateNumerator;
        denominator = candidateDenominator;
    }
    m_numerator = static_cast<std::int32_t>(numerator);
    m_denominator = static_cast<std::int32_t>(denominator);
}

void ASRational::Set(std::int32_t numerator, std::int32_t denominator)
{
    m_numerator = numerator;
    m_denominator = denominator;
}

double ASRational::Value() const
{
    if (m_denominator == 0)
        return KTUndefinedValue;
    return static_cast<double>(m_numerator) / static_cast<double>(m_denominator);
}

CString ASRational::PlainText() const
{
    CString text;
    if (m_denominator == 1)
        text.Format("%d", m_numerator);
    else
        text.Format("%d/%d", m_numerator, m_denominator);
    return text;
}

void ASRational::Assign(const ASRational& other)
{
    m_numerator = other.m_numerator;
    m_denominator = other.m_denominator;
}

ASRational ASRational::Add(double operand) const
{
    return Add(ASRational(operand));
}

ASRational ASRational::Add(const ASRational& o) const
{
    const std::int64_t a = m_numerator, b = m_denominator, c = o.m_numerator, d = o.m_denominator;
    return FromWide(a * d + b * c, b * d);
}

ASRational ASRational::Subtract(double operand) const
{
    return Subtract(ASRational(operand));
}

ASRational ASRational::Subtract(const ASRational& o) const
{
    const std::int64_t a = m_numerator, b = m_denominator, c = o.m_numerator, d = o.m_denominator;
    return FromWide(a * d - b * c, b * d);
}

ASRational ASRational::Multiply(double operand) const
{
    return Multiply(ASRational(operand));
}

ASRational ASRational::Multiply(const ASRational& o) const
{
    const std::int64_t a = m_numerator, b = m_denominator, c = o.m_numerator, d = o.m_denominator;
    return FromWide(a * c, b * d);
}

ASRational ASRational::Divide(double operand) const
{
    return Divide(ASRational(operand));
}

ASRational ASRational::Divide(const ASRational& o) const
{
    const std::int64_t a = m_numerator, b = m_denominator, c = o.m_numerator, d = o.m_denominator;
    return FromWide(a * d, b * c);
}

bool ASRational::EqualsDouble(double value) const
{
    return Equals(ASRational(value));
}

void ASRational::Reduce()
{
    std::int64_t numerator = m_numerator;
    std::int64_t denominator = m_denominator;
    ReduceWide(numerator, denominator);
    // Only -2147483648 / -1 grows: its magnitude has no 32-bit form.
    if (!FitsInt32(numerator))
        throw ASLimitException(ASLimitException::Reason::IntegerRange);
    m_numerator = static_cast<std::int32_t>(numerator);
    m_denominator = static_cast<std::int32_t>(denominator);
}

std::int32_t CommonFactor(std::int32_t a, std::int32_t b)
{
    std::int64_t n = std::llabs(a);
    std::int64_t m = std::llabs(b);
    std::int64_t result = 1;
    for (int i = 0; kPrimes[i] != -1; ++i) {
        const std::int64_t p = kPrimes[i];
        if (2 * n < p * p && 2 * m < p * p)
            break;
        if (n == 1)
            break;
        // n = m = 0 ends above, so this loop always shrinks one of them.
        while (n % p == 0 && m % p == 0 && (n != 0 || m != 0)) {
            n /= p;
            m /= p;
            result *= p;
            if (result > kInt32Max)
                throw ASLimitException(ASLimitException::Reason::IntegerRange);
        }
    }
    return static_cast<std::int32_t>(result);
}

bool AlmostEqual(double a, double b, double tolerance)
{
    return std::fabs(a - b) <= tolerance;
}
