#include "ErrorReporting.h"

#include "../debugger/RegistryKey.h"

const wchar_t kErrorReportingKey[] = L"Software\\Microsoft\\Windows\\Windows Error Reporting";
const wchar_t kErrorReportingConsentKey[] =
    L"Software\\Microsoft\\Windows\\Windows Error Reporting\\Consent";

bool IsErrorReportingAvailable() {
    CRegistryKey key;
    bool available = key.Open(HKEY_CURRENT_USER, kErrorReportingKey, KEY_QUERY_VALUE) == 0;
    key.Close();
    return available;
}
