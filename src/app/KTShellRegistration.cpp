#include "app/KTShellRegistration.h"

#include "ui/KTResources.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QSvgRenderer>

#include <algorithm>

namespace {

QString DataHome()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(bytes);
    return file.commit();
}

bool WriteText(const QString& path, const QString& text)
{
    return WriteBytes(path, text.toUtf8());
}

// The icon's drawing at the size (0: the drawing itself), as the file's bytes; empty on failure.
QByteArray IconBytes(int size)
{
    QFile drawing(KTResources::IconPath(QString::fromLatin1(KTResources::ApplicationIconName)));
    if (!drawing.open(QIODevice::ReadOnly))
        return {};
    const QByteArray svg = drawing.readAll();
    if (size == 0)
        return svg;
    QSvgRenderer renderer(svg);
    if (!renderer.isValid())
        return {};
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter, QRectF(0, 0, size, size));
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    return image.save(&buffer, "PNG") ? png : QByteArray();
}

// Every icon file, the drawing first.
QList<int> AllIconSizes()
{
    QList<int> sizes{0};
    for (int size : KTShellRegistration::IconSizes)
        sizes.append(size);
    return sizes;
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

// The value of the key ("Exec", "Icon") in the file's [Desktop Entry] group, or a null text
// when it has none.
QString ValueOf(const QString& entry, QLatin1String key)
{
    bool inGroup = false;
    for (const QString& raw : entry.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == QLatin1String("[Desktop Entry]");
        } else if (inGroup && line.startsWith(key)) {
            const QString rest = line.mid(key.size()).trimmed();
            if (rest.startsWith(QLatin1Char('=')))
                return rest.mid(1).trimmed();
        }
    }
    return QString();
}

// Whether the entry runs the command and shows the icon of `mine`.
bool SameProgram(const QString& entry, const QString& mine)
{
    for (const char* key : {"Exec", "Icon"})
        if (ValueOf(entry, QLatin1String(key)) != ValueOf(mine, QLatin1String(key)))
            return false;
    return true;
}

QString ReadText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
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

QString KTShellRegistration::IconPath(int size)
{
    const QString folder = size == 0 ? QStringLiteral("scalable") : QStringLiteral("%1x%1").arg(size);
    return DataHome() + QStringLiteral("/icons/hicolor/") + folder + QStringLiteral("/apps/") +
           QLatin1String(KTResources::ApplicationIconName) +
           (size == 0 ? QStringLiteral(".svg") : QStringLiteral(".png"));
}

QString KTShellRegistration::DesktopEntryText(const QString& programPath)
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=KT Graph 3\n"
                          "GenericName=Graph Plotter\n"
                          "Comment=Draw graphs of functions and relations\n"
                          "Exec=%1 %f\n"
                          "Icon=%3\n"
                          "MimeType=%2;\n"
                          "Categories=Education;Math;\n"
                          "Terminal=false\n")
        .arg(QuoteExec(programPath), QLatin1String(MimeType),
             QLatin1String(KTResources::ApplicationIconName));
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
    // An entry whose command is another program's (this one moved, or an older copy wrote it)
    // would open the user's files with something that is not there, and one without the icon
    // shows none: it is written anew.
    const QString entry = DesktopEntryText(programPath);
    if (!QFileInfo::exists(DesktopEntryPath()) || !SameProgram(ReadText(DesktopEntryPath()), entry)) {
        ok = WriteText(DesktopEntryPath(), entry) && ok;
        wrote = true;
    }
    for (int size : AllIconSizes()) {
        if (!QFileInfo::exists(IconPath(size))) {
            const QByteArray bytes = IconBytes(size);
            ok = !bytes.isEmpty() && WriteBytes(IconPath(size), bytes) && ok;
            wrote = true;
        }
    }
    if (wrote && ok)
        RefreshCaches();
    return ok;
}

bool KTShellRegistration::UnregisterShellFileTypes()
{
    QStringList paths{DesktopEntryPath(), MimeTypePath()};
    for (int size : AllIconSizes())
        paths.append(IconPath(size));
    bool removed = false;
    for (const QString& path : paths) {
        if (QFileInfo::exists(path)) {
            QFile::remove(path);
            removed = true;
        }
    }
    if (removed)
        RefreshCaches();
    return std::none_of(paths.begin(), paths.end(),
                        [](const QString& path) { return QFileInfo::exists(path); });
}
