#include "base/Error.h"

#include "base/Handle.h"

namespace {
// The system's message text for a message identifier, without trailing line breaks and blanks.
bool FormatSystemMessage(DWORD id, CString& text) {
    CLocalMemory<wchar_t> buffer;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                                      FORMAT_MESSAGE_FROM_SYSTEM,
                                  nullptr, id, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                  reinterpret_cast<LPWSTR>(buffer.Put()), 0, nullptr);
    if (length == 0)
        return false;
    const wchar_t* chars = buffer.Get();
    while (length > 0 &&
           (chars[length - 1] == L'\r' || chars[length - 1] == L'\n' || chars[length - 1] == L' '))
        --length;
    text = CString(chars, static_cast<int>(length));
    return true;
}
} // namespace

bool Win32Succeeded(LONG error) {
    if (error == ERROR_SUCCESS)
        return true;
    SetLastError(static_cast<DWORD>(error));
    return false;
}

HRESULT HResultFromLastError() {
    DWORD error = GetLastError();
    if (static_cast<LONG>(error) > 0)
        return static_cast<HRESULT>(0x80070000u | (error & 0xFFFF));
    return static_cast<HRESULT>(error);
}

void GetErrorText(HRESULT code, CString& text) {
    // Only a description of this code may come back, never what the caller's text held.
    text.Empty();
    if (code >= 0)
        return;
    DWORD facility = (static_cast<DWORD>(code) >> 16) & 0x1FFF;
    DWORD low = static_cast<DWORD>(code) & 0xFFFF;
    // Interface-specific codes from 0x200 on mean what their interface says: the system's table
    // would describe another code.
    if (facility == FACILITY_ITF && low >= 0x200)
        return;
    DWORD id = facility == FACILITY_WIN32 ? low : static_cast<DWORD>(code);
    if (!FormatSystemMessage(id, text) || text.IsEmpty())
        return;
    if (facility == FACILITY_WIN32)
        text.AppendFormat(L" (%d)", static_cast<int>(low));
    else
        text.AppendFormat(L" (0x%08X)", static_cast<unsigned>(code));
}
