#include "plugin/render_start_checks.h"

#include <string>

#include "plugin/bit_rates.h"
#include "plugin/frame_rates.h"
#include "plugin/module_errors.h"
#include "plugin/output_options.h"
#include "plugin/render_report.h"
#include "plugin/suite_handler.h"

A_Err CheckRenderSettings(AEIO_BasicData* basic, SuiteHandler& suites, AEIO_OutSpecH outH, const OutputOptions& options,
                          A_Err err) {
  // The record keeps whole frames per second: whether the host renders at a
  // fraction more is only known from the host's own rate.
  A_Fixed hostRate = A_Fixed(options.frameRate << 16);
  if (!err) {
    const A_Err readErr = suites.IOOutSuite7()->AEGP_GetOutSpecFPS(outH, &hostRate);
    if (readErr) return readErr;
  }
  if (!IsSupportedFrameRate(options.frameRate) || !IsSupportedHostFrameRate(hostRate)) {
    if (!err) ShowMessage(basic, UnsupportedFrameRateReport(hostRate).c_str());
    return kErrStartCheck;
  }
  if (!IsStereoscopicRateAllowed(A_long(options.width), A_long(options.height), options.frameRate)) {
    ShowMessage(basic, kStereoscopicRateMessage);
    return kErrStartCheck;
  }
  if (options.packing == 0 && options.frameRate != 24) {
    ShowMessage(basic,
                "You have selected InterOp packing format and it only supports 24 fps\nChange packing format to "
                "SMPTE or change framerate to 24 fps");
    return kErrStartCheck;
  }
  if (const std::string fault = RenderBitRateFault(options); !fault.empty()) {
    ShowMessage(basic, fault.c_str());
    return kErrStartCheck;
  }
  return A_Err_NONE;
}
