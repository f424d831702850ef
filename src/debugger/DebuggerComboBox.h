// The drop-down list of debugger registrations. It keeps a copy of each entry it lists: an
// item's data is the index of its copy, and items keep the order in which they were added.
#pragma once

#include "base/Array.h"
#include "debugger/DebuggerEntry.h"
#include "framework/Wnd.h"

class CDebuggerComboBox : public CComboBox {
public:
    // Lists the entries' display names in their order, replacing what was listed. An entry that
    // cannot be added is missing from the list.
    void Fill(const CSimpleArray<CDebuggerEntry>& entries);
    // Keeps a copy of the entry and lists its name before the item at position (-1: last).
    bool Add(const CDebuggerEntry& entry, int position = -1);
    // Copies the selected item's entry; false, with the entry untouched, when none is.
    bool GetSelection(CDebuggerEntry& entry) const;
    // Selects the item of the entry that was added as the index-th, else the last.
    bool SelectEntry(int index);

private:
    CSimpleArray<CDebuggerEntry> m_entries;
};
