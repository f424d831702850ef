// Failure codes and their display texts. A failure code is a signed 32-bit value in COM
// result-code form: negative is a failure, FACILITY_WIN32 wraps a Win32 error in its low 16 bits.
#pragma once

#include <windows.h>

#include "base/String.h"

// The thread's last error as a failure code (0x8007xxxx), or itself when 0 or already negative.
HRESULT HResultFromLastError();
// The display description of a failure code, or the empty text.
void GetErrorText(HRESULT code, CString& text);
bool FormatSystemMessage(DWORD id, HMODULE module, CString& text);
// The program's own descriptions; it has none.
bool GetCustomErrorText(HRESULT code, CString& text);
