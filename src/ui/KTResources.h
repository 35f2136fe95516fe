#pragma once
// The program's own pictures and sounds, compiled in from res/ktgraph3.qrc: SVG icons drawn for
// the toolbar and the windows, and the short sounds of the icon buttons.

#include <QIcon>
#include <QString>
#include <QUrl>

class KTResources
{
public:
    /// Our picture res/icons/<name>.svg, drawn afresh at every size asked of it; a null icon
    /// when there is no picture of that name.
    static QIcon Icon(const QString& name);
    /// The desktop icon theme's `themeName` where the theme has it, else our picture `name`.
    static QIcon ThemeIcon(const QString& themeName, const QString& name);
    /// Whether the desktop names an icon theme. Without one Qt falls back on "hicolor", which by
    /// the desktop's rules holds programs' own icons, not the standard pictures of commands.
    static bool HasDesktopIconTheme();
    /// The program's own icon: windows, the About box and the desktop entry.
    static QIcon ApplicationIcon();
    /// The file name of our picture `name` in the resources (":/icons/<name>.svg"); the file
    /// may not exist.
    static QString IconPath(const QString& name);
    /// The address of the sound res/sounds/<name>.wav ("qrc:/sounds/<name>.wav"), as a sound
    /// player takes it.
    static QUrl SoundUrl(const QString& name);

    /// The name of the application icon, as the desktop knows it.
    static constexpr const char* ApplicationIconName = "ktgraph3";

private:
    /// Registers the compiled-in resources once; the static library would drop them otherwise.
    static void Load();
};
