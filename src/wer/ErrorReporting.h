// The current user's Windows Error Reporting switches. Keys are opened, never created, and no
// value is ever deleted.
#pragma once

#include <windows.h>

extern const wchar_t kErrorReportingKey[];
extern const wchar_t kErrorReportingConsentKey[];

// True when the per-user error-reporting key exists (the sheet then shows its page).
bool IsErrorReportingAvailable();
