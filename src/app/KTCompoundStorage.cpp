#include "app/KTCompoundStorage.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-utils.h>

#include <mutex>

namespace {

// The class identifier of the document type, {5B1E7C42-3A90-4D6E-8F21-C4D7A9E03B16}, in the
// byte order the storage keeps it.
constexpr guint8 kClassId[16] = {0x42, 0x7C, 0x1E, 0x5B, 0x90, 0x3A, 0x6E, 0x4D,
                                 0x8F, 0x21, 0xC4, 0xD7, 0xA9, 0xE0, 0x3B, 0x16};

// libgsf reports every flaw of a damaged file on the terminal; the reader reports the failure
// itself, so its chatter is dropped.
void DropGsfMessages(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

void InitGsf()
{
    static std::once_flag once;
    std::call_once(once, [] {
        gsf_init();
        const auto levels =
            static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK | G_LOG_FLAG_FATAL | G_LOG_FLAG_RECURSION);
        for (const char* domain : {"libgsf", "libgsf:msole", "libgsf:utils"})
            g_log_set_handler(domain, static_cast<GLogLevelFlags>(levels & ~G_LOG_LEVEL_ERROR),
                              DropGsfMessages, nullptr);
    });
}

// Owns one GObject reference.
template <typename T> struct GsfRef
{
    T* p = nullptr;
    explicit GsfRef(T* object) : p(object) {}
    ~GsfRef()
    {
        if (p)
            g_object_unref(p);
    }
    GsfRef(const GsfRef&) = delete;
    GsfRef& operator=(const GsfRef&) = delete;
    explicit operator bool() const { return p != nullptr; }
};

// The library's own words about a failure, taken and freed.
QString TakeErrorText(GError* error)
{
    QString text = error && error->message ? QString::fromUtf8(error->message) : QString();
    if (error)
        g_error_free(error);
    return text;
}

/// The family constants are a few kilobytes, the separators a few bytes; anything beyond this is
/// no such stream.
constexpr std::size_t kMaxRangesSize = 64u * 1024u;

enum class StreamRead { Read, Missing, TooLarge, Unreadable };

StreamRead ReadStream(GsfInfile* storage, const char* name, std::size_t limit,
                      std::vector<std::uint8_t>& bytes)
{
    bytes.clear();
    GsfRef<GsfInput> stream(gsf_infile_child_by_name(storage, name));
    if (!stream)
        return StreamRead::Missing;
    const gsf_off_t size = gsf_input_size(stream.p);
    if (size < 0 || static_cast<std::uint64_t>(size) > limit)
        return StreamRead::TooLarge;
    bytes.resize(static_cast<std::size_t>(size));
    if (size > 0 && !gsf_input_read(stream.p, static_cast<size_t>(size), bytes.data())) {
        bytes.clear();
        return StreamRead::Unreadable;
    }
    return StreamRead::Read;
}

bool WriteStream(GsfOutfile* storage, const char* name, const std::vector<std::uint8_t>& bytes)
{
    GsfRef<GsfOutput> stream(gsf_outfile_new_child(storage, name, FALSE));
    if (!stream)
        return false;
    bool ok = true;
    if (!bytes.empty())
        ok = gsf_output_write(stream.p, bytes.size(), bytes.data());
    return gsf_output_close(stream.p) && ok;
}

} // namespace

void KTCompoundStorage::Read(const std::vector<std::uint8_t>& fileBytes, KTCompoundFile::ReadResult& result)
{
    result.kind = KTCompoundFile::Kind::Compound;
    auto fail = [&result](const char* reason) {
        result.ok = false;
        result.failure = KTCompoundFile::Failure::Damaged;
        result.error = QString::fromLatin1(reason);
        result.contents.clear();
        result.hasConstantRanges = false;
        result.constantRanges.clear();
        result.hasSeparators = false;
        result.separators.clear();
    };
    InitGsf();
    GsfRef<GsfInput> source(
        gsf_input_memory_new(fileBytes.data(), static_cast<gsf_off_t>(fileBytes.size()), FALSE));
    if (!source)
        return fail("Its storage cannot be read.");
    GError* error = nullptr;
    GsfRef<GsfInfile> storage(gsf_infile_msole_new(source.p, &error));
    const QString libraryWords = TakeErrorText(error);
    if (!storage) {
        // The library's words ("Inconsistent block allocation table") mean nothing to a user:
        // they follow the program's own only as a detail.
        result.detail = libraryWords;
        return fail("Its storage is damaged.");
    }
    switch (ReadStream(storage.p, KTCompoundFile::StreamName, KTCompoundFile::MaxContentsSize, result.contents)) {
    case StreamRead::Read: break;
    case StreamRead::Missing: return fail("It holds no graph.");
    case StreamRead::TooLarge: return fail("Its graph is too large.");
    case StreamRead::Unreadable: return fail("Its graph cannot be read from its storage.");
    }
    // A ranges stream that cannot be read is still a ranges stream: the document is told, and
    // says so, rather than taking the file for one that never had any.
    result.hasConstantRanges =
        ReadStream(storage.p, KTCompoundFile::RangesStreamName, kMaxRangesSize, result.constantRanges) !=
        StreamRead::Missing;
    result.hasSeparators = ReadStream(storage.p, KTCompoundFile::SeparatorsStreamName, kMaxRangesSize,
                                      result.separators) != StreamRead::Missing;
    result.ok = true;
    result.failure = KTCompoundFile::Failure::None;
}

bool KTCompoundStorage::Build(const std::vector<std::uint8_t>& contents,
                              const std::vector<std::uint8_t>* constantRanges,
                              const std::vector<std::uint8_t>* separators, std::vector<std::uint8_t>& out)
{
    out.clear();
    InitGsf();
    GsfRef<GsfOutput> sink(gsf_output_memory_new());
    if (!sink)
        return false;
    GsfRef<GsfOutfile> storage(gsf_outfile_msole_new(sink.p));
    if (!storage)
        return false;
    gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(storage.p), kClassId);
    bool ok = WriteStream(storage.p, KTCompoundFile::StreamName, contents);
    if (ok && constantRanges)
        ok = WriteStream(storage.p, KTCompoundFile::RangesStreamName, *constantRanges);
    if (ok && separators)
        ok = WriteStream(storage.p, KTCompoundFile::SeparatorsStreamName, *separators);
    ok = gsf_output_close(GSF_OUTPUT(storage.p)) && ok;
    if (!gsf_output_is_closed(sink.p))
        ok = gsf_output_close(sink.p) && ok;
    if (!ok)
        return false;
    const guint8* bytes = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink.p));
    const gsf_off_t size = gsf_output_size(sink.p);
    if (!bytes || size <= 0)
        return false;
    out.assign(bytes, bytes + size);
    return true;
}
