#pragma once
// A part of the program kept in a module of its own beside the program file and loaded when it is
// first needed, so that the libraries only that part uses (a media library, a storage library)
// do not load with the program.

class QLibrary;

class KTModule
{
public:
    /// Loads the module `fileName` from the program file's folder or, for a program of the build
    /// tree (a test), from `builtPath` (may be null); null when neither loads. A loaded module
    /// stays until the program ends; the library returned is owned here.
    static QLibrary* Load(const char* fileName, const char* builtPath);
};
