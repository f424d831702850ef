// The system's dialogs for choosing a file or a folder, owned like every box of the program by the
// sheet (or the pop-up last active over it). Their DLLs are bound when a dialog is first needed.
#pragma once

#include <windows.h>

// An existing .exe file, starting in the folder given (or the dialog's own choice); file holds
// MAX_PATH characters. False when the user cancelled or the dialog could not be shown.
bool PickExecutable(const wchar_t* initialFolder, wchar_t* file);
// A folder of the file system, with the title (a string resource) above the tree; folder holds
// MAX_PATH characters.
bool PickFolder(UINT titleId, wchar_t* folder);
