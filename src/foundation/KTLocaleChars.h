#pragma once

/// The user's decimal and list separator characters, read afresh at construction so that a
/// change of the user's settings shows in the next number formatted. Build one on the stack
/// wherever the separators are needed; nothing caches it.
class KTLocaleChars
{
public:
    KTLocaleChars();

    /// Stores the first character of the user's decimal separator in m_chDecimal.
    void ReadDecimal();
    /// Stores the first character of the user's list separator in m_chList.
    void ReadList();

    char m_chDecimal = 0;
    char m_chList = 0;
};
