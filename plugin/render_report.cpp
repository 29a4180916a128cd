#include "plugin/render_report.h"

#include <cstdarg>
#include <cstdio>

#include "platform/aesdk/aegp_suites.h"
#include "platform/text/utf8_cut.h"
#include "plugin/suite_handler.h"

A_Err ReportFormatted(AEIO_BasicData* basic, SuiteHandler& suites, const char* format, ...) {
  char report[kReportSize];
  va_list args;
  va_start(args, format);
  FormatTextCutV(report, sizeof report, format, args);
  va_end(args);
  return suites.UtilitySuite7()->AEGP_ReportInfo(basic->aegp_plug_id, report);
}

void ShowMessage(AEIO_BasicData* basic, const char* text) {
  if (basic->msg_func != nullptr) basic->msg_func(0, text);
}

bool FormatBounded(char* buffer, size_t size, const char* format, ...) {
  if (buffer == nullptr || size == 0) return false;
  va_list args;
  va_start(args, format);
  const int needed = std::vsnprintf(buffer, size, format, args);
  va_end(args);
  return needed >= 0 && static_cast<size_t>(needed) < size;
}
