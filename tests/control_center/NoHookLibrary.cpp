// Test helper: a library named like the hook library but without its
// hook procedure.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
