// A small growable UTF-16 string. The program keeps clear of the standard library's strings: they
// pull the C++ runtime's exception machinery into a program that must stay small. Allocation
// failures return false with ERROR_NOT_ENOUGH_MEMORY as the thread's last error; the string then
// keeps its previous text.
#pragma once

#include <windows.h>
#include <stdarg.h>

class CString {
public:
    CString() = default;
    CString(const wchar_t* text);
    CString(const wchar_t* text, int length);
    CString(const CString& other);
    CString(CString&& other) noexcept;
    ~CString();

    CString& operator=(const CString& other);
    CString& operator=(CString&& other) noexcept;
    CString& operator=(const wchar_t* text);
    CString& operator+=(const wchar_t* text);

    const wchar_t* GetString() const { return m_data ? m_data : L""; }
    operator const wchar_t*() const { return GetString(); }
    int GetLength() const { return m_length; }
    bool IsEmpty() const { return m_length == 0; }

    void Empty();
    bool Assign(const wchar_t* text, int length);
    bool Append(const wchar_t* text, int length = -1);

    // Room for at least minCapacity characters plus a terminator; null when memory ran out.
    wchar_t* GetBuffer(int minCapacity);
    // Sets the length to newLength, or to the text's length up to its terminator when -1.
    void ReleaseBuffer(int newLength = -1);

    bool Format(const wchar_t* format, ...);
    bool FormatV(const wchar_t* format, va_list args);
    bool AppendFormat(const wchar_t* format, ...);
    // Loads a string resource of the program; a missing string gives the empty text.
    bool LoadString(UINT id);

    // Removes white space (as iswspace classifies it) at both ends.
    void Trim();

    bool operator==(const wchar_t* other) const;

private:
    bool Reserve(int capacity);

    wchar_t* m_data = nullptr;
    int m_length = 0;
    int m_capacity = 0; // characters, terminator excluded
};
