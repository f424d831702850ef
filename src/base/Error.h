// Failures of the program's own functions, and their display texts.
//
// The convention: a function of the program that can fail returns bool (or a handle or pointer,
// null on failure), and on failure the thread's last error says why. CRegistryKey and
// CRegistryValue alone return the Win32 error code, as the registry calls they wrap do;
// Win32Succeeded turns such a code into the convention. A failure shown to the user travels as a
// failure code: a signed 32-bit value in COM result-code form (negative is a failure,
// FACILITY_WIN32 wraps a Win32 error in its low 16 bits), made by HResultFromLastError.
#pragma once

#include <windows.h>

#include "base/String.h"

// True for ERROR_SUCCESS; any other code becomes the thread's last error and gives false.
bool Win32Succeeded(LONG error);
// The thread's last error as a failure code (0x8007xxxx), or itself when 0 or already negative.
HRESULT HResultFromLastError();
// The system's description of a failure code followed by its number, or the empty text.
void GetErrorText(HRESULT code, CString& text);
