#include "plugin/debug_log.h"

#include <cstdio>
#include <cstring>

#include "platform/win/drive_paths.h"

namespace {

std::FILE* OpenGuard() { return std::fopen(MapDrivePath(kLogGuardFile).c_str(), "r"); }

}  // namespace

void LogReset() {
  std::FILE* guard = OpenGuard();
  if (!guard) return;
  std::fclose(guard);
  if (std::FILE* log = std::fopen(MapDrivePath(kLogFile).c_str(), "w")) std::fclose(log);
}

A_Err LogMessage(const char* text, A_long) {
  std::FILE* guard = OpenGuard();
  if (!guard) return A_Err_NONE;
  if (std::FILE* log = std::fopen(MapDrivePath(kLogFile).c_str(), "a")) {
    if (text) std::fwrite(text, 1, std::strlen(text), log);
    std::fclose(log);
  }
  std::fclose(guard);
  return A_Err_NONE;
}
