#include "foundation/KTLocaleChars.h"

#include "platform/KTLocale.h"

KTLocaleChars::KTLocaleChars()
{
    ReadDecimal();
    ReadList();
}

void KTLocaleChars::ReadDecimal()
{
    m_chDecimal = KTLocale::DecimalSeparator();
}

void KTLocaleChars::ReadList()
{
    m_chList = KTLocale::ListSeparator();
}
