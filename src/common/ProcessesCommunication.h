// A command channel between the processes of one desktop: a client sends a
// numbered command with a byte payload and waits for a numbered reply with a
// byte payload. Built from named kernel objects only, all named from one base
// name, so that separately built programs meet on the names and the block.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "WinHandles.h"

namespace vpw {

// A payload received from the other side; empty when its length is 0.
using TChannelBuffer = std::vector<char>;

// The shared block begins with this header, the payload follows; the same
// layout in 32- and 64-bit processes.
struct TChannelBlockHeader {
    std::int32_t code;
    std::int32_t length;
};
static_assert(sizeof(TChannelBlockHeader) == 8 && offsetof(TChannelBlockHeader, code) == 0 &&
              offsetof(TChannelBlockHeader, length) == 4);

class TProcessesCommunication {
public:
    static constexpr DWORD BLOCK_SIZE = 16384;
    static constexpr std::size_t MAX_DATA_LENGTH = BLOCK_SIZE - sizeof(TChannelBlockHeader);
    static constexpr DWORD DEFAULT_TIMEOUT = 500;

    // Results of SendCommand and WaitForCommand.
    static constexpr int RESULT_DONE = 0;
    static constexpr int RESULT_TIMEOUT = 1;
    static constexpr int RESULT_FAILED = 2;

    // Creates the named objects, or opens them when another process did.
    explicit TProcessesCommunication(const std::string& baseName);
    ~TProcessesCommunication();
    TProcessesCommunication(const TProcessesCommunication&) = delete;
    TProcessesCommunication& operator=(const TProcessesCommunication&) = delete;

    // The limit of every timed wait of this object.
    void SetTimeout(DWORD milliseconds) { timeout_ = milliseconds; }

    // Client. One command at a time across all processes.
    int SendCommand(int command, std::size_t dataLength, const void* data, TChannelBuffer& replyData,
                     int& replyLength, int& replyResult);

    // Server. StartServer drops a new-command signal left over from an
    // earlier run, so a command nobody waits for any more is not carried out.
    void StartServer();
    int WaitForCommand(int& command, int& dataLength, TChannelBuffer& data);
    // Answers the command last taken by WaitForCommand. Nothing is written
    // when the payload is too long or when another command has been written
    // since (its client gave up); that client then ends with a time-out.
    void Reply(int result, std::size_t dataLength, const void* data);

    // Guards every access to the block; waits the time-out at most and
    // answers RESULT_DONE, RESULT_TIMEOUT or RESULT_FAILED.
    int LockWrite();
    void UnlockWrite();
    // Ends the server's current and next WaitForCommand as a time-out, so
    // that a thread asked to stop need not wait for it.
    void Interrupt();
    // Writes the three fields; a length above the capacity writes nothing.
    void WriteBlock(int code, std::size_t length, const void* data);

private:
    bool IsOpen() const;
    // Copies a payload out of the block; false when its length is out of range.
    bool ReadBlock(int& code, int& length, TChannelBuffer& data);
    int Exchange(int command, std::size_t dataLength, const void* data, TChannelBuffer& replyData,
                 int& replyLength, int& replyResult);

    TKernelHandle writeLockMutex_;
    TKernelHandle commandLockMutex_;
    TKernelHandle mapping_;
    TMappedView view_;
    TKernelHandle newCommandEvent_;
    TKernelHandle commandCompleteEvent_;
    std::string baseName_;
    DWORD size_ = BLOCK_SIZE;
    DWORD timeout_ = DEFAULT_TIMEOUT;
    std::int32_t* code_ = nullptr;
    std::int32_t* length_ = nullptr;
    char* data_ = nullptr;
    TKernelHandle interrupt_;  // of this process only
};

}  // namespace vpw
