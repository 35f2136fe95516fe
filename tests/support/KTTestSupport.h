#pragma once
// Helpers shared by every test executable.

#include "platform/CString.h"

#include <QImage>
#include <QString>

#include <filesystem>
#include <vector>

namespace kttest {

struct RecordedMessageBox
{
    CString caption;
    CString text;
    unsigned type;
};

/// Records every message box shown while it lives, answering with the given result.
class MessageBoxRecorder
{
public:
    explicit MessageBoxRecorder(int answer = 1);
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    const std::vector<RecordedMessageBox>& Boxes() const { return m_boxes; }

private:
    std::vector<RecordedMessageBox> m_boxes;
};

/// Pins the user's separators and country while it lives; the system's come back afterwards.
class LocaleScope
{
public:
    /// Point decimals, "," between list items, an English-speaking country (1).
    LocaleScope() : LocaleScope('.', ',', 1) {}
    /// The separators with a country that writes numbers so: 49 for decimal commas, else 1.
    LocaleScope(char decimal, char list) : LocaleScope(decimal, list, decimal == ',' ? 49 : 1) {}
    LocaleScope(char decimal, char list, int country);
    ~LocaleScope();
    LocaleScope(const LocaleScope&) = delete;
    LocaleScope& operator=(const LocaleScope&) = delete;
};

/// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    /// The folder as a text ending in "/".
    CString Folder() const;
    std::filesystem::path File(const char* name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

/// Folder of the test data files (tests/data).
std::filesystem::path DataDir();

/// A folder of the name beside the test executable, made when missing, for pictures that a
/// person looks at.
QString PictureFolder(const char* name);
/// A white RGB image of the size and resolution (7874 dots per metre are 200 per inch).
QImage WhiteImage(int width, int height, int dotsPerMetre);
/// How many pixels have the colour, alpha aside.
int CountPixelsOfColour(const QImage& image, QRgb colour);

void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);
std::string ReadFileBytes(const std::filesystem::path& path);

} // namespace kttest
