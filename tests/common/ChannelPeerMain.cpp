// Test helper: the other process of the channel tests (see ChannelPeer.h).
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "AppConsts.h"
#include "ChannelPeer.h"
#include "ProcessesCommunication.h"
#include "SubclassMessages.h"

using namespace vpw;
using namespace vpw::test;

static int Serve(const std::string& base) {
    TProcessesCommunication channel(base);
    channel.StartServer();
    if (HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, (base + "PeerReady").c_str())) {
        SetEvent(ready);
        CloseHandle(ready);
    }
    std::vector<std::int32_t> log;
    DWORD idleSince = GetTickCount();
    for (;;) {
        int command = 0, length = 0;
        TChannelBuffer data;
        int r = channel.WaitForCommand(command, length, data);
        if (r == TProcessesCommunication::RESULT_TIMEOUT) {
            if (GetTickCount() - idleSince > 30000) return 3;  // the test is gone
            continue;
        }
        idleSince = GetTickCount();
        if (r != TProcessesCommunication::RESULT_DONE) {
            log.push_back(PEER_LOG_FAILURE);
            continue;
        }
        switch (command) {
            case PEER_SLOW:
                Sleep(PEER_SLOW_MS);
                [[fallthrough]];
            case PEER_ECHO:
                channel.Reply(command + PEER_REPLY_OFFSET, data.size(), data.data());
                break;
            case PEER_EMPTY:
                channel.Reply(-7, 0, nullptr);
                break;
            case PEER_TOO_LONG: {
                std::vector<char> big(TProcessesCommunication::MAX_DATA_LENGTH + 1, 'x');
                channel.Reply(1, big.size(), big.data());
                break;
            }
            case PEER_LOG:
                channel.Reply(command + PEER_REPLY_OFFSET, log.size() * sizeof log[0], log.data());
                break;
            case PEER_QUIT:
                channel.Reply(command + PEER_REPLY_OFFSET, 0, nullptr);
                return 0;
            default:
                break;  // unknown commands get no reply
        }
        log.push_back(command);
    }
}

static int WriteMessages(const std::string& file) {
    FILE* f = std::fopen(file.c_str(), "w");
    if (!f) return 2;
    std::fprintf(f, "%u %u %u %u %u\n", WM_TRAYICONNOTIFY, WM_EXTENDERATTACHED, WM_ATTACHEXTENDER,
                 WM_DETACHEXTENDER, WM_SUBCLASSREPLACED);
    return std::fclose(f) == 0 ? 0 : 2;
}

int main(int argc, char** argv) {
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "server" && argc > 2) return Serve(argv[2]);
    if (mode == "messages" && argc > 2) return WriteMessages(argv[2]);
    return 1;
}
