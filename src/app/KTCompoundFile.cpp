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

QString ErrorText(GError* error, const char* fallback)
{
    QString text = error && error->message ? QString::fromUtf8(error->message) : QString::fromUtf8(fallback);
    if (error)
        g_error_free(error);
    return text;
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
    InitGsf();
    GsfRef<GsfInput> source(
        gsf_input_memory_new(fileBytes.data(), static_cast<gsf_off_t>(fileBytes.size()), FALSE));
    if (!source) {
        result.error = QStringLiteral("The file cannot be read.");
        return result;
    }
    GError* error = nullptr;
    GsfRef<GsfInfile> storage(gsf_infile_msole_new(source.p, &error));
    if (!storage) {
        result.error = ErrorText(error, "The file is a damaged compound file.");
        return result;
    }
    if (error)
        g_error_free(error);
    GsfRef<GsfInput> stream(gsf_infile_child_by_name(storage.p, StreamName));
    if (!stream) {
        result.error = QStringLiteral("The file holds no graph.");
        return result;
    }
    const gsf_off_t size = gsf_input_size(stream.p);
    if (size < 0 || static_cast<std::uint64_t>(size) > MaxContentsSize) {
        result.error = QStringLiteral("The file's graph is too large.");
        return result;
    }
    result.contents.resize(static_cast<std::size_t>(size));
    if (size > 0 && !gsf_input_read(stream.p, static_cast<size_t>(size), result.contents.data())) {
        result.contents.clear();
        result.error = QStringLiteral("The file's graph cannot be read.");
        return result;
    }
    result.ok = true;
    return result;
}

KTCompoundFile::ReadResult KTCompoundFile::ReadContents(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ReadResult result;
        result.error = file.errorString();
        return result;
    }
    if (static_cast<std::uint64_t>(file.size()) > MaxContentsSize + 1024u * 1024u) {
        ReadResult result;
        result.error = QStringLiteral("The file is too large to be a graph.");
        return result;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        ReadResult result;
        result.error = file.errorString();
        return result;
    }
    return ParseContents(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

bool KTCompoundFile::BuildCompoundFile(const std::vector<std::uint8_t>& contents,
                                       std::vector<std::uint8_t>& out)
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
    bool ok = true;
    {
        GsfRef<GsfOutput> stream(gsf_outfile_new_child(storage.p, StreamName, FALSE));
        if (!stream)
            return false;
        if (!contents.empty())
            ok = gsf_output_write(stream.p, contents.size(), contents.data());
        ok = gsf_output_close(stream.p) && ok;
    }
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
                                   QString& error)
{
    std::vector<std::uint8_t> bytes;
    if (!BuildCompoundFile(contents, bytes)) {
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
