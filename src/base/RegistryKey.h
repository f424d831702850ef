// One open registry key. Like the registry calls it wraps, every operation returns a Win32 error
// code and leaves the thread's last error alone; the key is closed when the object goes.
#pragma once

#include <windows.h>

#include "base/Handle.h"

class CRegistryKey {
public:
    CRegistryKey() = default;
    CRegistryKey(const CRegistryKey&) = delete;
    CRegistryKey& operator=(const CRegistryKey&) = delete;

    // access may carry KEY_WOW64_32KEY or KEY_WOW64_64KEY to choose a registry view.
    LONG Open(HKEY root, const wchar_t* subKey, REGSAM access);
    // Opens the key, creating it (and its missing parents) first when needed; created says which.
    LONG Create(HKEY root, const wchar_t* subKey, REGSAM access, bool& created);
    // Deletes a key that has no sub-keys, with its values, in the view that view names.
    static LONG DeleteKey(HKEY root, const wchar_t* subKey, REGSAM view);
    LONG Create(HKEY root, const wchar_t* subKey, REGSAM access) {
        bool created = false;
        return Create(root, subKey, access, created);
    }
    // count is in characters, in and out: the capacity going in, the characters read (with the
    // terminator) coming out. A null buffer only asks for the size.
    LONG ReadString(const wchar_t* name, wchar_t* buffer, DWORD& count);
    LONG WriteString(const wchar_t* name, const wchar_t* text, DWORD type = REG_SZ);
    LONG ReadDword(const wchar_t* name, DWORD& value);
    LONG WriteDword(const wchar_t* name, DWORD value);
    // Any value as raw bytes: bytes is the capacity going in and the value's size coming out; a
    // null data only asks for the type and size.
    LONG ReadValue(const wchar_t* name, DWORD& type, BYTE* data, DWORD& bytes);
    LONG WriteValue(const wchar_t* name, DWORD type, const BYTE* data, DWORD bytes);
    LONG DeleteValue(const wchar_t* name);
    // The name of the sub-key or value at index; count is in characters as for ReadString.
    // ERROR_NO_MORE_ITEMS past the last one.
    LONG EnumKey(DWORD index, wchar_t* name, DWORD& count);
    LONG EnumValue(DWORD index, wchar_t* name, DWORD& count);

private:
    CRegKeyHandle m_key;
};

// One value exactly as stored: its type and bytes, or its absence. Like CRegistryKey, it returns
// Win32 error codes.
class CRegistryValue {
public:
    // ERROR_SUCCESS also when there is no such value; IsPresent() then says so. A value that
    // grows while it is read is read again.
    LONG Read(CRegistryKey& key, const wchar_t* name);
    // Stores the value as read; an absent one is deleted.
    LONG Write(CRegistryKey& key, const wchar_t* name) const;

    bool IsPresent() const { return m_present; }
    DWORD GetType() const { return m_type; }
    DWORD GetSize() const { return m_size; }
    const BYTE* GetData() const { return m_data.Get(); }

private:
    bool m_present = false;
    DWORD m_type = REG_NONE;
    DWORD m_size = 0;
    CHeapMemory<BYTE> m_data;
};
