#include "ProcessesCommunication.h"

#include <cstring>

namespace vpw {

namespace {

// The server puts this into the length field once it has taken a request. No
// client writes it, so a reply goes out only while no newer request has been
// written, even one identical to the request being answered; a late reply
// never lands on the next client's request, and a request is never read twice.
constexpr std::int32_t TAKEN_LENGTH = -1;

bool Acquired(DWORD wait) { return wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED; }

}  // namespace

TProcessesCommunication::TProcessesCommunication(const std::string& baseName) : baseName_(baseName) {
    writeLockMutex_ = CreateMutexA(nullptr, FALSE, (baseName_ + "WriteLockMutex").c_str());
    bool locked = LockWrite();
    commandLockMutex_ = CreateMutexA(nullptr, FALSE, (baseName_ + "CommandLockMutex").c_str());
    newCommandEvent_ = CreateEventA(nullptr, FALSE, FALSE, (baseName_ + "NewCommandEvent").c_str());
    commandCompleteEvent_ = CreateEventA(nullptr, FALSE, TRUE, (baseName_ + "CommandCompleteEvent").c_str());
    mapping_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size_,
                                  (baseName_ + "SharedMemory").c_str());
    if (mapping_) view_ = MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, size_);
    if (view_) {
        auto* block = static_cast<char*>(view_);
        code_ = reinterpret_cast<std::int32_t*>(block);
        length_ = reinterpret_cast<std::int32_t*>(block + 4);
        data_ = block + 8;
    }
    if (locked) UnlockWrite();
}

TProcessesCommunication::~TProcessesCommunication() {
    bool locked = LockWrite();
    if (view_) UnmapViewOfFile(view_);
    for (HANDLE h : {commandLockMutex_, newCommandEvent_, commandCompleteEvent_, mapping_})
        if (h) CloseHandle(h);
    if (locked) UnlockWrite();
    if (writeLockMutex_) CloseHandle(writeLockMutex_);
}

bool TProcessesCommunication::IsOpen() const {
    return writeLockMutex_ && commandLockMutex_ && newCommandEvent_ && commandCompleteEvent_ && view_;
}

bool TProcessesCommunication::LockWrite() {
    return writeLockMutex_ && Acquired(WaitForSingleObject(writeLockMutex_, INFINITE));
}

void TProcessesCommunication::UnlockWrite() { ReleaseMutex(writeLockMutex_); }

void TProcessesCommunication::WriteBlock(int code, std::size_t length, const void* data) {
    if (!view_ || length > MAX_DATA_LENGTH) return;
    *code_ = code;
    *length_ = static_cast<std::int32_t>(length);
    if (length) std::memcpy(data_, data, length);
}

bool TProcessesCommunication::ReadBlock(int& code, int& length, TChannelBuffer& data) {
    // Any process of the desktop can write the block: trust no length.
    std::int32_t n = *length_;
    if (n < 0 || static_cast<std::size_t>(n) > MAX_DATA_LENGTH) return false;
    code = *code_;
    length = n;
    data.assign(data_, data_ + n);
    return true;
}

int TProcessesCommunication::SendCommand(int command, std::size_t dataLength, const void* data,
                                         TChannelBuffer& replyData, int& replyLength, int& replyResult) {
    replyData = TChannelBuffer();
    replyLength = 0;
    replyResult = 0;
    if (dataLength > MAX_DATA_LENGTH || (dataLength && !data) || !IsOpen()) return RESULT_FAILED;

    DWORD wait = WaitForSingleObject(commandLockMutex_, timeout_);
    if (wait == WAIT_TIMEOUT) return RESULT_TIMEOUT;
    if (!Acquired(wait)) return RESULT_FAILED;
    int result = Exchange(command, dataLength, data, replyData, replyLength, replyResult);
    ReleaseMutex(commandLockMutex_);
    return result;
}

int TProcessesCommunication::Exchange(int command, std::size_t dataLength, const void* data,
                                      TChannelBuffer& replyData, int& replyLength, int& replyResult) {
    if (!LockWrite()) return RESULT_FAILED;
    WriteBlock(command, dataLength, data);
    UnlockWrite();
    // A reply that came after an earlier client gave up may still have set the
    // event; clear it only now that our request has replaced the block.
    ResetEvent(commandCompleteEvent_);
    SetEvent(newCommandEvent_);

    DWORD wait = WaitForSingleObject(commandCompleteEvent_, timeout_);
    if (wait == WAIT_TIMEOUT) return RESULT_TIMEOUT;
    if (wait != WAIT_OBJECT_0 || !LockWrite()) return RESULT_FAILED;
    int code = 0, length = 0;
    bool ok = ReadBlock(code, length, replyData);
    UnlockWrite();
    if (!ok) return RESULT_FAILED;
    replyResult = code;
    replyLength = length;
    return RESULT_DONE;
}

void TProcessesCommunication::StartServer() {
    if (newCommandEvent_) ResetEvent(newCommandEvent_);
}

int TProcessesCommunication::WaitForCommand(int& command, int& dataLength, TChannelBuffer& data) {
    command = 0;
    dataLength = 0;
    data = TChannelBuffer();
    if (!IsOpen()) return RESULT_FAILED;

    DWORD wait = WaitForSingleObject(newCommandEvent_, timeout_);
    if (wait == WAIT_TIMEOUT) return RESULT_TIMEOUT;
    if (wait != WAIT_OBJECT_0 || !LockWrite()) return RESULT_FAILED;
    int code = 0, length = 0;
    bool ok = ReadBlock(code, length, data);
    if (ok) *length_ = TAKEN_LENGTH;
    UnlockWrite();
    if (!ok) return RESULT_FAILED;
    command = code;
    dataLength = length;
    return RESULT_DONE;
}

void TProcessesCommunication::Reply(int result, std::size_t dataLength, const void* data) {
    if (dataLength > MAX_DATA_LENGTH || (dataLength && !data) || !IsOpen()) return;
    if (!LockWrite()) return;
    bool current = *length_ == TAKEN_LENGTH;
    if (current) WriteBlock(result, dataLength, data);
    UnlockWrite();
    if (current) SetEvent(commandCompleteEvent_);
}

}  // namespace vpw
