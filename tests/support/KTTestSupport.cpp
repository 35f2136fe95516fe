#include "support/KTTestSupport.h"

#include "platform/KTLocale.h"
#include "platform/KTMessageBox.h"

#include <QCoreApplication>
#include <QDir>

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

LocaleScope::LocaleScope(char decimal, char list, int country)
{
    KTLocale::Override(decimal, list, country);
}

LocaleScope::~LocaleScope()
{
    KTLocale::ClearOverride();
}

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

QString PictureFolder(const char* name)
{
    const QString folder = QCoreApplication::applicationDirPath() + "/" + name;
    QDir().mkpath(folder);
    return folder;
}

QImage WhiteImage(int width, int height, int dotsPerMetre)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    image.fill(Qt::white);
    return image;
}

int CountPixelsOfColour(const QImage& image, QRgb colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF))
                ++count;
    return count;
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
