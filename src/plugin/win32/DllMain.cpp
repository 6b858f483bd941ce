// Entry point of the plug-in library.
#include <windows.h>

namespace {
HINSTANCE g_module = nullptr;
}

// The library's own module handle: the last place resources are looked up.
HINSTANCE VexaPluginModule()
{
    return g_module;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
