#include "plugin/write_failure.h"

#include <cstdio>
#include <cstring>

#include "platform/text/utf8_cut.h"
#include "plugin/debug_log.h"
#include "plugin/render_report.h"

namespace {
// The host calls one callback at a time, on its own thread.
char g_lastFailure[512];
}  // namespace

void ReportWriteFailure(const char* fileName, int error, const char* fallback) {
  char line[512];
  char reason[256];  // strerror_r: the frame workers report failures too
  FormatTextCut(line, sizeof line, "cannot write %s: %s\n", fileName,
                error != 0 ? strerror_r(error, reason, sizeof reason) : fallback);
  LogBoth(line);
  if (g_lastFailure[0] == '\0') CopyTextCut(g_lastFailure, sizeof g_lastFailure - 1, line);
}

void ShowWriteFailure(AEIO_BasicData* basic) {
  if (g_lastFailure[0] == '\0') return;
  // The message without its line end.
  const size_t n = std::strlen(g_lastFailure);
  if (n > 0 && g_lastFailure[n - 1] == '\n') g_lastFailure[n - 1] = '\0';
  if (basic != nullptr) ShowMessage(basic, g_lastFailure);
  g_lastFailure[0] = '\0';
}
