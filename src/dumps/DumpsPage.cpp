#include "dumps/DumpsPage.h"

#include "base/PathUtils.h"
#include "framework/FileDialogs.h"
#include "framework/MessageBoxes.h"
#include "framework/ElevationPrompt.h"
#include "resources/resource.h"

namespace {
// The kind box's items in order, as the words the LocalDumps unit takes; "*" stands for a kind
// of an unexpected value, which no item shows.
const wchar_t* const kTypeWords[] = {L"", L"mini", L"full", L"custom"};
const UINT kTypeNames[] = {IDS_DUMPS_TYPE_DEFAULT, IDS_DUMPS_TYPE_MINI, IDS_DUMPS_TYPE_FULL,
                           IDS_DUMPS_TYPE_CUSTOM};
const wchar_t kNoType[] = L"*";
constexpr int kCustomItem = 3;
const int kFieldIds[kDumpFieldCount] = {IDC_DUMPS_FOLDER, IDC_DUMPS_COUNT, IDC_DUMPS_TYPE,
                                        IDC_DUMPS_FLAGS};

bool SameName(const wchar_t* a, const wchar_t* b) {
    return CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL;
}
} // namespace

CDumpsPage::CDumpsPage() : CPropertyPage(IDD_DUMPS) {}

MessageTable CDumpsPage::GetMessageTable() const {
    static const MessageEntry table[] = {
        OnCommand<&CDumpsPage::OnProgramSelected>(IDC_DUMPS_PROGRAM, CBN_SELCHANGE),
        OnCommand<&CDumpsPage::OnChanged>(IDC_DUMPS_ON, BN_CLICKED),
        OnCommand<&CDumpsPage::OnChanged>(IDC_DUMPS_FOLDER, EN_CHANGE),
        OnCommand<&CDumpsPage::OnChanged>(IDC_DUMPS_COUNT, EN_CHANGE),
        OnCommand<&CDumpsPage::OnChanged>(IDC_DUMPS_TYPE, CBN_SELCHANGE),
        OnCommand<&CDumpsPage::OnChanged>(IDC_DUMPS_FLAGS, EN_CHANGE),
        OnCommand<&CDumpsPage::OnAdd>(IDC_DUMPS_ADD, BN_CLICKED),
        OnCommand<&CDumpsPage::OnRemove>(IDC_DUMPS_REMOVE, BN_CLICKED),
        OnCommand<&CDumpsPage::OnPick>(IDC_DUMPS_PICK, BN_CLICKED),
        OnCommand<&CDumpsPage::OnBrowse>(IDC_DUMPS_BROWSE, BN_CLICKED),
        OnCommand<&CDumpsPage::OnOpenFolder>(IDC_DUMPS_OPEN, BN_CLICKED),
    };
    return table;
}

bool CDumpsPage::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    CDataExchange dx(this, false);
    DDX_Control(&dx, IDC_DUMPS_ON, m_onCheck);
    DDX_Control(&dx, IDC_DUMPS_PROGRAM, m_programList);
    DDX_Control(&dx, IDC_DUMPS_NEW, m_newProgram);
    DDX_Control(&dx, IDC_DUMPS_TYPE, m_typeList);
    DDX_Control(&dx, IDC_DUMPS_KEPT, m_keptLine);
    for (int field = 0; field < kDumpFieldCount; ++field) {
        if (field != kDumpType)
            DDX_Control(&dx, kFieldIds[field], m_fields[field]);
    }
    for (UINT name : kTypeNames) {
        CString text;
        text.LoadString(name);
        m_typeList.AddString(text);
    }
    Load();
    return true;
}

void CDumpsPage::Load() {
    // The entry shown stays shown when its key is still there.
    const CString current =
        m_current < m_entries.GetCount() ? m_entries[m_current].program : CString();
    m_entries.RemoveAll();
    CSimpleArray<CString> programs;
    ListLocalDumpsPrograms(programs);
    // Every program first, then the program keys as the registry lists them.
    for (int i = -1; i < programs.GetCount(); ++i) {
        Entry entry;
        if (i >= 0)
            entry.program = programs[i];
        ReadLocalDumps(entry.program, entry.stored);
        for (int field = 0; field < kDumpFieldCount; ++field) {
            const DumpValue& value = entry.stored.values[field];
            entry.shown[field] = field == kDumpType && value.state == DumpValue::kUnexpected
                                     ? CString(kNoType)
                                     : DumpFieldText(value, static_cast<DumpField>(field));
            entry.edited[field] = entry.shown[field];
        }
        m_entries.Add(entry);
    }
    m_storedOn = AreLocalDumpsOn();
    m_onCheck.SetCheck(m_storedOn ? BST_CHECKED : BST_UNCHECKED);

    m_programList.ResetContent();
    int select = 0;
    for (int i = 0; i < m_entries.GetCount(); ++i) {
        CString all;
        all.LoadString(IDS_DUMPS_ALL);
        int item = m_programList.AddString(i ? m_entries[i].program.GetString() : all.GetString());
        m_programList.SetItemData(item, i);
        if (i && SameName(m_entries[i].program, current))
            select = item;
    }
    SelectEntry(select);
    SetModified(false);
}

