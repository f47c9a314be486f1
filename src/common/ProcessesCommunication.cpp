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
    // The view is this process's own: creating and closing it takes no
    // cross-process lock, which a stuck peer could hold for ever.
    writeLockMutex_.Reset(CreateMutexA(nullptr, FALSE, (baseName_ + "WriteLockMutex").c_str()));
    commandLockMutex_.Reset(CreateMutexA(nullptr, FALSE, (baseName_ + "CommandLockMutex").c_str()));
    newCommandEvent_.Reset(CreateEventA(nullptr, FALSE, FALSE, (baseName_ + "NewCommandEvent").c_str()));
    commandCompleteEvent_.Reset(CreateEventA(nullptr, FALSE, TRUE, (baseName_ + "CommandCompleteEvent").c_str()));
    mapping_.Reset(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size_,
                                      (baseName_ + "SharedMemory").c_str()));
    if (mapping_) view_.Reset(MapViewOfFile(mapping_.Get(), FILE_MAP_ALL_ACCESS, 0, 0, size_));
    if (view_) {
        auto* header = static_cast<TChannelBlockHeader*>(view_.Get());
        code_ = &header->code;
        length_ = &header->length;
        data_ = reinterpret_cast<char*>(header + 1);
    }
    interrupt_.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
}

TProcessesCommunication::~TProcessesCommunication() = default;

bool TProcessesCommunication::IsOpen() const {
    return writeLockMutex_ && commandLockMutex_ && newCommandEvent_ && commandCompleteEvent_ && view_ && interrupt_;
}

int TProcessesCommunication::LockWrite() {
    if (!writeLockMutex_) return RESULT_FAILED;
    DWORD wait = WaitForSingleObject(writeLockMutex_.Get(), timeout_);
    if (Acquired(wait)) return RESULT_DONE;
    return wait == WAIT_TIMEOUT ? RESULT_TIMEOUT : RESULT_FAILED;
}

void TProcessesCommunication::UnlockWrite() { ReleaseMutex(writeLockMutex_.Get()); }

void TProcessesCommunication::Interrupt() {
    if (interrupt_) SetEvent(interrupt_.Get());
}

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

    DWORD wait = WaitForSingleObject(commandLockMutex_.Get(), timeout_);
    if (wait == WAIT_TIMEOUT) return RESULT_TIMEOUT;
    if (!Acquired(wait)) return RESULT_FAILED;
    int result = Exchange(command, dataLength, data, replyData, replyLength, replyResult);
    ReleaseMutex(commandLockMutex_.Get());
    return result;
}

int TProcessesCommunication::Exchange(int command, std::size_t dataLength, const void* data,
                                      TChannelBuffer& replyData, int& replyLength, int& replyResult) {
    if (int locked = LockWrite(); locked != RESULT_DONE) return locked;
    WriteBlock(command, dataLength, data);
    UnlockWrite();
    // A reply that came after an earlier client gave up may still have set the
    // event; clear it only now that our request has replaced the block.
    ResetEvent(commandCompleteEvent_.Get());
    SetEvent(newCommandEvent_.Get());

    DWORD wait = WaitForSingleObject(commandCompleteEvent_.Get(), timeout_);
    if (wait == WAIT_TIMEOUT) return RESULT_TIMEOUT;
    if (wait != WAIT_OBJECT_0) return RESULT_FAILED;
    if (int locked = LockWrite(); locked != RESULT_DONE) return locked;
    int code = 0, length = 0;
    bool ok = ReadBlock(code, length, replyData);
    UnlockWrite();
    if (!ok) return RESULT_FAILED;
    replyResult = code;
    replyLength = length;
    return RESULT_DONE;
}

void TProcessesCommunication::StartServer() {
    if (newCommandEvent_) ResetEvent(newCommandEvent_.Get());
}

int TProcessesCommunication::WaitForCommand(int& command, int& dataLength, TChannelBuffer& data) {
    command = 0;
    dataLength = 0;
    data = TChannelBuffer();
    if (!IsOpen()) return RESULT_FAILED;

    HANDLE events[] = {newCommandEvent_.Get(), interrupt_.Get()};
    DWORD wait = WaitForMultipleObjects(2, events, FALSE, timeout_);
    if (wait == WAIT_TIMEOUT || wait == WAIT_OBJECT_0 + 1) return RESULT_TIMEOUT;
    if (wait != WAIT_OBJECT_0) return RESULT_FAILED;
    // The command stays signalled for the next wait while the block is busy.
    if (int locked = LockWrite(); locked != RESULT_DONE) {
        SetEvent(newCommandEvent_.Get());
        return locked;
    }
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
    if (LockWrite() != RESULT_DONE) return;
    bool current = *length_ == TAKEN_LENGTH;
    if (current) WriteBlock(result, dataLength, data);
    UnlockWrite();
    if (current) SetEvent(commandCompleteEvent_.Get());
}

}  // namespace vpw
