// The control center's program entry.
#include <windows.h>

#include "BOMObjects.h"
#include "BOMUICommands.h"
#include "XMLStorage.h"
#include "uCCApp.h"
#include "uModelLoadClasses.h"
#include "uModelRoutines.h"
#include "uVelvicWindows.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        vpw::RegisterBOMClasses();
        vpw::RegisterUICommandClasses();
        vpw::RegisterWindowRuleModelClasses();
        vpw::RegisterVelvicWindowsClasses();

        vpw::TComInit com;
        vpw::InitLanguageFromRegistry();
        vpw::RunCCApp();
    } catch (...) {
        // Start-up and shut-down end quietly whatever happens.
    }
    return 0;
}
