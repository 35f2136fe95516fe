#pragma once
// One word of a symbol dictionary: the name as typed, the text its token gets, and its kind.

#include "platform/CString.h"
#include "typeset/KTETokenKind.h"

#include <utility>

struct KTESymbolEntry
{
    CString name;
    CString code;
    KTETokenKind kind = TK_ERROR;

    friend void swap(KTESymbolEntry& a, KTESymbolEntry& b) noexcept
    {
        std::swap(a.name, b.name);
        std::swap(a.code, b.code);
        std::swap(a.kind, b.kind);
    }
};
