#pragma once
// The program's place in the user's desktop: the ".kt3" MIME type, a desktop entry that opens
// such files with the program, and the program's icon in the hicolor theme at the usual sizes,
// all under the user's XDG data folder. Written at start-up when missing (the desktop entry also
// when it runs another program), removed by the unregister request.

#include <QString>

#include <array>

class KTShellRegistration
{
public:
    /// The MIME type of ".kt3" documents.
    static constexpr const char* MimeType = "application/x-ktgraph3";

    /// $XDG_DATA_HOME/applications/ktgraph3.desktop
    static QString DesktopEntryPath();
    /// $XDG_DATA_HOME/mime/packages/ktgraph3.xml
    static QString MimeTypePath();
    /// The sizes, in pixels, at which the program's icon is installed as a PNG file.
    static constexpr std::array<int, 8> IconSizes{16, 22, 24, 32, 48, 64, 128, 256};
    /// $XDG_DATA_HOME/icons/hicolor/<size>x<size>/apps/ktgraph3.png, or for size 0 the drawing
    /// itself, .../hicolor/scalable/apps/ktgraph3.svg.
    static QString IconPath(int size);

    /// Writes whichever of the files is missing (the MIME type, the desktop entry running the
    /// given program, the icons), and rewrites a desktop entry whose command is not that
    /// program's; true when all are in place afterwards. Refreshes the desktop's caches when it
    /// wrote.
    static bool RegisterShellFileTypes(const QString& programPath);
    /// Removes every file; true when none exists afterwards.
    static bool UnregisterShellFileTypes();

    /// The desktop entry's text for the program.
    static QString DesktopEntryText(const QString& programPath);
    /// The shared-MIME-info text of the ".kt3" type.
    static QString MimeTypeText();
};
