#include "plugin/frame_sizes.h"

#include "plugin/suite_handler.h"

namespace {

struct Size {
  A_long width;
  A_long height;
};

constexpr Size kFlatSizes[] = {{2048, 1080}, {1998, 1080}, {2048, 858},  {1920, 1080},
                               {4096, 2160}, {3996, 2160}, {4096, 1716}, {3840, 2160}};
constexpr Size kStereoscopicSizes[] = {{4096, 1080}, {3996, 1080}, {4096, 858}, {3840, 1080}};

template <size_t N>
bool Among(const Size (&sizes)[N], A_long width, A_long height) {
  for (const Size& s : sizes) {
    if (s.width == width && s.height == height) return true;
  }
  return false;
}

}  // namespace

bool IsSupportedFrameSize(A_long width, A_long height) {
  return Among(kFlatSizes, width, height) || Among(kStereoscopicSizes, width, height);
}

bool IsStereoscopicFrameSize(A_long width, A_long height) { return Among(kStereoscopicSizes, width, height); }

A_Err ReportUnsupportedSize(AEIO_BasicData* basic_dataP) {
  SuiteHandler suites(basic_dataP->pica_basicP);
  A_char report[256];
  suites.ANSISuite1()->sprintf(report,
                               "Width / height of your composition is not supported.\n"
                               "Choose one of the following dimensions:\n%s%s%s%s%s\n",
                               "2048x1080 - 2K Full Container\n", "1998x1080 - 2K Flat, 1.85:1\n",
                               "2048x858  - 2K Scope, 2.39:1\n", "1920x1080 - HDTV, 1.77:1\n\n",
                               "For stereoscopic, double the width of your comp.");
  return suites.UtilitySuite7()->AEGP_ReportInfo(basic_dataP->aegp_plug_id, report);
}
