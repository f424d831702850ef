// The current user's Windows Error Reporting switches. Keys are opened, never created, and no
// value is ever deleted. Each function returns true only when both the open and the read or
// write succeeded; on failure the thread's last error says why.
#pragma once

#include <windows.h>

extern const wchar_t kErrorReportingKey[];
extern const wchar_t kErrorReportingConsentKey[];

// True when the per-user error-reporting key exists (the sheet then shows its page).
bool IsErrorReportingAvailable();

// Reads a REG_DWORD of the error-reporting key. The output is 0 whenever the read fails, also
// for a value of another type.
bool GetErrorReportingValue(const wchar_t* name, DWORD& value);
// Writes a REG_DWORD into the error-reporting key.
bool SetErrorReportingValue(const wchar_t* name, DWORD value);
// Reads "DefaultConsent" from the Consent sub-key. The caller sets the output before the call;
// it is 0 after a read that found a value of another type.
bool GetDefaultConsent(DWORD& value);
// Writes "DefaultConsent" into the Consent sub-key (which must already exist).
bool SetDefaultConsent(DWORD value);

// The two switches as the page and the console program set them. Enabling also raises a
// missing or lower consent level to the one that sends the basic report data without asking each
// time (a higher level chosen elsewhere stays; without a Consent key nothing is written there).
// False when the switch itself could not be written.
bool SetErrorReportingEnabled(bool enabled);
bool SetReportQueueingForced(bool forced);
// Whether the switches are on; a value that cannot be read counts as 0 ("Disabled" off,
// "ForceQueue" off).
bool IsErrorReportingEnabled();
bool IsReportQueueingForced();
