#pragma once
// Helpers shared by every test executable.

#include "platform/CString.h"

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

void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);
std::string ReadFileBytes(const std::filesystem::path& path);

} // namespace kttest
