#include "support/KTTestSupport.h"

#include "platform/KTMessageBox.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

namespace kttest {

MessageBoxRecorder::MessageBoxRecorder(int answer)
{
    KTSetMessageBoxHandler([this, answer](const CString& caption, const CString& text, unsigned type) {
        m_boxes.push_back({caption, text, type});
        return answer;
    });
}

MessageBoxRecorder::~MessageBoxRecorder() { KTSetMessageBoxHandler({}); }

TempDir::TempDir()
{
    std::random_device rd;
    for (;;) {
        auto candidate = std::filesystem::temp_directory_path() / ("kt3test-" + std::to_string(rd()));
        if (std::filesystem::create_directory(candidate)) {
            m_path = candidate;
            break;
        }
    }
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

CString TempDir::Folder() const { return CString(m_path.string() + "/"); }

std::filesystem::path DataDir()
{
    const char* dir = std::getenv("KT_TEST_DATA");
    return dir ? std::filesystem::path(dir) : std::filesystem::path(KT_TEST_DATA_DIR);
}

void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace kttest
