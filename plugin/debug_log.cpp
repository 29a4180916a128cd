#include "plugin/debug_log.h"

#include <cstdio>
#include <cstring>

#include "platform/win/drive_paths.h"

namespace {

std::FILE* OpenGuard() { return std::fopen(MapDrivePath(kLogGuardFile).c_str(), "r"); }

}  // namespace

// Failures of the log's own file calls are dropped: there is nowhere to report them.
void LogReset() {
  std::FILE* guard = OpenGuard();
  if (!guard) return;
  (void)std::fclose(guard);
  if (std::FILE* log = std::fopen(MapDrivePath(kLogFile).c_str(), "w")) (void)std::fclose(log);
}

A_Err LogMessage(const char* text, A_long) {
  std::FILE* guard = OpenGuard();
  if (!guard) return A_Err_NONE;
  if (std::FILE* log = std::fopen(MapDrivePath(kLogFile).c_str(), "a")) {
    if (text) (void)std::fwrite(text, 1, std::strlen(text), log);
    (void)std::fclose(log);
  }
  (void)std::fclose(guard);
  return A_Err_NONE;
}

void LogBoth(const char* text) {
  std::fputs(text, stderr);
  LogMessage(text);
}
