#include "plugin/frame_rates.h"

#include "plugin/frame_sizes.h"

#include <cstdio>
#include <cstring>

const char kUnsupportedFrameRateReport[] =
    "Unsupported framerate: %d fps\n\nLumavox are supporting 24, 25, 30, 48, 50 and 60 fps";

const char kStereoscopicRateMessage[] = "3D DCPs only supports 24 fps";

namespace {

constexpr A_Fixed kOneFramePerSecond = 1 << 16;

}  // namespace

bool IsSupportedFrameRate(A_u_long rate) {
  return rate == 24 || rate == 25 || rate == 30 || rate == 48 || rate == 50 || rate == 60;
}

A_u_long WholeFrameRate(A_Fixed hostRate) { return A_u_long(A_long(hostRate / 65536.0)); }

bool IsSupportedHostFrameRate(A_Fixed hostRate) {
  return hostRate % kOneFramePerSecond == 0 && IsSupportedFrameRate(WholeFrameRate(hostRate));
}

std::string UnsupportedFrameRateReport(A_Fixed hostRate) {
  // The report names whole rates as they are, and a rate with a fraction to
  // the thousandth, so that 24.5 does not read as 24.
  char rate[32];
  if (hostRate % kOneFramePerSecond == 0) {
    std::snprintf(rate, sizeof rate, "%d", static_cast<int>(hostRate / kOneFramePerSecond));
  } else {
    std::snprintf(rate, sizeof rate, "%.3f", hostRate / 65536.0);
    for (char* end = rate + std::strlen(rate) - 1; *end == '0'; --end) *end = '\0';
  }
  std::string report = kUnsupportedFrameRateReport;
  report.replace(report.find("%d"), 2, rate);
  return report;
}

bool IsStereoscopicRateAllowed(A_long width, A_long height, A_u_long rate) {
  return rate == 24 || !IsStereoscopicFrameSize(width, height);
}
