#include "base/Error.h"

void GetErrorText(HRESULT code, CString& text) {
    // Only a description of this code may come back, never what the caller's text held.
    text.Empty();
    if (code >= 0)
        return;
    DWORD facility = (static_cast<DWORD>(code) >> 16) & 0x1FFF;
    DWORD low = static_cast<DWORD>(code) & 0xFFFF;
    if (facility == FACILITY_ITF && low >= 0x200) {
        GetCustomErrorText(code, text);
    } else {
        DWORD id = facility == FACILITY_WIN32 ? low : static_cast<DWORD>(code);
        if (!FormatSystemMessage(id, nullptr, text))
            GetCustomErrorText(code, text);
    }
    if (text.IsEmpty())
        return;
    int length = text.GetLength();
    while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n'))
        --length;
    text = CString(text.GetString(), length);
    if (facility == FACILITY_WIN32)
        text.AppendFormat(L" (%d)", static_cast<int>(low));
    else
        text.AppendFormat(L" (0x%08X)", static_cast<unsigned>(code));
}

bool FormatSystemMessage(DWORD id, HMODULE module, CString& text) {
    DWORD flags =
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;
    if (module)
        flags |= FORMAT_MESSAGE_FROM_HMODULE;
    wchar_t* buffer = nullptr;
    DWORD length = FormatMessageW(flags, module, id, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                  reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    if (length == 0)
        return false;
    while (length > 0 && (buffer[length - 1] == L'\r' || buffer[length - 1] == L'\n' ||
                          buffer[length - 1] == L' '))
        --length;
    text = CString(buffer, static_cast<int>(length));
    LocalFree(buffer);
    return true;
}

bool GetCustomErrorText(HRESULT, CString&) {
    return false;
}

HRESULT HResultFromLastError() {
    DWORD error = GetLastError();
    if (static_cast<LONG>(error) > 0)
        return static_cast<HRESULT>(0x80070000u | (error & 0xFFFF));
    return static_cast<HRESULT>(error);
}
