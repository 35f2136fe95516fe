#pragma once
// One line of the update check's versions file: "VER;product;name;major;minor;download;whatsnew".
// Separators are read as the framework's tokenizer reads them: leading ";" are skipped and a run
// of ";" counts as one, so an empty field is no field.

#include "platform/CString.h"

#include <QUrl>

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

    /// The web page an address of the file names, or an invalid address when it names none: only
    /// an absolute "http://" or "https://" address (in lower case) with a host, no user name, and
    /// nothing but printable ASCII without spaces counts, written as it is read (the page opened is
    /// the address, character for character). The file comes from the network: a damaged or
    /// forged one must not make a click open a local file or another program.
    static QUrl WebPage(const CString& address);
};
