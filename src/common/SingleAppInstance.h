// Tells whether another process of the same program runs, through a named
// 8-byte block (process id, thread id) that the first instance keeps open.
#pragma once
#include <windows.h>

#include <string>

namespace vpw {

class TSingleAppInstance {
public:
    explicit TSingleAppInstance(const std::string& MappingName);

    void InitIds();
    // True when another instance is registered; otherwise registers this one
    // for the rest of the process's life.
    bool CheckAndRegister();
    bool IsAnotherInstanceRunning();
    // Brings the first visible window of the stored thread to the front.
    void ActivateAnotherInstance();

    DWORD ProcessId() const { return processId_; }
    DWORD ThreadId() const { return threadId_; }
    const std::string& MappingName() const { return mappingName_; }
    DWORD StoredProcessId() const { return storedProcessId_; }
    DWORD StoredThreadId() const { return storedThreadId_; }

private:
    // Read the stored ids; false when there is no block or it cannot be mapped.
    bool ReadStoredIds();
    bool ReadBlock(HANDLE mapping);

    DWORD processId_ = 0;
    DWORD threadId_ = 0;
    std::string mappingName_;
    DWORD storedProcessId_ = 0;
    DWORD storedThreadId_ = 0;
};

}  // namespace vpw
