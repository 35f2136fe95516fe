#pragma once
// The per-user data folder of the update check, which downloads its versions file there.
// Uses no state, so the update check's worker thread may call it freely.

#include "platform/CString.h"

class KTConfigFile
{
public:
    /// As KTOptionStore::DataFolder, but the per-user root is $HOME/.config/ whatever
    /// $XDG_CONFIG_HOME says. Ends in "/".
    static CString DataFolder(const CString& company, bool allUsers);
};
