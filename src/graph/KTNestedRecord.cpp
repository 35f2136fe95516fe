#include "graph/KTNestedRecord.h"

#include "engine/KTExceptionBase.h"
#include "platform/KTArchive.h"
#include "platform/KTObject.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

/// Reads the begin tag from a copy of the next few bytes, so that the real stream stays where it
/// is for the record's own reader. A name longer than ours cannot match: the copy holds the
/// bytes of a name of our length (one length byte, the name, the version) and no more.
bool BeginTagMatches(const KTArchive& ar, const char* tag, WORD minimumVersion)
{
    const std::size_t wanted = std::strlen(tag) + 3;
    const std::size_t count = std::min(wanted, ar.Remaining());
    const auto begin = ar.Data().begin() + static_cast<std::ptrdiff_t>(ar.Position());
    KTArchive peek(std::vector<std::uint8_t>(begin, begin + static_cast<std::ptrdiff_t>(count)));
    try {
        WORD version = 0;
        return peek.ReadBeginTag(tag, version) && version >= minimumVersion;
    } catch (const KTArchiveException&) {
        if (ar.Remaining() < wanted)
            throw; // the archive itself ends here
        return false;
    }
}

/// True when the bytes just before the current position are the end tag's string form.
bool EndTagPrecedes(const KTArchive& ar, const char* tag)
{
    const std::size_t nameLength = std::strlen(tag) + 2;
    if (nameLength > 254 || ar.Position() < nameLength + 1)
        return false;
    const std::uint8_t* end = ar.Data().data() + ar.Position();
    const std::uint8_t* start = end - nameLength - 1;
    return start[0] == nameLength && start[1] == '/' && end[-1] == '/' &&
           std::memcmp(start + 2, tag, nameLength - 2) == 0;
}

} // namespace

void KTSerializeNested(KTArchive& ar, KTObject& record, const char* tag, WORD minimumVersion)
{
    if (ar.IsStoring()) {
        record.Serialize(ar);
        return;
    }
    if (!BeginTagMatches(ar, tag, minimumVersion))
        throw KTExceptionBase();
    record.Serialize(ar);
    if (!EndTagPrecedes(ar, tag))
        throw KTExceptionBase();
}
