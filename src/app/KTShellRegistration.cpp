#include "app/KTShellRegistration.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

QString DataHome()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

bool WriteText(const QString& path, const QString& text)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    file.write(text.toUtf8());
    return file.commit();
}

// The desktop's caches are refreshed in the background; a missing tool is no failure.
void RefreshCaches()
{
    const QString data = DataHome();
    const QString mimeTool = QStandardPaths::findExecutable(QStringLiteral("update-mime-database"));
    if (!mimeTool.isEmpty())
        QProcess::startDetached(mimeTool, {data + QStringLiteral("/mime")});
    const QString desktopTool = QStandardPaths::findExecutable(QStringLiteral("update-desktop-database"));
    if (!desktopTool.isEmpty())
        QProcess::startDetached(desktopTool, {data + QStringLiteral("/applications")});
}

// Quotes a path for the desktop entry's Exec key.
QString QuoteExec(const QString& path)
{
    QString quoted = path;
    for (const char* special : {"\\", "\"", "`", "$"})
        quoted.replace(QLatin1String(special), QLatin1String("\\") + QLatin1String(special));
    quoted.replace(QLatin1String("%"), QLatin1String("%%"));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace

QString KTShellRegistration::DesktopEntryPath()
{
    return DataHome() + QStringLiteral("/applications/ktgraph3.desktop");
}

QString KTShellRegistration::MimeTypePath()
{
    return DataHome() + QStringLiteral("/mime/packages/ktgraph3.xml");
}

QString KTShellRegistration::DesktopEntryText(const QString& programPath)
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=KT Graph 3\n"
                          "GenericName=Graph Plotter\n"
                          "Comment=Draw graphs of functions and relations\n"
                          "Exec=%1 %f\n"
                          "MimeType=%2;\n"
                          "Categories=Education;Math;\n"
                          "Terminal=false\n")
        .arg(QuoteExec(programPath), QLatin1String(MimeType));
}

QString KTShellRegistration::MimeTypeText()
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                          "  <mime-type type=\"%1\">\n"
                          "    <comment>KT Graph 3 Graph</comment>\n"
                          "    <sub-class-of type=\"application/x-ole-storage\"/>\n"
                          "    <glob pattern=\"*.kt3\"/>\n"
                          "  </mime-type>\n"
                          "</mime-info>\n")
        .arg(QLatin1String(MimeType));
}

bool KTShellRegistration::RegisterShellFileTypes(const QString& programPath)
{
    bool wrote = false;
    bool ok = true;
    if (!QFileInfo::exists(MimeTypePath())) {
        ok = WriteText(MimeTypePath(), MimeTypeText()) && ok;
        wrote = true;
    }
    if (!QFileInfo::exists(DesktopEntryPath())) {
        ok = WriteText(DesktopEntryPath(), DesktopEntryText(programPath)) && ok;
        wrote = true;
    }
    if (wrote && ok)
        RefreshCaches();
    return ok;
}

bool KTShellRegistration::UnregisterShellFileTypes()
{
    bool removed = false;
    for (const QString& path : {DesktopEntryPath(), MimeTypePath()}) {
        if (QFileInfo::exists(path)) {
            QFile::remove(path);
            removed = true;
        }
    }
    if (removed)
        RefreshCaches();
    return !QFileInfo::exists(DesktopEntryPath()) && !QFileInfo::exists(MimeTypePath());
}
