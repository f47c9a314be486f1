#include "SingleAppInstance.h"

#include "WinHandles.h"

#include <cstdint>
#include <cstring>

namespace vpw {

namespace {

constexpr DWORD kBlockSize = 8;

struct Block {
    std::int32_t processId;
    std::int32_t threadId;
};
static_assert(sizeof(Block) == kBlockSize);

BOOL CALLBACK TakeFirstVisible(HWND window, LPARAM found) noexcept {
    if (!IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

}  // namespace

TSingleAppInstance::TSingleAppInstance(const std::string& MappingName) : mappingName_(MappingName) { InitIds(); }

void TSingleAppInstance::InitIds() {
    if (processId_ == 0) processId_ = GetCurrentProcessId();
    if (threadId_ == 0) threadId_ = GetCurrentThreadId();
}

bool TSingleAppInstance::ReadBlock(HANDLE mapping) {
    TMappedView view(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, kBlockSize));
    if (!view) return false;
    Block block;
    std::memcpy(&block, view.Get(), sizeof block);
    storedProcessId_ = static_cast<DWORD>(block.processId);
    storedThreadId_ = static_cast<DWORD>(block.threadId);
    return true;
}

bool TSingleAppInstance::ReadStoredIds() {
    TKernelHandle mapping(OpenFileMappingA(FILE_MAP_READ, FALSE, mappingName_.c_str()));
    return mapping && ReadBlock(mapping.Get());
}

bool TSingleAppInstance::CheckAndRegister() {
    InitIds();
    if (TKernelHandle existing(OpenFileMappingA(FILE_MAP_READ, FALSE, mappingName_.c_str())); existing)
        return ReadBlock(existing.Get()) && storedProcessId_ != processId_;
    SetLastError(ERROR_SUCCESS);
    TKernelHandle mapping(
        CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBlockSize, mappingName_.c_str()));
    if (!mapping) return false;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        // Another instance created it since the open above: it is the
        // first one, and its ids must not be overwritten. Ids it has not
        // written yet read as 0, which is never ours.
        return ReadBlock(mapping.Get()) && storedProcessId_ != processId_;
    }
    {
        TMappedView view(MapViewOfFile(mapping.Get(), FILE_MAP_WRITE, 0, 0, kBlockSize));
        if (!view) return false;
        Block block{static_cast<std::int32_t>(processId_), static_cast<std::int32_t>(threadId_)};
        std::memcpy(view.Get(), &block, sizeof block);
    }
    storedProcessId_ = processId_;
    storedThreadId_ = threadId_;
    // The handle stays open on purpose: the name lives as long as the
    // process.
    mapping.Release();
    return false;
}

bool TSingleAppInstance::IsAnotherInstanceRunning() {
    InitIds();
    return ReadStoredIds() && storedProcessId_ != processId_;
}

void TSingleAppInstance::ActivateAnotherInstance() {
    if (storedThreadId_ == 0) return;
    HWND window = nullptr;
    EnumThreadWindows(storedThreadId_, TakeFirstVisible, reinterpret_cast<LPARAM>(&window));
    if (!window) return;
    SetForegroundWindow(window);
    // Posted: a first instance that does not answer must not hang this one.
    if (IsIconic(window)) ShowWindowAsync(window, SW_RESTORE);
}

}  // namespace vpw
