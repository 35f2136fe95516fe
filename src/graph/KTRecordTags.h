#pragma once
// Strict reading of the tagged record form for the graph's own records: a record whose tag or
// version does not match, or whose end tag is missing, is a load error of the whole document
// (KTExceptionBase), never a silent half-read that leaves the stream in the middle of a record.

#include "platform/KTGdiTypes.h"

#include <cstddef>
#include <cstdint>

class KTArchive;

/// Reads the name and version; throws KTExceptionBase when the name is not `tag` or the
/// version is below `minimumVersion`. Returns the version.
WORD KTReadRecordBegin(KTArchive& ar, const char* tag, WORD minimumVersion);
/// Reads the end tag; throws KTExceptionBase when it is not "/tag/".
void KTReadRecordEnd(KTArchive& ar, const char* tag);
/// Throws KTArchiveException (BadFormat) when `count` items of at least `minimumBytes` each
/// cannot be held by the bytes left, so that nothing is allocated or looped for a damaged count.
void KTCheckRecordCount(const KTArchive& ar, std::uint32_t count, std::size_t minimumBytes);
