// The module of KTCompoundFile that reads and builds compound files with libgsf. It is loaded at
// the first compound file read or written, so that libgsf and the libraries it brings (GIO,
// GObject, libxml2 and theirs) do not load with the program. Its functions may be called from
// any thread, one at a time per call's data.

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-utils.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

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

std::string ErrorText(GError* error, const char* fallback)
{
    std::string text = error && error->message ? std::string(error->message) : std::string(fallback);
    if (error)
        g_error_free(error);
    return text;
}

} // namespace

/// The stream `streamName` of the compound file's bytes into `contents`; false with the reason
/// (UTF-8) in `error` when the storage cannot be read, has no such stream or one larger than
/// `maxSize`.
extern "C" __attribute__((visibility("default"))) bool
KTCompoundStorageRead(const std::vector<std::uint8_t>& fileBytes, const char* streamName,
                      std::uint64_t maxSize, std::vector<std::uint8_t>& contents, std::string& error)
{
    InitGsf();
    GsfRef<GsfInput> source(
        gsf_input_memory_new(fileBytes.data(), static_cast<gsf_off_t>(fileBytes.size()), FALSE));
    if (!source) {
        error = "The file cannot be read.";
        return false;
    }
    GError* failure = nullptr;
    GsfRef<GsfInfile> storage(gsf_infile_msole_new(source.p, &failure));
    if (!storage) {
        error = ErrorText(failure, "The file is a damaged compound file.");
        return false;
    }
    if (failure)
        g_error_free(failure);
    GsfRef<GsfInput> stream(gsf_infile_child_by_name(storage.p, streamName));
    if (!stream) {
        error = "The file holds no graph.";
        return false;
    }
    const gsf_off_t size = gsf_input_size(stream.p);
    if (size < 0 || static_cast<std::uint64_t>(size) > maxSize) {
        error = "The file's graph is too large.";
        return false;
    }
    contents.resize(static_cast<std::size_t>(size));
    if (size > 0 && !gsf_input_read(stream.p, static_cast<size_t>(size), contents.data())) {
        contents.clear();
        error = "The file's graph cannot be read.";
        return false;
    }
    return true;
}

/// A compound file of the one stream `streamName` holding `contents`, into `out`; false when the
/// storage cannot be built.
extern "C" __attribute__((visibility("default"))) bool
KTCompoundStorageBuild(const std::vector<std::uint8_t>& contents, const char* streamName,
                       std::vector<std::uint8_t>& out)
{
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
        GsfRef<GsfOutput> stream(gsf_outfile_new_child(storage.p, streamName, FALSE));
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
