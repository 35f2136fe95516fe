#include "app/KTCompoundFile.h"

#include <QFile>
#include <QSaveFile>

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-utils.h>

#include <algorithm>
#include <mutex>

namespace {

constexpr std::uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

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

/// The family constants are a few kilobytes; anything beyond this is no such stream.
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

bool KTCompoundFile::HasSignature(const std::vector<std::uint8_t>& fileBytes)
{
    return fileBytes.size() >= sizeof kSignature &&
           std::equal(std::begin(kSignature), std::end(kSignature), fileBytes.begin());
}

KTCompoundFile::ReadResult KTCompoundFile::ParseContents(const std::vector<std::uint8_t>& fileBytes)
{
    ReadResult result;
    if (!HasSignature(fileBytes)) {
        result.ok = true;
        result.kind = Kind::Flat;
        result.contents = fileBytes;
        return result;
    }
    result.kind = Kind::Compound;
    auto fail = [&result](const char* reason) {
        result.ok = false;
        result.failure = Failure::Damaged;
        result.error = QString::fromLatin1(reason);
        result.contents.clear();
        result.hasConstantRanges = false;
        result.constantRanges.clear();
        return result;
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
    switch (ReadStream(storage.p, StreamName, MaxContentsSize, result.contents)) {
    case StreamRead::Read: break;
    case StreamRead::Missing: return fail("It holds no graph.");
    case StreamRead::TooLarge: return fail("Its graph is too large.");
    case StreamRead::Unreadable: return fail("Its graph cannot be read from its storage.");
    }
    // A ranges stream that cannot be read is still a ranges stream: the document is told, and
    // says so, rather than taking the file for one that never had any.
    result.hasConstantRanges =
        ReadStream(storage.p, RangesStreamName, kMaxRangesSize, result.constantRanges) != StreamRead::Missing;
    result.ok = true;
    return result;
}

KTCompoundFile::ReadResult KTCompoundFile::ReadContents(const QString& path)
{
    ReadResult failed;
    failed.failure = Failure::CannotOpen;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        failed.error = QStringLiteral("The file cannot be opened.");
        failed.detail = file.errorString();
        return failed;
    }
    if (static_cast<std::uint64_t>(file.size()) > MaxContentsSize + 1024u * 1024u) {
        failed.failure = Failure::Damaged;
        failed.error = QStringLiteral("It is too large to be a graph.");
        return failed;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        failed.error = QStringLiteral("The file cannot be read.");
        failed.detail = file.errorString();
        return failed;
    }
    return ParseContents(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

bool KTCompoundFile::BuildCompoundFile(const std::vector<std::uint8_t>& contents,
                                       std::vector<std::uint8_t>& out,
                                       const std::vector<std::uint8_t>* constantRanges)
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
    bool ok = WriteStream(storage.p, StreamName, contents);
    if (ok && constantRanges)
        ok = WriteStream(storage.p, RangesStreamName, *constantRanges);
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

bool KTCompoundFile::WriteContents(const QString& path, const std::vector<std::uint8_t>& contents,
                                   QString& error, const std::vector<std::uint8_t>* constantRanges)
{
    std::vector<std::uint8_t> bytes;
    if (!BuildCompoundFile(contents, bytes, constantRanges)) {
        error = QStringLiteral("The compound file could not be built.");
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
        return false;
    }
    const qint64 written =
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    if (written != static_cast<qint64>(bytes.size())) {
        error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}
