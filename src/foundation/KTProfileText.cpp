#include "foundation/KTProfileText.h"

#include "foundation/KTIniFile.h"

std::int32_t KTProfileTextReader::NextInt()
{
    const int comma = m_rest.Find(',');
    if (comma < 0)
        return 0;
    const CString field = m_rest.Left(comma);
    m_rest = m_rest.Mid(comma + 1);
    return KTAtoi(field);
}

COLORREF KTProfileTextReader::NextColor()
{
    const int red = NextInt();
    const int green = NextInt();
    const int blue = NextInt();
    return RGB(red, green, blue);
}

std::int32_t KTProfileTextReader::RestAsInt() const
{
    return KTAtoi(m_rest);
}

double KTProfileTextReader::RestAsDouble() const
{
    return KTStrToDoubleC(m_rest);
}
