#include "platform/KTProgramFolders.h"

#include <QDir>
#include <QFileInfo>

// The build gives the layout it installs; a build without install rules has none.
#ifndef KT_INSTALL_MODULE_DIR
#define KT_INSTALL_MODULE_DIR "../lib/ktgraph3"
#endif
#ifndef KT_INSTALL_DATA_DIR
#define KT_INSTALL_DATA_DIR "../share/ktgraph3"
#endif

QString KTProgramFolders::ProgramFolder()
{
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).path();
}

QString KTProgramFolders::InstalledModuleFolder()
{
    return QStringLiteral(KT_INSTALL_MODULE_DIR);
}

QString KTProgramFolders::InstalledDataFolder()
{
    return QStringLiteral(KT_INSTALL_DATA_DIR);
}

QStringList KTProgramFolders::ModuleFolders()
{
    const QString program = ProgramFolder();
    return {QDir::cleanPath(program + QLatin1Char('/') + InstalledModuleFolder()), program};
}

QString KTProgramFolders::DataFolder()
{
    const QString program = ProgramFolder();
    const QString installed = QDir::cleanPath(program + QLatin1Char('/') + InstalledDataFolder());
    return (QFileInfo(installed).isDir() ? installed : program) + QLatin1Char('/');
}
