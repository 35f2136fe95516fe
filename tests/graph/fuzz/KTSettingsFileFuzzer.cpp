// libFuzzer harness over the settings-file reader: the bytes become a settings file, which the
// settings store reads and the graph options read their typed values from (numbers, switches,
// pens, brushes, fonts, texts), as the program does at start-up with the user's file and with a
// default-configuration file. Two properties must hold:
// - the file's text, written back and read again, gives the same text (the reader and the writer
//   agree on every line the reader keeps);
// - the options read, saved and read again, save the same text (no value changes on its way
//   through the file).
//
// Built only with -DKT_FUZZ=ON and clang; run from the build folder (new inputs go to corpus/,
// the seeds stay as they are):
//     cd build-fuzz && mkdir -p corpus && tests/graph/settings_file_fuzzer -max_total_time=60
//         corpus/ ../tests/data/graph/settings/
// Without KT_FUZZ the harness is built as settings_file_replay, which runs the seeds once.

#include "foundation/KTOptionStore.h"
#include "graph/KTOptionGraph3.h"
#include "platform/KTLocale.h"
#include "platform/KTMessageBox.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

std::string g_file;

// A store that reads and writes only the given file.
void UseFile(KTOptionStore& store, const std::string& path)
{
    store.m_location = -1; // keeps the path set here
    store.SetPath(CString(path));
}

std::string SavedText(KTOptionGraph3& options)
{
    KTOptionStore out;
    UseFile(out, g_file + ".missing");
    options.SaveSettings(out, false);
    return out.ToText();
}

void Check(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "settings file: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    KTLocale::UseCNumericLocale();
    KTSetMessageBoxHandler([](const CString&, const CString&, unsigned) { return IDOK; });
    g_file =
        (std::filesystem::temp_directory_path() / ("kt-settings-fuzz-" + std::to_string(getpid()) + ".ini"))
            .string();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    {
        std::ofstream file(g_file, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    KTOptionStore store;
    UseFile(store, g_file);
    KTOptionGraph3 options;
    options.SetDefaults();
    options.LoadSettings(store);

    const std::string text = store.ToText();
    KTIniFile again;
    again.MergeText(text);
    Check(again.ToText() == text, "the text written back reads as another text");

    const std::string saved = SavedText(options);
    KTOptionStore reread;
    UseFile(reread, g_file + ".missing");
    reread.MergeText(saved);
    KTOptionGraph3 next;
    next.SetDefaults();
    next.LoadSettings(reread);
    Check(SavedText(next) == saved, "the options read back save another text");
    return 0;
}
