#include "debugger/DebuggerComboBox.h"

void CDebuggerComboBox::Fill(const CSimpleArray<CDebuggerEntry>& entries) {
    ResetContent();
    m_entries.RemoveAll();
    for (int i = 0; i < entries.GetCount(); ++i)
        Add(entries[i]);
}

bool CDebuggerComboBox::Add(const CDebuggerEntry& entry, int position) {
    int index = m_entries.GetCount();
    if (!m_entries.Add(entry))
        return false;
    CString name;
    name.LoadString(entry.GetNameId());
    int item = InsertString(position, name);
    if (item < 0)
        return false;
    return SetItemData(item, static_cast<DWORD_PTR>(index)) != CB_ERR;
}

bool CDebuggerComboBox::GetSelection(CDebuggerEntry& entry) const {
    int item = GetCurSel();
    if (item < 0)
        return false;
    DWORD_PTR index = GetItemData(item);
    if (index >= static_cast<DWORD_PTR>(m_entries.GetCount()))
        return false;
    entry = m_entries[static_cast<int>(index)];
    return true;
}

bool CDebuggerComboBox::SelectEntry(int index) {
    const int count = GetCount();
    int found = count - 1; // "Other debugger..." for an entry not listed
    for (int item = 0; item < count; ++item) {
        if (static_cast<int>(GetItemData(item)) == index) {
            found = item;
            break;
        }
    }
    return SetCurSel(found) >= 0;
}
