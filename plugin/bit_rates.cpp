#include "plugin/bit_rates.h"

#include "plugin/output_options.h"

std::string RenderBitRateFault(const OutputOptions& options) {
  const bool stereoscopic = options.stereoscopic != 0;
  const A_u_long rate = stereoscopic ? options.stereoBitRate : options.bitRate;
  if (rate >= kMinBitRate) return std::string();
  return std::string(stereoscopic ? "The stereoscopic bit rate" : "The bit rate") + " is " + std::to_string(rate) +
         " Mbit/s: every picture would be coded without any picture data.\nPlease choose at least " +
         std::to_string(kMinBitRate) + " Mbit/s on the Video page of the options dialog.";
}
