// Whether the program runs with an administrator's full token, and the restart that gets one.
// No windows: the console program uses it too; the pages' prompt is framework/ElevationPrompt.
// Failures return false with the thread's last error saying why.
#pragma once

#include <windows.h>

// True when the token is an administrator's full one: privileged actions may go on without a
// prompt. False also when the token cannot be asked.
bool IsElevated();
// The token's elevation type and whether it (or, for a limited token, its linked full token)
// belongs to the Administrators group. Both out-parameters are optional.
bool QueryElevation(TOKEN_ELEVATION_TYPE* type, bool* isAdmin);
bool IsLinkedTokenAdmin(HANDLE token, bool* isMember);
bool IsCurrentTokenAdmin(bool* isMember);
// Starts the program's own executable through the shell's "runas" verb, with the argument
// "runas" that tells the new instance to replace this one; owner is the window that the
// system's consent prompt belongs to.
bool RelaunchElevated(HWND owner);
