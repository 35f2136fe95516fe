// libFuzzer harness over the versions file of the update check, which comes from the network: the
// bytes become the downloaded file, which the check reads (any encoding KTTextReader knows) into
// records, keeps those of this product that are newer than the own version, and offers their
// addresses to the notice's buttons. What must hold, whatever the bytes:
// - every record kept is of this product and newer than the own version, and the records kept for
//   version 3.209 are, in order, among those kept for the lowest version there is;
// - an address is a web page only as an absolute http or https address of printable ASCII with a
//   host and no user name, and the page opened is that address unchanged;
// - what the notice says of an address that is not a web page is one short printable line.
//
// Built only with -DKT_FUZZ=ON and clang; run from the build folder (new inputs go to corpus/,
// the seeds stay as they are):
//     cd build-fuzz && mkdir -p corpus && tests/app/versions_file_fuzzer -max_total_time=60
//         corpus/ ../tests/data/app/versions/
// Without KT_FUZZ the harness is built as versions_file_replay, which runs the seeds once.

#include "app/KTCallHomeManager.h"
#include "app/KTUpdateAvailableDlg.h"
#include "app/KTVersionRecord.h"
#include "platform/KTLocale.h"

#include <QUrl>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::int32_t kProduct = 4;
constexpr std::int32_t kOwnMajor = 3;
constexpr std::int32_t kOwnMinor = 209;

std::string g_file;

void Check(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "versions file: %s\n", what);
        std::abort();
    }
}

void CheckAddress(const CString& address)
{
    const QUrl page = KTVersionRecord::WebPage(address);
    if (page.isValid()) {
        Check(address.Left(7) == "http://" || address.Left(8) == "https://", "a web page of another scheme");
        for (int i = 0; i < address.GetLength(); ++i) {
            const auto c = static_cast<unsigned char>(address.GetAt(i));
            Check(c > 0x20 && c < 0x7F, "a web page with a space or an unprintable character");
        }
        Check(!page.host().isEmpty() && page.userInfo().isEmpty(),
              "a web page without a host or with a user");
        Check(page.toString(QUrl::FullyEncoded) == address.ToQString(), "the page opened is not the address");
        return;
    }
    const CString text = KTUpdateAvailableDlg::NotAWebPageText(address);
    Check(text.GetLength() <= 160, "the refusal is not short");
    for (int i = 0; i < text.GetLength(); ++i) {
        const auto c = static_cast<unsigned char>(text.GetAt(i));
        Check(c >= 0x20 && c != 0x7F, "the refusal holds an unprintable character");
    }
}

bool SameRecord(const KTVersionRecord& a, const KTVersionRecord& b)
{
    return a.m_tag == b.m_tag && a.m_product == b.m_product && a.m_displayName == b.m_displayName &&
           a.m_major == b.m_major && a.m_minor == b.m_minor && a.m_downloadPage == b.m_downloadPage &&
           a.m_whatsNewPage == b.m_whatsNewPage;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    KTLocale::UseCNumericLocale();
    g_file =
        (std::filesystem::temp_directory_path() / ("kt-versions-fuzz-" + std::to_string(getpid()) + ".txt"))
            .string();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    {
        std::ofstream file(g_file, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const CString path(g_file.c_str());
    const std::vector<KTVersionRecord> newer =
        KTCallHomeManager::FindUpdates(path, kProduct, kOwnMajor, kOwnMinor);
    const std::vector<KTVersionRecord> all = KTCallHomeManager::FindUpdates(
        path, kProduct, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::min());
    std::size_t next = 0;
    for (const KTVersionRecord& record : newer) {
        Check(record.m_tag == "VER" && record.m_product == kProduct, "a record of another product");
        Check(record.m_major > kOwnMajor || (record.m_major == kOwnMajor && record.m_minor > kOwnMinor),
              "a record that is not newer");
        while (next < all.size() && !SameRecord(all[next], record))
            ++next;
        Check(next < all.size(), "a newer record that the lowest version does not keep");
        ++next;
    }
    for (const KTVersionRecord& record : all) {
        CheckAddress(record.m_downloadPage);
        CheckAddress(record.m_whatsNewPage);
    }
    return 0;
}
