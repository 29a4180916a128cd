#include "plugin/picture_set_up.h"

#include "plugin/encoding_slots.h"
#include "plugin/output_options.h"

// The encoder and the picture track file join the render start as they land.
A_Err SetUpPicture(AEIO_BasicData* /*basic*/, SuiteHandler& /*suites*/, AEIO_OutSpecH /*outH*/,
                   OutputOptions& /*options*/) {
  return A_Err_NONE;
}

void ReleaseRenderLeftOpen(OutputOptions& options) {
  ClearEncodingSlots(options);
  options.bufferCount = 0;
  options.buffersFilled = 0;
}
