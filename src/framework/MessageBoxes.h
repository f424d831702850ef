// The program's message boxes. Every box is modal, owned by the sheet (or the pop-up last active
// over it) and captioned with the application title.
#pragma once

#include <windows.h>

// A flag of the program's own: the User Account Control shield on the box's affirmative button.
// It never reaches MessageBoxW.
constexpr UINT MB_SHIELD = 0x40000000;

// Shows the text as it is; the one way the program shows a box. Returns the pressed button.
int ShowMessageBox(const wchar_t* text, UINT flags);
// The text formatted from a string resource (the low 16 bits of stringId) and the arguments.
int MessageBoxResource(UINT stringId, UINT flags, ...);
// The same with the icon following the error (0: information, negative: error, positive:
// warning) and the system's description of a failure code appended. error == -1 takes the
// thread's last error.
int MessageBoxResourceError(UINT stringId, UINT flags, HRESULT error, ...);

// The shield hook while a shielded box is up; null otherwise. For tests of its lifecycle.
HHOOK GetShieldHook();
