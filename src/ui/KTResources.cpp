#include "ui/KTResources.h"

#include "ui/KTDrawingIcon.h"

#include <QFile>

void KTResources::Load()
{
    static const bool loaded = [] {
        Q_INIT_RESOURCE(ktgraph3);
        return true;
    }();
    (void)loaded;
}

QString KTResources::IconPath(const QString& name)
{
    Load();
    return QStringLiteral(":/icons/") + name + QStringLiteral(".svg");
}

QIcon KTResources::Icon(const QString& name)
{
    const QString path = IconPath(name);
    return QFile::exists(path) ? QIcon(new KTDrawingIcon(path)) : QIcon();
}

bool KTResources::HasDesktopIconTheme()
{
    const QString theme = QIcon::themeName();
    return !theme.isEmpty() && theme != QLatin1String("hicolor");
}

QIcon KTResources::ThemeIcon(const QString& themeName, const QString& name)
{
    // Without a desktop theme the search would go through every folder of "hicolor", thousands
    // of file checks at start-up, for pictures that theme does not hold.
    if (!HasDesktopIconTheme())
        return Icon(name);
    return QIcon::fromTheme(themeName, Icon(name));
}

QIcon KTResources::ApplicationIcon()
{
    return Icon(QString::fromLatin1(ApplicationIconName));
}

QUrl KTResources::SoundUrl(const QString& name)
{
    Load();
    return QUrl(QStringLiteral("qrc:/sounds/") + name + QStringLiteral(".wav"));
}
