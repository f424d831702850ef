#include "wer/ErrorReporting.h"

#include "base/RegistryKey.h"

const wchar_t kErrorReportingKey[] = L"Software\\Microsoft\\Windows\\Windows Error Reporting";
const wchar_t kErrorReportingConsentKey[] =
    L"Software\\Microsoft\\Windows\\Windows Error Reporting\\Consent";

namespace {
const wchar_t kDefaultConsent[] = L"DefaultConsent";

bool ReadDwordValue(const wchar_t* keyName, const wchar_t* name, DWORD& value) {
    CRegistryKey key;
    if (key.Open(HKEY_CURRENT_USER, keyName, KEY_QUERY_VALUE) != ERROR_SUCCESS)
        return false;
    LONG error = key.ReadDword(name, value);
    key.Close();
    if (error != ERROR_SUCCESS) {
        // A value of another type may have left arbitrary bytes behind; it reads as 0.
        value = 0;
    }
    return error == ERROR_SUCCESS;
}

bool WriteDwordValue(const wchar_t* keyName, const wchar_t* name, DWORD value) {
    CRegistryKey key;
    // Opened, never created: a missing key makes the write fail.
    if (key.Open(HKEY_CURRENT_USER, keyName, KEY_SET_VALUE) != ERROR_SUCCESS)
        return false;
    LONG error = key.WriteDword(name, value);
    key.Close();
    return error == ERROR_SUCCESS;
}
} // namespace

bool IsErrorReportingAvailable() {
    CRegistryKey key;
    bool available = key.Open(HKEY_CURRENT_USER, kErrorReportingKey, KEY_QUERY_VALUE) == 0;
    key.Close();
    return available;
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