void CDumpsPage::SelectEntry(int item) {
    m_programList.SetCurSel(item);
    ShowEntry(static_cast<int>(m_programList.GetItemData(item)));
}

void CDumpsPage::ShowEntry(int index) {
    m_current = index;
    const Entry& entry = m_entries[index];
    m_showing = true;
    CString kept;
    for (int field = 0; field < kDumpFieldCount; ++field) {
        if (field == kDumpType) {
            int item = -1;
            for (int i = 0; i < static_cast<int>(ARRAYSIZE(kTypeWords)); ++i) {
                if (SameName(entry.edited[field], kTypeWords[i]))
                    item = i;
            }
            m_typeList.SetCurSel(item);
        } else {
            m_fields[field].SetWindowText(entry.edited[field]);
        }
        if (entry.stored.values[field].state == DumpValue::kUnexpected)
            kept.AppendFormat(L"%s%s", kept.IsEmpty() ? L"" : L", ", kDumpValueNames[field]);
    }
    CString line;
    if (!kept.IsEmpty()) {
        CString format;
        format.LoadString(IDS_DUMPS_KEPT);
        line.Format(format, kept.GetString());
    }
    m_keptLine.SetWindowText(line);
    m_showing = false;
    UpdateEnabling();
}

void CDumpsPage::UpdateEnabling() {
    const int index = m_current;
    // Every program's settings count only while local dumps are on.
    const bool editable = index != 0 || m_onCheck.GetCheck() == BST_CHECKED;
    for (int field = 0; field < kDumpFieldCount; ++field)
        ::EnableWindow(GetDlgItem(m_hwnd, kFieldIds[field]), editable);
    m_fields[kCustomDumpFlags].EnableWindow(editable && m_typeList.GetCurSel() == kCustomItem);
    ::EnableWindow(GetDlgItem(m_hwnd, IDC_DUMPS_REMOVE), index != 0);
}

void CDumpsPage::SaveControls() {
    Entry& entry = m_entries[m_current];
    for (int field = 0; field < kDumpFieldCount; ++field) {
        if (field == kDumpType) {
            int item = m_typeList.GetCurSel();
            entry.edited[field] = item >= 0 ? kTypeWords[item] : kNoType;
        } else {
            entry.edited[field] = m_fields[field].GetWindowText();
        }
    }
}

void CDumpsPage::UpdateModified() {
    bool changed = (m_onCheck.GetCheck() == BST_CHECKED) != m_storedOn;
    for (int i = 0; i < m_entries.GetCount() && !changed; ++i) {
        const Entry& entry = m_entries[i];
        changed = i > 0 && entry.removed == entry.stored.exists;
        for (int field = 0; field < kDumpFieldCount && !changed; ++field)
            changed = !(entry.edited[field] == entry.shown[field]);
    }
    SetModified(changed);
}

void CDumpsPage::OnProgramSelected() {
    SaveControls();
    ShowEntry(static_cast<int>(m_programList.GetItemData(m_programList.GetCurSel())));
}

void CDumpsPage::OnChanged() {
    if (m_showing)
        return;
    SaveControls();
    UpdateEnabling(); // the kind and the switch decide what can be edited
    UpdateModified();
}

void CDumpsPage::OnAdd() {
    LocalDumpsChange change;
    change.program = m_newProgram.GetWindowText();
    change.program.Trim();
    change.on = false; // only the name is checked
    DumpsRule rule = ValidateLocalDumps(change);
    if (rule != DumpsRule::kNone) {
        MessageBoxResource(DumpsRuleText(rule), MB_ICONEXCLAMATION);
        m_newProgram.SetFocus();
        return;
    }
    SaveControls();
    int index = 1;
    while (index < m_entries.GetCount() && !SameName(m_entries[index].program, change.program))
        ++index;
    if (index == m_entries.GetCount()) {
        Entry entry;
        entry.program = change.program;
        if (!m_entries.Add(entry))
            return;
    }
    Entry& entry = m_entries[index];
    int item = m_programList.GetCount();
    for (int i = 0; i < m_programList.GetCount(); ++i) {
        if (static_cast<int>(m_programList.GetItemData(i)) == index)
            item = i;
    }
    if (item == m_programList.GetCount()) {
        entry.removed = false;
        item = m_programList.AddString(entry.program);
        m_programList.SetItemData(item, index);
    }
    // A program's key switches local dumps on for every program as well.
    m_onCheck.SetCheck(BST_CHECKED);
    m_newProgram.SetWindowText(L"");
    SelectEntry(item);
    UpdateModified();
}

void CDumpsPage::OnRemove() {
    int item = m_programList.GetCurSel();
    if (m_current == 0 || item < 0)
        return;
    m_entries[m_current].removed = true;
    m_programList.SendMessage(CB_DELETESTRING, item);
    SelectEntry(0);
    UpdateModified();
}

