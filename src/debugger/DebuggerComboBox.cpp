#include "DebuggerComboBox.h"

#include <wchar.h>

#include "../privileges/MessageBoxes.h"
#include "../resources/resource.h"

namespace {
// True when the record holds every text it was built from; false when memory ran out.
bool IsComplete(const CDebuggerEntry& entry, const wchar_t* executable, const wchar_t* parameters) {
    if (executable && entry.m_strPath.IsEmpty())
        return false;
    return !parameters || entry.m_strParameters.GetLength() == static_cast<int>(wcslen(parameters));
}
} // namespace

BOOL CDebuggerComboBox::Fill() {
    ResetContent();

    struct Known {
        UINT flags;
        UINT nameId;
        const wchar_t* executable;
        const wchar_t* parameters;
        BOOL autoStart;
    };
    static const Known kCatalogue[] = {
        {DEBUGGER_NONE, IDS_NO_DEBUGGER, nullptr, nullptr, FALSE},
        {DEBUGGER_CONFIGURABLE, IDS_DRWATSON, L"drwtsn32.exe", L"-p %ld -e %ld -g", TRUE},
        {0, IDS_VSJIT_DEBUGGER, L"VSJitDebugger.exe", L"-p %ld -e %ld", FALSE},
        {DEBUGGER_CUSTOM, IDS_OTHER_DEBUGGER, nullptr, nullptr, FALSE},
    };
    for (const Known& known : kCatalogue) {
        CDebuggerEntry entry(known.flags, known.nameId, known.executable, known.parameters,
                             known.autoStart);
        if (!IsComplete(entry, known.executable, known.parameters)) {
            CString message;
            message.LoadString(IDS_OUT_OF_MEMORY);
            ShowMessageBox(message, MB_ICONERROR);
            return FALSE;
        }
        // Debuggers that are not installed are left out without a word.
        if (known.executable && !entry.Exists())
            continue;
        Add(entry); // a record that cannot be added is simply missing from the list
    }
    return TRUE;
}

BOOL CDebuggerComboBox::Add(const CDebuggerEntry& entry) {
    int index = m_entries.GetCount();
    if (!m_entries.Add(entry))
        return FALSE;
    int item = AddString(entry.GetName());
    if (item < 0)
        return FALSE;
    return SetItemData(item, static_cast<DWORD_PTR>(index)) != CB_ERR;
}

BOOL CDebuggerComboBox::GetSelection(CDebuggerEntry& entry) const {
    int item = GetCurSel();
    if (item < 0)
        return FALSE;
    DWORD_PTR index = GetItemData(item);
    if (index >= static_cast<DWORD_PTR>(m_entries.GetCount()))
        return FALSE;
    entry = m_entries[static_cast<int>(index)];
    return TRUE;
}

BOOL CDebuggerComboBox::SelectByPath(const CDebuggerEntry& entry) {
    int count = GetCount();
    int found = count - 1; // "Other debugger..." when no executable matches
    for (int item = 0; item < count; ++item) {
        DWORD_PTR index = GetItemData(item);
        if (index < static_cast<DWORD_PTR>(m_entries.GetCount()) &&
            m_entries[static_cast<int>(index)].ComparePath(entry) == 0) {
            found = item;
            break;
        }
    }
    return SetCurSel(found) >= 0;
}
