#include "base/RegistryKey.h"

LONG CRegistryKey::Open(HKEY root, const wchar_t* subKey, REGSAM access) {
    HKEY key = nullptr;
    LONG error = RegOpenKeyExW(root, subKey, 0, access, &key);
    if (error != ERROR_SUCCESS)
        return error;
    m_key.Reset(key);
    return ERROR_SUCCESS;
}

LONG CRegistryKey::Create(HKEY root, const wchar_t* subKey, REGSAM access, bool& created) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    LONG error = RegCreateKeyExW(root, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                                 &key, &disposition);
    if (error != ERROR_SUCCESS)
        return error;
    m_key.Reset(key);
    created = disposition == REG_CREATED_NEW_KEY;
    return ERROR_SUCCESS;
}

LONG CRegistryKey::DeleteKey(HKEY root, const wchar_t* subKey, REGSAM view) {
    return RegDeleteKeyExW(root, subKey, view, 0);
}

LONG CRegistryKey::ReadString(const wchar_t* name, wchar_t* buffer, DWORD& count) {
    const DWORD capacity = count;
    DWORD bytes = count * sizeof(wchar_t);
    DWORD type = REG_NONE;
    count = 0;
    LONG error = RegQueryValueExW(m_key.Get(), name, nullptr, &type,
                                  reinterpret_cast<BYTE*>(buffer), &bytes);
    if (error != ERROR_SUCCESS)
        return error;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return ERROR_INVALID_DATA;
    if (buffer) {
        if (bytes == 0) {
            if (capacity == 0)
                return ERROR_MORE_DATA; // no room even for the empty text
            buffer[0] = 0;
        } else if ((bytes % sizeof(wchar_t)) != 0 || buffer[bytes / sizeof(wchar_t) - 1] != 0) {
            return ERROR_INVALID_DATA;
        }
    }
    count = bytes / sizeof(wchar_t);
    return ERROR_SUCCESS;
}

LONG CRegistryKey::WriteString(const wchar_t* name, const wchar_t* text, DWORD type) {
    if (!text)
        return ERROR_INVALID_DATA;
    DWORD bytes = (lstrlenW(text) + 1) * sizeof(wchar_t);
    return RegSetValueExW(m_key.Get(), name, 0, type, reinterpret_cast<const BYTE*>(text), bytes);
}

LONG CRegistryKey::ReadDword(const wchar_t* name, DWORD& value) {
    DWORD bytes = sizeof(value);
    DWORD type = REG_NONE;
    LONG error = RegQueryValueExW(m_key.Get(), name, nullptr, &type,
                                  reinterpret_cast<BYTE*>(&value), &bytes);
    if (error != ERROR_SUCCESS)
        return error;
    return type == REG_DWORD ? ERROR_SUCCESS : ERROR_INVALID_DATA;
}

LONG CRegistryKey::WriteDword(const wchar_t* name, DWORD value) {
    return RegSetValueExW(m_key.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof(value));
}

LONG CRegistryKey::ReadValue(const wchar_t* name, DWORD& type, BYTE* data, DWORD& bytes) {
    type = REG_NONE;
    return RegQueryValueExW(m_key.Get(), name, nullptr, &type, data, &bytes);
}

LONG CRegistryKey::WriteValue(const wchar_t* name, DWORD type, const BYTE* data, DWORD bytes) {
    return RegSetValueExW(m_key.Get(), name, 0, type, data, bytes);
}

LONG CRegistryKey::DeleteValue(const wchar_t* name) {
    return RegDeleteValueW(m_key.Get(), name);
}

LONG CRegistryKey::EnumKey(DWORD index, wchar_t* name, DWORD& count) {
    return RegEnumKeyExW(m_key.Get(), index, name, &count, nullptr, nullptr, nullptr, nullptr);
}

LONG CRegistryKey::EnumValue(DWORD index, wchar_t* name, DWORD& count) {
    return RegEnumValueW(m_key.Get(), index, name, &count, nullptr, nullptr, nullptr, nullptr);
}

LONG CRegistryValue::Read(CRegistryKey& key, const wchar_t* name) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD type = REG_NONE;
        DWORD size = 0;
        LONG error = key.ReadValue(name, type, nullptr, size);
        if (error == ERROR_FILE_NOT_FOUND) {
            m_present = false;
            return ERROR_SUCCESS;
        }
        if (error != ERROR_SUCCESS)
            return error;
        CHeapMemory<BYTE> data(static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), 0, size ? size : 1)));
        if (!data)
            return ERROR_NOT_ENOUGH_MEMORY;
        error = key.ReadValue(name, type, data.Get(), size);
        if (error == ERROR_MORE_DATA)
            continue;
        if (error != ERROR_SUCCESS)
            return error;
        m_present = true;
        m_type = type;
        m_size = size;
        m_data = static_cast<CHeapMemory<BYTE>&&>(data);
        return ERROR_SUCCESS;
    }
    return ERROR_MORE_DATA;
}

LONG CRegistryValue::Write(CRegistryKey& key, const wchar_t* name) const {
    if (m_present) {
        // RegSetValueExW takes a text whose last character is not NUL but whose next one is for a
        // text that forgot its terminator, and stores one character more. So the bytes go from a
        // copy followed by bytes that are never NUL, and every value is stored exactly as read.
        CHeapMemory<BYTE> padded(static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), 0, m_size + 4)));
        if (!padded)
            return ERROR_NOT_ENOUGH_MEMORY;
        CopyMemory(padded.Get(), m_data.Get(), m_size);
        FillMemory(padded.Get() + m_size, 4, 0xFF);
        return key.WriteValue(name, m_type, padded.Get(), m_size);
    }
    LONG error = key.DeleteValue(name);
    return error == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : error;
}
