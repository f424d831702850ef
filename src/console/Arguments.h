// A command's arguments after its name, taken one by one, and the exact match of a word.
#pragma once

#include <windows.h>

class CArguments {
public:
    CArguments(int count, wchar_t** values) : m_count(count), m_values(values) {}
    bool AtEnd() const { return m_next >= m_count; }
    const wchar_t* Next() { return m_next < m_count ? m_values[m_next++] : nullptr; }

private:
    int m_count;
    wchar_t** m_values;
    int m_next = 0;
};

// Command words and options match exactly, whatever the locale would ignore.
inline bool Is(const wchar_t* a, const wchar_t* b) {
    return CompareStringOrdinal(a, -1, b, -1, FALSE) == CSTR_EQUAL;
}
