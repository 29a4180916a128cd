// A plug-in module loaded from its file, and its entry point.
#pragma once

#include <string>

#include "platform/aesdk/entry_point.h"

namespace lumavox_host {

class PluginModule {
 public:
  // Loads the shared library and looks up "EntryPointFunc"; throws
  // std::runtime_error naming the file and the loader's reason.
  explicit PluginModule(const std::string& path);
  ~PluginModule();  // unloads it (its static objects are destroyed)
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;

  AEGP_PluginInitFunc entry_point() const { return entry_; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  void* library_ = nullptr;
  AEGP_PluginInitFunc entry_ = nullptr;
};

}  // namespace lumavox_host
