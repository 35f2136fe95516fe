#include "platform/KTModule.h"

#include "platform/KTProgramFolders.h"

#include <QFileInfo>
#include <QLibrary>
#include <QStringList>

#include <map>
#include <mutex>
#include <string>

namespace {

std::mutex& LoadedMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::map<std::string, QString>& Loaded()
{
    static std::map<std::string, QString> loaded;
    return loaded;
}

} // namespace

QLibrary* KTModule::Load(const char* fileName, const char* builtPath)
{
    QStringList places;
    for (const QString& folder : KTProgramFolders::ModuleFolders())
        places << folder + QLatin1Char('/') + QLatin1String(fileName);
    if (builtPath)
        places << QString::fromLocal8Bit(builtPath);
    for (const QString& place : places) {
        if (!QFileInfo::exists(place))
            continue;
        auto* library = new QLibrary(place);
        if (library->load()) {
            const std::lock_guard<std::mutex> lock(LoadedMutex());
            Loaded()[fileName] = QFileInfo(place).absoluteFilePath();
            return library;
        }
        delete library;
    }
    return nullptr;
}

QString KTModule::LoadedFile(const char* fileName)
{
    const std::lock_guard<std::mutex> lock(LoadedMutex());
    const auto it = Loaded().find(fileName);
    return it == Loaded().end() ? QString() : it->second;
}
