#pragma once
// Where the program's parts lie. A program of the build tree has its modules and its data (the
// tip pages) beside it; an installed program has them in the usual Linux layout, the program in
// bin/, the modules in lib/ktgraph3/ (the library folder the build was configured with) and the
// data in share/ktgraph3/, found from the program file's own place whatever the prefix.

#include <QString>
#include <QStringList>

class KTProgramFolders
{
public:
    /// The folder of the program file (also where no application object exists: a fuzzing
    /// harness), without a trailing "/".
    static QString ProgramFolder();
    /// The folders a module is looked for in, in order: the installed module folder, then the
    /// program's own folder.
    static QStringList ModuleFolders();
    /// The folder of the program's data, ending in "/": the installed data folder when it
    /// exists, else the program's folder.
    static QString DataFolder();

    /// The installed folders relative to the program's folder ("../lib/ktgraph3").
    static QString InstalledModuleFolder();
    static QString InstalledDataFolder();
};
