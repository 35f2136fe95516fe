#pragma once
// The program's place in the user's desktop: the ".kt3" MIME type and a desktop entry that
// opens such files with the program, both under the user's XDG data folder. Written when missing
// at start-up, removed by the unregister request.

#include <QString>

class KTShellRegistration
{
public:
    /// The MIME type of ".kt3" documents.
    static constexpr const char* MimeType = "application/x-ktgraph3";

    /// $XDG_DATA_HOME/applications/ktgraph3.desktop
    static QString DesktopEntryPath();
    /// $XDG_DATA_HOME/mime/packages/ktgraph3.xml
    static QString MimeTypePath();

    /// Writes whichever of the two files is missing, the desktop entry running the given
    /// program; true when both exist afterwards. Refreshes the desktop's caches when it wrote.
    static bool RegisterShellFileTypes(const QString& programPath);
    /// Removes both files; true when neither exists afterwards.
    static bool UnregisterShellFileTypes();

    /// The desktop entry's text for the program.
    static QString DesktopEntryText(const QString& programPath);
    /// The shared-MIME-info text of the ".kt3" type.
    static QString MimeTypeText();
};
