#include "foundation/KTConfigFile.h"

#include "foundation/KTOptionStore.h"

#include <cstdlib>

CString KTConfigFile::DataFolder(const CString& company, bool allUsers)
{
    // The root is built from the home folder itself, not from the variable that may move it.
    const char* home = std::getenv("HOME");
    CString root;
    if (home && home[0] == '/') {
        root = home;
        if (root.GetAt(root.GetLength() - 1) != '/')
            root += '/';
        root += ".config/";
    }
    return KTOptionStore::DataFolderUnder(root, company, allUsers);
}
