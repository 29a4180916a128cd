#include "plugin/module_globals.h"

#include "platform/win/module_instance.h"

HINSTANCE g_hInstance = nullptr;
AEGP_PluginID g_aegpPluginId = 0;
bool g_setupLogged = false;

BOOL DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_hInstance = instance;
  return TRUE;
}

namespace {

__attribute__((constructor)) void ModuleLoaded() {
  DllMain(ModuleInstanceOf(reinterpret_cast<const void*>(&ModuleLoaded)), DLL_PROCESS_ATTACH, nullptr);
}

__attribute__((destructor)) void ModuleUnloaded() {
  DllMain(ModuleInstanceOf(reinterpret_cast<const void*>(&ModuleLoaded)), DLL_PROCESS_DETACH, nullptr);
}

}  // namespace
