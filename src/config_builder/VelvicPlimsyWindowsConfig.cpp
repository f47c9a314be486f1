// The configuration program's entry.
#include <windows.h>
#include <commctrl.h>

#include "BOMObjects.h"
#include "BOMUICommands.h"
#include "NativeControl.h"
#include "WinHandles.h"
#include "uCBApp.h"
#include "uCBRoutines.h"
#include "uConfigBuilder.h"
#include "uDetailPanels.h"
#include "uModelLoadClasses.h"
#include "uModelRoutines.h"
#include "uVelvicWindows.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        INITCOMMONCONTROLSEX controls{sizeof controls,
                                      ICC_BAR_CLASSES | ICC_COOL_CLASSES | ICC_TREEVIEW_CLASSES | ICC_STANDARD_CLASSES |
                                          ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
        vpw::RegisterBOMClasses();
        vpw::RegisterUICommandClasses();
        vpw::RegisterWindowRuleModelClasses();
        vpw::RegisterVelvicWindowsClasses();
        vpw::InstallConfigBuilder();
        vpw::RegisterDetailPanels();
        vpw::SetControlErrorHandler(&vpw::ReportCurrentException);

        vpw::TComInit com;
        vpw::InitLanguageFromRegistry();
        vpw::RunCBApp();
    } catch (...) {
        vpw::ReportCurrentException(nullptr);
    }
    return 0;
}
