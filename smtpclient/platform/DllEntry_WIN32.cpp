// The DLL's entry point. Loading starts nothing: the process-wide objects
// come into being as static objects or on first use.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
