// Lets one instance of the program run per session for a given executable file name. The
// instances share a named mutex whose name carries a hash of the file name, and talk through the
// broadcast instance-notify message: a plain second start asks the running instance to come to
// the front and ends; an elevated restart ("runas") asks it to close and takes its place.
#pragma once

#include <windows.h>

#include "base/Handle.h"
#include "base/String.h"

// The instance identifier of an executable file name (extension included, no folder): the
// name upper-cased, each UTF-16 unit added after rotating the sum right by 13 bits.
DWORD ComputeInstanceId(const wchar_t* fileName);
// "Local\ZKWInstance.XXXXXXXX" for an identifier.
bool FormatInstanceMutexName(DWORD id, CString& name);

// True when the command line is the program name and exactly the one argument "runas".
bool IsElevatedRestart();

class CInstanceManager {
public:
    enum : DWORD { kEveryInstance = 0xFFFFFFFF };

    CInstanceManager();
    CInstanceManager(const CInstanceManager&) = delete;
    CInstanceManager& operator=(const CInstanceManager&) = delete;

    // True: this process runs. False: another instance runs (and was asked to come to the
    // front when activatePrevious is set); this process must end at once.
    bool Acquire(bool activatePrevious);
    // 1: another instance holds the name; 0: this process created the mutex; negative: a
    // failure code. The handle is kept either way.
    HRESULT CreateInstanceMutex();
    bool NotifyActivate() const;
    bool NotifyClose() const;
    // Whether an instance-notify message with this identifier is meant for this instance.
    bool IsSameInstance(DWORD id) const { return id == m_instanceId || id == kEveryInstance; }

private:
    bool Notify(WPARAM code) const;

    DWORD m_instanceId;
    // The named mutex, kept whether this process created it or another instance did.
    CKernelHandle m_mutex;
};