void CDumpsPage::OnPick() {
    wchar_t file[MAX_PATH];
    if (!PickExecutable(nullptr, file))
        return;
    m_newProgram.SetWindowText(FindFileName(file));
    OnAdd();
}

void CDumpsPage::OnBrowse() {
    wchar_t folder[MAX_PATH];
    if (PickFolder(IDS_DUMPS_BROWSE_TITLE, folder))
        m_fields[kDumpFolder].SetWindowText(folder);
}

void CDumpsPage::OnOpenFolder() {
    CString folder = m_fields[kDumpFolder].GetWindowText();
    CString path;
    // The system's default, as this account sees it.
    if (ExpandFullPath(folder.IsEmpty() ? L"%LOCALAPPDATA%\\CrashDumps" : folder.GetString(), path))
        ShellOpen(path);
}

bool CDumpsPage::CollectChanges(CSimpleArray<LocalDumpsChange>& changes, int& at, DumpField& field,
                                DumpsRule& rule) {
    const bool on = m_onCheck.GetCheck() == BST_CHECKED;
    // Removals first, then every program off, then what is switched on or changed.
    for (int pass = 0; pass < 3; ++pass) {
        for (int i = 0; i < m_entries.GetCount(); ++i) {
            const Entry& entry = m_entries[i];
            LocalDumpsChange change;
            change.program = entry.program;
            change.on = pass == 2;
            if (pass == 0 && !(i > 0 && entry.removed && entry.stored.exists))
                continue;
            if (pass == 1 && !(i == 0 && !on && m_storedOn))
                continue;
            if (pass == 2) {
                if (entry.removed || (i == 0 && !on))
                    continue;
                bool any = !entry.stored.exists;
                for (int f = 0; f < kDumpFieldCount; ++f) {
                    if (entry.edited[f] == entry.shown[f])
                        continue;
                    any = true;
                    rule = SetDumpField(change, static_cast<DumpField>(f), entry.edited[f]);
                    if (rule != DumpsRule::kNone) {
                        at = i;
                        field = static_cast<DumpField>(f);
                        return false;
                    }
                }
                if (!any)
                    continue;
            }
            rule = ValidateLocalDumps(change);
            if (rule != DumpsRule::kNone) {
                at = i;
                field = rule == DumpsRule::kFolderTooLong ? kDumpFolder : kCustomDumpFlags;
                return false;
            }
            if (!changes.Add(change))
                return false;
        }
    }
    return true;
}

void CDumpsPage::OfferFolders(const CSimpleArray<LocalDumpsChange>& changes) {
    for (int i = 0; i < changes.GetCount(); ++i) {
        const DumpValue& folder = changes[i].values[kDumpFolder];
        if (!changes[i].changed[kDumpFolder] || folder.state != DumpValue::kPresent ||
            DumpFolderExists(folder.text))
            continue;
        if (MessageBoxResource(IDS_DUMPS_CREATE_FOLDER, MB_YESNO | MB_ICONQUESTION,
                               folder.text.GetString()) == IDYES &&
            !CreateDumpFolder(folder.text))
            MessageBoxResourceError(IDS_DUMPS_FOLDER_FAILED, MB_ICONEXCLAMATION, -1);
    }
}

bool CDumpsPage::OnApply() {
    SaveControls();
    CSimpleArray<LocalDumpsChange> changes;
    int at = 0;
    DumpField field = kDumpFolder;
    DumpsRule rule = DumpsRule::kNone;
    if (!CollectChanges(changes, at, field, rule)) {
        if (rule == DumpsRule::kNone)
            return false; // out of memory
        for (int item = 0; item < m_programList.GetCount(); ++item) {
            if (static_cast<int>(m_programList.GetItemData(item)) == at)
                SelectEntry(item);
        }
        MessageBoxResource(DumpsRuleText(rule), MB_ICONEXCLAMATION);
        ::SetFocus(GetDlgItem(m_hwnd, rule == DumpsRule::kProgramName ? IDC_DUMPS_PROGRAM
                                                                      : kFieldIds[field]));
        return false;
    }
    if (changes.GetCount() == 0)
        return true;
    // Refused, or an elevated instance was started that will close this one.
    if (!RequireElevation(IDS_ELEVATION_PROMPT))
        return false;
    OfferFolders(changes);
    for (int i = 0; i < changes.GetCount(); ++i) {
        if (!ApplyLocalDumps(changes[i])) {
            MessageBoxResource(GetLastError() == ERROR_DIR_NOT_EMPTY ? IDS_DUMPS_NOT_EMPTY
                                                                     : IDS_DUMPS_WRITE_FAILED,
                               MB_ICONEXCLAMATION);
            Load();
            return true;
        }
    }
    Load();
    MessageBoxResource(IDS_DUMPS_SET, MB_ICONINFORMATION);
    return true;
}
