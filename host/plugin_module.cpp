#include "host/plugin_module.h"

#include <dlfcn.h>

#include <stdexcept>

namespace lumavox_host {

PluginModule::PluginModule(const std::string& path) : path_(path) {
  library_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library_) {
    const char* why = dlerror();
    throw std::runtime_error("cannot load the plug-in '" + path + "': " + (why ? why : "unknown reason"));
  }
  dlerror();
  void* symbol = dlsym(library_, kAEGPEntryPointName);
  if (!symbol) {
    dlclose(library_);
    library_ = nullptr;
    throw std::runtime_error("the plug-in '" + path + "' exports no " + kAEGPEntryPointName);
  }
  entry_ = reinterpret_cast<AEGP_PluginInitFunc>(symbol);
}

PluginModule::~PluginModule() {
  if (library_) dlclose(library_);
}

}  // namespace lumavox_host
