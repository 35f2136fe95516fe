// libFuzzer harness over the document loader: the bytes of a ".kt3" file go through the
// compound-file reader and the document's loader, as opening a file does (every stream: the
// archive, the constant ranges and the separators of its texts). A document that loads (whole, salvaged or
// through the older-file reader) must store and load again to the same bytes of both streams.
//
// Built only with -DKT_FUZZ=ON and clang; run with the seed corpus of tests/data/app/corpus and
// the leak suppressions of libgsf (see lsan.supp):
//     LSAN_OPTIONS=suppressions=tests/app/fuzz/lsan.supp \
//         build-fuzz/tests/app/document_fuzzer -max_total_time=600 corpus-copy/ tests/data/app/corpus/

#include "app/KTCompoundFile.h"
#include "app/KTCompoundStorage.h"
#include "app/KTG300Doc.h"
#include "platform/KTLocale.h"
#include "platform/KTMessageBox.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    KTLocale::UseCNumericLocale();
    // The storage is linked in, instrumented with the rest, rather than loaded as the program's
    // module.
    KTCompoundFile::UseStorage(&KTCompoundStorage::Read, &KTCompoundStorage::Build);
    KTSetMessageBoxHandler([](const CString&, const CString&, unsigned) { return IDOK; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::uint8_t> bytes(data, data + size);
    const KTCompoundFile::ReadResult file = KTCompoundFile::ParseContents(bytes);
    if (!file.ok)
        return 0;
    KTG300Doc document;
    if (document.LoadStreams(file) == KTG300Doc::LoadResult::Damaged)
        return 0;
    const std::vector<std::uint8_t> stored = document.StoreContents();
    const std::vector<std::uint8_t> ranges = document.StoreConstantRanges();
    KTG300Doc again;
    if (again.LoadContents(stored) != KTG300Doc::LoadResult::Current || again.StoreContents() != stored)
        std::abort();
    if (!again.LoadConstantRanges(ranges) || again.StoreConstantRanges() != ranges)
        std::abort();
    return 0;
}
