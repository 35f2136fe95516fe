#include "platform/KTModule.h"

#include <QFileInfo>
#include <QLibrary>
#include <QStringList>

QLibrary* KTModule::Load(const char* fileName, const char* builtPath)
{
    // The program's own file, also where no application object exists (a fuzzing harness).
    const QString programFolder =
        QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).path();
    QStringList places{programFolder + QLatin1Char('/') + QLatin1String(fileName)};
    if (builtPath)
        places << QString::fromLocal8Bit(builtPath);
    for (const QString& place : places) {
        if (!QFileInfo::exists(place))
            continue;
        auto* library = new QLibrary(place);
        if (library->load())
            return library;
        delete library;
    }
    return nullptr;
}
