#include "app/KTCompoundFile.h"

#include "platform/KTModule.h"

#include <QFile>
#include <QLibrary>
#include <QSaveFile>

#include <algorithm>
#include <mutex>
#include <string>

namespace {

constexpr std::uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

using ReadFunction = bool (*)(const std::vector<std::uint8_t>&, const char*, std::uint64_t,
                              std::vector<std::uint8_t>&, std::string&);
using BuildFunction = bool (*)(const std::vector<std::uint8_t>&, const char*, std::vector<std::uint8_t>&);

// The storage library is a module of its own (KTCompoundStorageModule.cpp), loaded at the first
// compound file: a start of the program reads none.
struct Storage
{
    ReadFunction read = nullptr;
    BuildFunction build = nullptr;
};

Storage& Loaded()
{
    static Storage storage;
    return storage;
}

const Storage& TheStorage()
{
    Storage& storage = Loaded();
    static std::once_flag once;
    std::call_once(once, [&storage] {
#ifdef KT_STORAGE_MODULE_PATH
        const char* built = KT_STORAGE_MODULE_PATH;
#else
        const char* built = nullptr;
#endif
        if (QLibrary* library = KTModule::Load(KTCompoundFile::StorageModuleName, built)) {
            storage.read = reinterpret_cast<ReadFunction>(library->resolve("KTCompoundStorageRead"));
            storage.build = reinterpret_cast<BuildFunction>(library->resolve("KTCompoundStorageBuild"));
        }
    });
    return storage;
}

const char* const kNoStorage = "The program's reader of compound files is missing.";

} // namespace

bool KTCompoundFile::IsStorageLoaded()
{
    return Loaded().read != nullptr;
}

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
    const Storage& storage = TheStorage();
    if (!storage.read) {
        result.error = QString::fromLatin1(kNoStorage);
        return result;
    }
    std::string error;
    if (!storage.read(fileBytes, StreamName, MaxContentsSize, result.contents, error)) {
        result.contents.clear();
        result.error = QString::fromStdString(error);
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
    const Storage& storage = TheStorage();
    if (!storage.build || !storage.build(contents, StreamName, out)) {
        out.clear();
        return false;
    }
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
