#include "wer/ErrorReporting.h"

#include "base/Error.h"
#include "base/RegistryKey.h"

const wchar_t kErrorReportingKey[] = L"Software\\Microsoft\\Windows\\Windows Error Reporting";
const wchar_t kErrorReportingConsentKey[] =
    L"Software\\Microsoft\\Windows\\Windows Error Reporting\\Consent";

namespace {
const wchar_t kDefaultConsent[] = L"DefaultConsent";
const wchar_t kDisabled[] = L"Disabled";
const wchar_t kForceQueue[] = L"ForceQueue";
// Reporting with consent level 2 or more sends the basic report data without asking each time.
const DWORD kMinimumConsent = 2;

bool ReadDwordValue(const wchar_t* keyName, const wchar_t* name, DWORD& value) {
    CRegistryKey key;
    if (!Win32Succeeded(key.Open(HKEY_CURRENT_USER, keyName, KEY_QUERY_VALUE)))
        return false;
    if (!Win32Succeeded(key.ReadDword(name, value))) {
        // A value of another type may have left arbitrary bytes behind; it reads as 0.
        value = 0;
        return false;
    }
    return true;
}

bool WriteDwordValue(const wchar_t* keyName, const wchar_t* name, DWORD value) {
    CRegistryKey key;
    // Opened, never created: a missing key makes the write fail.
    return Win32Succeeded(key.Open(HKEY_CURRENT_USER, keyName, KEY_SET_VALUE)) &&
           Win32Succeeded(key.WriteDword(name, value));
}
} // namespace

bool IsErrorReportingAvailable() {
    CRegistryKey key;
    return Win32Succeeded(key.Open(HKEY_CURRENT_USER, kErrorReportingKey, KEY_QUERY_VALUE));
}

bool GetErrorReportingValue(const wchar_t* name, DWORD& value) {
    value = 0;
    return ReadDwordValue(kErrorReportingKey, name, value);
}

bool SetErrorReportingValue(const wchar_t* name, DWORD value) {
    return WriteDwordValue(kErrorReportingKey, name, value);
}

bool GetDefaultConsent(DWORD& value) {
    return ReadDwordValue(kErrorReportingConsentKey, kDefaultConsent, value);
}

bool SetDefaultConsent(DWORD value) {
    return WriteDwordValue(kErrorReportingConsentKey, kDefaultConsent, value);
}

bool SetErrorReportingEnabled(bool enabled) {
    if (!enabled)
        return SetErrorReportingValue(kDisabled, 1);
    if (!SetErrorReportingValue(kDisabled, 0))
        return false;
    DWORD consent = 0;
    GetDefaultConsent(consent);
    if (consent < kMinimumConsent)
        SetDefaultConsent(kMinimumConsent);
    return true;
}

bool SetReportQueueingForced(bool forced) {
    return SetErrorReportingValue(kForceQueue, forced ? 1 : 0);
}

bool IsErrorReportingEnabled() {
    DWORD disabled = 0;
    GetErrorReportingValue(kDisabled, disabled);
    return disabled != 1;
}

bool IsReportQueueingForced() {
    DWORD forceQueue = 0;
    GetErrorReportingValue(kForceQueue, forceQueue);
    return forceQueue == 1;
}
