#pragma once
// A part of the program kept in a module of its own (beside the program file, or in the installed
// module folder) and loaded when it is first needed, so that the libraries only that part uses (a
// media library, a storage library) do not load with the program.

#include <QString>

class QLibrary;

class KTModule
{
public:
    /// Loads the module `fileName` from the installed module folder or the program file's folder
    /// (KTProgramFolders) or, for a program of the build tree (a test), from `builtPath` (may be
    /// null); null when none loads. A loaded module stays until the program ends; the library
    /// returned is owned here. Safe on any thread.
    static QLibrary* Load(const char* fileName, const char* builtPath);
    /// The file the module was loaded from, or the empty text when it is not loaded.
    static QString LoadedFile(const char* fileName);
};
