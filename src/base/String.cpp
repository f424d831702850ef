#include "base/String.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>
#include <wctype.h>

CString::CString(const wchar_t* text) {
    if (text)
        Assign(text, static_cast<int>(wcslen(text)));
}

CString::CString(const wchar_t* text, int length) {
    Assign(text, length);
}

CString::CString(const CString& other) {
    Assign(other.GetString(), other.m_length);
}

CString::CString(CString&& other) noexcept
    : m_data(other.m_data), m_length(other.m_length), m_capacity(other.m_capacity) {
    other.m_data = nullptr;
    other.m_length = other.m_capacity = 0;
}

CString::~CString() {
    free(m_data);
}

CString& CString::operator=(const CString& other) {
    if (this != &other)
        Assign(other.GetString(), other.m_length);
    return *this;
}

CString& CString::operator=(CString&& other) noexcept {
    if (this != &other) {
        free(m_data);
        m_data = other.m_data;
        m_length = other.m_length;
        m_capacity = other.m_capacity;
        other.m_data = nullptr;
        other.m_length = other.m_capacity = 0;
    }
    return *this;
}

CString& CString::operator=(const wchar_t* text) {
    if (!text)
        Empty();
    else if (text < m_data || text > m_data + m_length) {
        Assign(text, static_cast<int>(wcslen(text)));
    } else {
        CString copy(text); // the text lies inside this string
        *this = static_cast<CString&&>(copy);
    }
    return *this;
}

CString& CString::operator+=(const wchar_t* text) {
    Append(text);
    return *this;
}

void CString::Empty() {
    m_length = 0;
    if (m_data)
        m_data[0] = 0;
}

bool CString::Reserve(int capacity) {
    if (capacity <= m_capacity && m_data)
        return true;
    auto* data = static_cast<wchar_t*>(realloc(m_data, (capacity + 1) * sizeof(wchar_t)));
    if (!data) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    if (!m_data)
        data[0] = 0;
    m_data = data;
    m_capacity = capacity;
    return true;
}

bool CString::Assign(const wchar_t* text, int length) {
    if (!text || length <= 0) {
        Empty();
        return true;
    }
    if (text >= m_data && text <= m_data + m_length && m_data) {
        CString copy(text, length);
        if (copy.m_length != length)
            return false;
        *this = static_cast<CString&&>(copy);
        return true;
    }
    if (!Reserve(length))
        return false;
    memcpy(m_data, text, length * sizeof(wchar_t));
    m_length = length;
    m_data[length] = 0;
    return true;
}

bool CString::Append(const wchar_t* text, int length) {
    if (!text)
        return true;
    if (length < 0)
        length = static_cast<int>(wcslen(text));
    if (length == 0)
        return true;
    if (m_data && text >= m_data && text <= m_data + m_length) {
        CString copy(text, length);
        return copy.m_length == length && Append(copy.GetString(), length);
    }
    if (!Reserve(m_length + length))
        return false;
    memcpy(m_data + m_length, text, length * sizeof(wchar_t));
    m_length += length;
    m_data[m_length] = 0;
    return true;
}

wchar_t* CString::GetBuffer(int minCapacity) {
    if (minCapacity < m_length)
        minCapacity = m_length;
    return Reserve(minCapacity) ? m_data : nullptr;
}

void CString::ReleaseBuffer(int newLength) {
    if (!m_data)
        return;
    if (newLength < 0)
        newLength = static_cast<int>(wcsnlen(m_data, m_capacity));
    if (newLength > m_capacity)
        newLength = m_capacity;
    m_length = newLength;
    m_data[m_length] = 0;
}

bool CString::FormatV(const wchar_t* format, va_list args) {
    if (!format) {
        Empty();
        return true;
    }
    // _vscwprintf and _vsnwprintf are the runtime's own: "%s" takes a wide string.
    va_list copy;
    va_copy(copy, args);
    int needed = _vscwprintf(format, copy);
    va_end(copy);
    if (needed < 0)
        return false;
    CString result;
    wchar_t* buffer = result.GetBuffer(needed);
    if (!buffer)
        return false;
    _vsnwprintf(buffer, needed + 1, format, args);
    result.ReleaseBuffer(needed);
    *this = static_cast<CString&&>(result);
    return true;
}

bool CString::Format(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    bool ok = FormatV(format, args);
    va_end(args);
    return ok;
}

bool CString::AppendFormat(const wchar_t* format, ...) {
    CString piece;
    va_list args;
    va_start(args, format);
    bool ok = piece.FormatV(format, args);
    va_end(args);
    return ok && Append(piece.GetString(), piece.GetLength());
}

bool CString::LoadString(UINT id) {
    // With a zero buffer size LoadStringW hands out a pointer into the resource itself.
    const wchar_t* text = nullptr;
    int length = ::LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text) {
        Empty();
        return false;
    }
    return Assign(text, length);
}

void CString::Trim() {
    if (!m_data)
        return;
    int start = 0;
    while (start < m_length && iswspace(m_data[start]))
        ++start;
    int end = m_length;
    while (end > start && iswspace(m_data[end - 1]))
        --end;
    if (start > 0)
        memmove(m_data, m_data + start, (end - start) * sizeof(wchar_t));
    m_length = end - start;
    m_data[m_length] = 0;
}

bool CString::operator==(const wchar_t* other) const {
    return wcscmp(GetString(), other ? other : L"") == 0;
}
