// One open registry key. Every operation returns a Win32 error code and leaves the thread's last
// error alone; the key is closed when the object goes.
#pragma once

#include <windows.h>

class CRegistryKey {
public:
    CRegistryKey() = default;
    CRegistryKey(const CRegistryKey&) = delete;
    CRegistryKey& operator=(const CRegistryKey&) = delete;
    ~CRegistryKey() { Close(); }

    LONG Open(HKEY root, const wchar_t* subKey, REGSAM access);
    LONG Close();
    // count is in characters, in and out: the capacity going in, the characters read (with the
    // terminator) coming out. A null buffer only asks for the size.
    LONG ReadString(const wchar_t* name, wchar_t* buffer, DWORD& count);
    LONG WriteString(const wchar_t* name, const wchar_t* text, DWORD type = REG_SZ);
    LONG ReadDword(const wchar_t* name, DWORD& value);
    LONG WriteDword(const wchar_t* name, DWORD value);

    HKEY GetHandle() const { return m_hKey; }

private:
    HKEY m_hKey = nullptr;
};
