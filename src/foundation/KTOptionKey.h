#pragma once
// Where a typed option lives in the settings file (section and key) and its flag byte: the part
// that every kind of option shares.

#include "platform/CString.h"
#include "platform/KTGdiTypes.h"

class KTOptionKey
{
public:
    BYTE GetFlag() const { return m_flag; }
    const CString& GetKey() const { return m_key; }
    const CString& GetSection() const { return m_section; }

protected:
    KTOptionKey() = default;
    ~KTOptionKey() = default;

    void SetKey(const CString& section, const CString& key, BYTE flag)
    {
        m_section = section;
        m_key = key;
        m_flag = flag;
    }

    BYTE m_flag = 0;
    CString m_key;
    CString m_section;
};
