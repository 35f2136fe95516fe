#pragma once
// One line of the update check's versions file: "VER;product;name;major;minor;download;whatsnew".
// Separators are read as the framework's tokenizer reads them: leading ";" are skipped and a run
// of ";" counts as one, so an empty field is no field.

#include "platform/CString.h"

#include <cstdint>

struct KTVersionRecord
{
    CString m_tag;
    std::int32_t m_product = 0;
    CString m_displayName;
    std::int32_t m_major = 0;
    std::int32_t m_minor = 0;
    CString m_downloadPage;
    CString m_whatsNewPage;

    /// Resets the tag (empty) and the product (10), then reads the line's fields in order; the
    /// fields after the last one present keep their earlier values, so one record can be reused
    /// line after line. True when the first field is exactly "VER"; the product is then always
    /// read (a missing one reads 1, as the empty number text does).
    bool Parse(const CString& line);
};
