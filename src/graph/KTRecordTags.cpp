#include "graph/KTRecordTags.h"

#include "engine/KTExceptionBase.h"
#include "platform/KTArchive.h"

#include <algorithm>

WORD KTReadRecordBegin(KTArchive& ar, const char* tag, WORD minimumVersion)
{
    WORD version = 0;
    if (!ar.ReadBeginTag(tag, version) || version < minimumVersion)
        throw KTExceptionBase();
    return version;
}

void KTReadRecordEnd(KTArchive& ar, const char* tag)
{
    if (!ar.ReadEndTag(tag))
        throw KTExceptionBase();
}

void KTCheckRecordCount(const KTArchive& ar, std::uint32_t count, std::size_t minimumBytes)
{
    if (count > ar.Remaining() / std::max<std::size_t>(1, minimumBytes))
        throw KTArchiveException(KTArchiveException::Cause::BadFormat, "record count exceeds the data");
}
