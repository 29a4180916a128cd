// The subtitle readers on any bytes: the Subtitle page's inspection in both
// packings, and the parser that wraps a SMPTE document into its track file
// with every resource it names.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "package/subtitle_check.h"
#include "platform/asdcp/TimedText_descriptor.h"
#include "platform/asdcp/TimedText_frame_buffer.h"
#include "platform/asdcp/TimedText_subtitle_parser.h"
#include "plugin/output_options.h"
#include "tests/fuzz/input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = lumavox_fuzz::WriteInputFile("subtitle.xml", data, size);

  auto options = std::make_unique<OutputOptions>();
  for (A_u_long packing : {0u, 1u}) {
    std::memset(options.get(), 0, sizeof(OutputOptions));
    options->packing = packing;
    char message[kSubtitleMessageSize] = {};
    CheckSubtitleFile(path.c_str(), options.get(), message);
  }

  ASDCP::TimedText::DCSubtitleParser parser;
  if (ASDCP_SUCCESS(parser.OpenRead(path))) {
    ASDCP::TimedText::TimedTextDescriptor descriptor;
    parser.FillTimedTextDescriptor(descriptor);
    std::string text;
    parser.ReadTimedTextResource(text);
    ASDCP::TimedText::FrameBuffer buffer(4096);
    for (const auto& resource : descriptor.ResourceList) parser.ReadAncillaryResource(resource.ResourceID, buffer);
  }
  return 0;
}
