#include "plugin/write_failure.h"

#include <cstdio>
#include <cstring>

#include "plugin/debug_log.h"

void ReportWriteFailure(const char* fileName, int error, const char* fallback) {
  char line[512];
  std::snprintf(line, sizeof line, "cannot write %s: %s\n", fileName,
                error != 0 ? std::strerror(error) : fallback);
  std::fputs(line, stderr);
  LogMessage(line);
}
