#include "ui/video_page.h"

#include <string>

#include "plugin/bit_rates.h"
#include "plugin/output_options.h"
#include "ui/control_text.h"
#include "ui/dialog_ids.h"
#include "ui/options_state.h"
#include "ui/picture_format_name.h"

namespace {

A_u_long& ShownRate(OutputOptions* options) {
  return options->stereoscopic ? options->stereoBitRate : options->bitRate;
}

}  // namespace

void InitVideoPage(OutputOptions* options) {
  const HWND page = OptionsDialog().currentPage;
  char name[kPictureFormatNameSize];
  GetPictureFormatName(options->width, options->height, &options->stereoscopic, name);
  const WORD maximum = options->stereoscopic ? kMaxStereoBitRate : kMaxBitRate;
  SendToControl(page, kBitRateTrackBar, TBM_SETRANGE, TRUE, MAKELPARAM(kMinBitRate, maximum));
  SendToControl(page, kBitRateTrackBar, TBM_SETPOS, TRUE, static_cast<LPARAM>(ShownRate(options)));
  SetControlText(page, kBitRateText, std::to_string(static_cast<int>(ShownRate(options))));
  SendToControl(page, kXyzCheck, BM_SETCHECK, options->xyzConversion);
}

void OnXyzChanged(HWND page, OutputOptions* options) {
  options->xyzConversion = SendToControl(page, kXyzCheck, BM_GETCHECK) == 1 ? 1 : 0;
}

void OnBitRateTracked(HWND page, OutputOptions* options) {
  A_u_long& rate = ShownRate(options);
  rate = static_cast<A_u_long>(SendToControl(page, kBitRateTrackBar, TBM_GETPOS));
  SetControlText(page, kBitRateText, std::to_string(static_cast<int>(rate)));
}
