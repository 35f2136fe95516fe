#include "foundation/KTTextSeparators.h"

#include "foundation/KTLocaleChars.h"

#include <cstring>
#include <string>

KTTextSeparators KTTextSeparators::User()
{
    const KTLocaleChars locale;
    KTTextSeparators separators;
    separators.m_decimal = locale.m_chDecimal ? locale.m_chDecimal : '.';
    separators.m_list = locale.m_chList ? locale.m_chList : ',';
    separators.m_part = PartSeparatorFor(separators.m_list);
    return separators;
}

char KTTextSeparators::PartSeparatorFor(char list)
{
    return list == ';' ? ':' : ';';
}

bool KTTextSeparators::IsUsable() const
{
    const auto known = [](char ch) { return ch != 0 && std::strchr(".,;:", ch) != nullptr; };
    return known(m_decimal) && known(m_list) && known(m_part) && m_decimal != m_list && m_decimal != m_part &&
           m_list != m_part;
}

CString KTTextSeparators::Translate(const CString& text, const KTTextSeparators& from,
                                    const KTTextSeparators& to)
{
    if (from == to || !from.IsUsable() || !to.IsUsable())
        return text;
    std::string translated = text.str();
    // All at once: "," becoming ";" must not then become ":".
    for (char& ch : translated) {
        if (ch == from.m_decimal)
            ch = to.m_decimal;
        else if (ch == from.m_list)
            ch = to.m_list;
        else if (ch == from.m_part)
            ch = to.m_part;
    }
    return CString(std::move(translated));
}
