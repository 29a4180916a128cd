#include "platform/win/module_instance.h"

#include <dlfcn.h>

HINSTANCE ModuleInstanceOf(const void* address) {
  Dl_info info{};
  if (!dladdr(address, &info)) return nullptr;
  return static_cast<HINSTANCE>(info.dli_fbase);
}
