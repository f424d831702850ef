// The Crash Dumps page: Windows Error Reporting's local dumps for every program and for the
// programs with settings of their own. It holds the user's edits of each until OK or Apply, and
// leaves every rule to the LocalDumps unit.
#pragma once

#include "base/Array.h"
#include "dumps/LocalDumps.h"
#include "framework/PropertyPage.h"

class CDumpsPage : public CPropertyPage {
public:
    CDumpsPage();

protected:
    bool OnInitDialog() override;
    bool OnApply() override;
    MessageTable GetMessageTable() const override;

private:
    // One entry of the list: every program (the first) or a program's key, as stored and as
    // the controls last showed it (the kind as its combo-box index).
    struct Entry {
        CString program;
        LocalDumpsSettings stored;
        CString shown[kDumpFieldCount];
        CString edited[kDumpFieldCount];
        bool removed = false;
    };

    // Reads the registry into the entries and shows the first.
    void Load();
    void ShowEntry(int index);
    // Enables what the current entry, the switch and the kind let the user edit.
    void UpdateEnabling();
    // The controls into the current entry.
    void SaveControls();
    // Enables Apply when any edit differs from what is stored.
    void UpdateModified();
    // The changes the entries ask for, in the order they are written; false with the entry
    // and field to point at when a rule is broken.
    bool CollectChanges(CSimpleArray<LocalDumpsChange>& changes, int& entry, DumpField& field,
                        DumpsRule& rule);
    // Offers to create each missing folder the changes name.
    void OfferFolders(const CSimpleArray<LocalDumpsChange>& changes);
    void SelectEntry(int index);

    void OnProgramSelected();
    void OnChanged();
    void OnAdd();
    void OnRemove();
    void OnPick();
    void OnBrowse();
    void OnOpenFolder();

    CButton m_onCheck;
    CComboBox m_programList;
    CEdit m_newProgram;
    CEdit m_fields[kDumpFieldCount]; // the kind's slot stays unbound: it is a combo box
    CComboBox m_typeList;
    CStatic m_keptLine;

    CSimpleArray<Entry> m_entries;
    int m_current = 0;
    bool m_storedOn = false;
    bool m_showing = false; // the page itself is filling the controls
};
