// The program's message boxes. Every box is modal, owned
// by the sheet (or the pop-up last active over it) and captioned with the application title.
#pragma once

#include <windows.h>

#include "base/Error.h"
#include "base/String.h"

// A flag of the program's own: the User Account Control shield on the box's affirmative button.
// It never reaches MessageBoxW.
constexpr UINT MB_SHIELD = 0x40000000;

int ShowMessageBox(const wchar_t* text, UINT flags);
int MessageBoxFormat(const wchar_t* format, UINT flags, ...);
int MessageBoxResource(UINT stringId, UINT flags, ...);
// The icon follows the error (0: information, negative: error, positive: warning) and the
// system's description of a failure code is appended. error == -1 takes the thread's last error.
int MessageBoxError(const wchar_t* format, UINT flags, HRESULT error, ...);
int MessageBoxResourceError(UINT stringId, UINT flags, HRESULT error, ...);

// The shield hook while a shielded box is up; null otherwise. For tests of its lifecycle.
HHOOK GetShieldHook();
