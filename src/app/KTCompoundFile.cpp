#include "app/KTCompoundFile.h"

#include "app/KTCompoundStorage.h"
#include "platform/KTModule.h"
#include "platform/KTSaveFile.h"

#include <QFile>
#include <QLibrary>

#include <algorithm>
#include <mutex>

namespace {

constexpr std::uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

struct Storage
{
    std::mutex mutex;
    bool tried = false;
    KTCompoundFile::StorageRead read = nullptr;
    KTCompoundFile::StorageBuild build = nullptr;
    /// Why the module could not be loaded, when it could not.
    QString failure;
};

Storage& TheStorage()
{
    static Storage storage;
    return storage;
}

// The storage's functions, loading the module the first time; null read and build (with the
// reason in failure) when the module cannot be loaded or is of another build.
void LoadStorage(KTCompoundFile::StorageRead& read, KTCompoundFile::StorageBuild& build, QString* failure)
{
    Storage& storage = TheStorage();
    const std::lock_guard<std::mutex> lock(storage.mutex);
    if (!storage.tried) {
        storage.tried = true;
#ifdef KT_STORAGE_MODULE_PATH
        const char* built = KT_STORAGE_MODULE_PATH;
#else
        const char* built = nullptr;
#endif
        if (QLibrary* library = KTModule::Load(KTCompoundFile::StorageModuleName, built)) {
            using InterfaceFunction = int (*)();
            auto version = reinterpret_cast<InterfaceFunction>(library->resolve("KTCompoundStorageInterface"));
            if (version && version() == KTCompoundStorage::Interface) {
                storage.read = reinterpret_cast<KTCompoundFile::StorageRead>(library->resolve("KTCompoundStorageRead"));
                storage.build = reinterpret_cast<KTCompoundFile::StorageBuild>(library->resolve("KTCompoundStorageBuild"));
            }
            if (!storage.read || !storage.build) {
                storage.read = nullptr;
                storage.build = nullptr;
                storage.failure = QStringLiteral("%1 belongs to another version of the program.")
                                      .arg(library->fileName());
            }
        } else {
            storage.failure = QStringLiteral("%1 is missing or cannot be loaded.")
                                  .arg(QLatin1String(KTCompoundFile::StorageModuleName));
        }
    }
    read = storage.read;
    build = storage.build;
    if (failure)
        *failure = storage.failure;
}

} // namespace

void KTCompoundFile::UseStorage(StorageRead read, StorageBuild build)
{
    Storage& storage = TheStorage();
    const std::lock_guard<std::mutex> lock(storage.mutex);
    storage.tried = true;
    storage.read = read;
    storage.build = build;
    storage.failure.clear();
}

bool KTCompoundFile::IsStorageLoaded()
{
    Storage& storage = TheStorage();
    const std::lock_guard<std::mutex> lock(storage.mutex);
    return storage.read != nullptr;
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
    StorageRead read = nullptr;
    StorageBuild build = nullptr;
    QString failure;
    LoadStorage(read, build, &failure);
    if (!read) {
        // Not the file's fault: the program is missing a part of itself.
        result.failure = Failure::CannotOpen;
        result.error = QStringLiteral("The program's reader of compound files cannot be loaded: %1").arg(failure);
        return result;
    }
    read(fileBytes, result);
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
                                       const std::vector<std::uint8_t>* constantRanges,
                                       const std::vector<std::uint8_t>* separators)
{
    out.clear();
    StorageRead read = nullptr;
    StorageBuild build = nullptr;
    LoadStorage(read, build, nullptr);
    if (!build || !build(contents, constantRanges, separators, out)) {
        out.clear();
        return false;
    }
    return true;
}

bool KTCompoundFile::WriteContents(const QString& path, const std::vector<std::uint8_t>& contents,
                                   QString& error, const std::vector<std::uint8_t>* constantRanges,
                                   const std::vector<std::uint8_t>* separators)
{
    std::vector<std::uint8_t> bytes;
    if (!BuildCompoundFile(contents, bytes, constantRanges, separators)) {
        error = QStringLiteral("The compound file could not be built.");
        StorageRead read = nullptr;
        StorageBuild build = nullptr;
        QString failure;
        LoadStorage(read, build, &failure);
        if (!failure.isEmpty())
            error = QStringLiteral("The program's writer of compound files cannot be loaded: %1").arg(failure);
        return false;
    }
    const KTSaveResult saved = KTWriteWholeFile(path, bytes.data(), bytes.size());
    if (!saved.Ok())
        error = saved.cause;
    return saved.Ok();
}
