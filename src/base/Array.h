// A small growable array of values, for the same reason as CString: no standard containers.
#pragma once

#include <windows.h>

#include <new>
#include <stdlib.h>

template <class T> class CSimpleArray {
public:
    CSimpleArray() = default;
    CSimpleArray(const CSimpleArray&) = delete;
    CSimpleArray& operator=(const CSimpleArray&) = delete;
    ~CSimpleArray() { RemoveAll(); }

    int GetCount() const { return m_count; }
    T& operator[](int index) { return m_items[index]; }
    const T& operator[](int index) const { return m_items[index]; }
    T* begin() { return m_items; }

    // Appends a copy; false (ERROR_NOT_ENOUGH_MEMORY) when memory ran out, the array unchanged.
    bool Add(const T& item) {
        if (m_count == m_capacity) {
            int capacity = m_capacity ? m_capacity * 2 : 4;
            T* items = static_cast<T*>(malloc(sizeof(T) * capacity));
            if (!items) {
                SetLastError(ERROR_NOT_ENOUGH_MEMORY);
                return false;
            }
            for (int i = 0; i < m_count; ++i) {
                new (&items[i]) T(static_cast<T&&>(m_items[i]));
                m_items[i].~T();
            }
            free(m_items);
            m_items = items;
            m_capacity = capacity;
        }
        new (&m_items[m_count]) T(item);
        ++m_count;
        return true;
    }

    void RemoveAll() {
        for (int i = 0; i < m_count; ++i)
            m_items[i].~T();
        free(m_items);
        m_items = nullptr;
        m_count = m_capacity = 0;
    }

private:
    T* m_items = nullptr;
    int m_count = 0;
    int m_capacity = 0;
};
