#pragma once
// Every message box of the model goes through here: the GUI installs a handler that shows one,
// tests install one that records it. Never call from inside a paint.

#include "platform/CString.h"

#include <functional>

constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_OKCANCEL = 0x1;
constexpr unsigned MB_YESNOCANCEL = 0x3;
constexpr unsigned MB_YESNO = 0x4;
constexpr unsigned MB_ICONERROR = 0x10;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONWARNING = 0x30;
constexpr unsigned MB_ICONINFORMATION = 0x40;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

using KTMessageBoxHandler = std::function<int(const CString& caption, const CString& text, unsigned type)>;

/// Shows a message box through the installed handler; without one, answers as if the first
/// button were pressed (IDOK or IDYES).
int KTMessageBox(const CString& caption, const CString& text, unsigned type = MB_OK);

/// Installs the handler; returns the previous one.
KTMessageBoxHandler KTSetMessageBoxHandler(KTMessageBoxHandler handler);
