#include "plugin/render_start_checks.h"

#include <cstdio>
#include <string>

#include "package/subtitle_names.h"
#include "plugin/bit_rates.h"
#include "plugin/channel_labels.h"
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

bool CanOpenForReading(const char* path) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  (void)std::fclose(file);  // opened only to see that it can be read
  return true;
}

std::string MissingExternalAudioMessage(const OutputOptions& options) {
  if (options.audioSource != 0) return std::string();
  std::string empty, missing;
  for (int k = 0; k < ExternalChannelCount(options); ++k) {
    const std::string path = FieldText(options.channelFiles[k], sizeof options.channelFiles[k]);
    if (path.empty()) {
      empty += (empty.empty() ? "" : ", ") + std::string(kChannelRowLabels[k]);
    } else if (!CanOpenForReading(path.c_str())) {
      missing += std::string(" The file of ") + kChannelRowLabels[k] + " cannot be opened: " + path + "\n";
    }
  }
  if (empty.empty() && missing.empty()) return std::string();
  return "Your external audiofiles does not exist.\n" +
         (empty.empty() ? "" : " No file is chosen for " + empty + ".\n") + missing +
         " Please check your audio files in the option dialog.\n";
}

std::string MissingSubtitleFileMessage(const OutputOptions& options) {
  if (FieldText(options.subtitlePath, sizeof options.subtitlePath).empty()) {
    return "Subtitles are on, but no subtitle file is chosen.\n Please choose one on the Subtitle page of the option "
           "dialog, or turn subtitles off there.\n";
  }
  return "Your subtitle file does not exist.\n Please check your subtitle files in the option dialog.\n";
}
