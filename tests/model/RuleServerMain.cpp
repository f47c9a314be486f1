// Test peer: loads the configuration file beside it and answers rule
// lookups on the command channel until it is sent command 3.
#include <windows.h>

#include <string>

#include "AppConsts.h"
#include "AppGlobals.h"
#include "BOMObjects.h"
#include "BOMUICommands.h"
#include "ControlCenterInterfaces.h"
#include "ProcessesCommunication.h"
#include "XMLStorage.h"
#include "uEnabledItem.h"
#include "uModelLoadClasses.h"
#include "uVelvicWindows.h"

using namespace vpw;

int main() {
    TComInit com;
    RegisterBOMClasses();
    RegisterUICommandClasses();
    RegisterWindowRuleModelClasses();

    char path[MAX_PATH];
    std::string exe(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    SetProgramsDirectory(exe.substr(0, exe.find_last_of('\\') + 1));
    SetConfigFileName(kConfigFileName);

    IPtr<TXMLStorage> storage(new TXMLStorage);
    if (!storage->LoadFromFile(TVelvicWindows::ConfigFilePath())) return 2;
    IPtr<IBOMObjectSlave> root = Supports<IBOMObjectSlave>(IPtr<IInterface>(CreateItem("VELVICWINDOWS")));
    if (!root) return 3;
    storage->LoadObject(Supports<IPersistObject>(root).get());
    root->SetOwner(nullptr);
    IPtr<IControlCenter> lookup = FacetOf<IControlCenter>(root.get(), "ControlCenter");

    TProcessesCommunication channel(CONTROL_CENTER_CHANNEL_NAME);
    channel.StartServer();
    for (DWORD start = GetTickCount(); GetTickCount() - start < 30000;) {
        int command = 0, length = 0;
        TChannelBuffer data;
        if (channel.WaitForCommand(command, length, data) != TProcessesCommunication::RESULT_DONE) continue;
        if (command == CMD_GET_WINDOW_RULE && length == 4) {
            HWND window = nullptr;
            memcpy(&window, data.data(), 4);
            std::string text;
            lookup->GetWindowRuleData(window, text);
            channel.Reply(CMD_REPLY_DONE, text.size(), text.data());
        } else if (command == CMD_STOP_CONTROL_CENTER) {
            channel.Reply(CMD_REPLY_DONE, 0, nullptr);
            break;
        }
    }
    root->Detach();
    return 0;
}
