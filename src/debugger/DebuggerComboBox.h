// The drop-down list of known debuggers. It owns one record per item: an item's data is the
// index of its record, and items keep the order in which they were added.
#pragma once

#include "../framework/Array.h"
#include "../framework/Wnd.h"
#include "DebuggerEntry.h"

class CDebuggerComboBox : public CComboBox {
public:
    // Lists "No Debugger", the installed known debuggers and "Other debugger...", in that
    // order. FALSE (after telling the user) when the records could not be built.
    BOOL Fill();
    // Appends a copy of the record and lists its name.
    BOOL Add(const CDebuggerEntry& entry);
    // Copies the selected item's record; FALSE, with the record untouched, when none is.
    BOOL GetSelection(CDebuggerEntry& entry) const;
    // Selects the first item with the record's executable, else the last ("Other debugger...").
    BOOL SelectByPath(const CDebuggerEntry& entry);

private:
    CSimpleArray<CDebuggerEntry> m_entries;
};
