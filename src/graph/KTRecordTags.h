#pragma once
// Strict reading of the tagged record form for the graph's own records: a record whose tag or
// version does not match, or whose end tag is missing, is a load error of the whole document
// (KTExceptionBase), never a silent half-read that leaves the stream in the middle of a record.

#include "platform/KTArchive.h"
#include "platform/KTGdiTypes.h"

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

/// Reads the name and version; throws KTExceptionBase when the name is not `tag` or the
/// version is below `minimumVersion`. Returns the version.
WORD KTReadRecordBegin(KTArchive& ar, const char* tag, WORD minimumVersion);
/// Reads the end tag; throws KTExceptionBase when it is not "/tag/".
void KTReadRecordEnd(KTArchive& ar, const char* tag);
/// Throws KTArchiveException (BadFormat) when `count` items of at least `minimumBytes` each
/// cannot be held by the bytes left, so that nothing is allocated or looped for a damaged count.
void KTCheckRecordCount(const KTArchive& ar, std::uint32_t count, std::size_t minimumBytes);

/// The tagged form of a list of records: the tag, the version, a uint32 count, then each record
/// in its own tagged form. Loading reads into one default record again and again, appends a
/// copy of it by assignment each time, and replaces `records` only once all were read, so a
/// failed read (the exceptions above) leaves them unchanged.
template <typename Record>
void KTSerializeRecordArray(KTArchive& ar, const char* tag, WORD version, std::vector<Record>& records)
{
    if (ar.IsStoring()) {
        ar.WriteBeginTag(tag, version);
        ar << static_cast<std::uint32_t>(records.size());
        for (Record& record : records)
            record.Serialize(ar);
        ar.WriteEndTag(tag);
        return;
    }

    KTReadRecordBegin(ar, tag, version);
    std::uint32_t count = 0;
    ar >> count;
    KTCheckRecordCount(ar, count, Record::MinimumArchiveSize());
    std::vector<Record> loaded;
    loaded.reserve(count);
    Record record;
    for (std::uint32_t i = 0; i < count; ++i) {
        record.Serialize(ar);
        loaded.emplace_back() = record;
    }
    KTReadRecordEnd(ar, tag);
    records = std::move(loaded);
}
