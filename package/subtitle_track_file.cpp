#include "package/subtitle_track_file.h"

#include <cstdio>
#include <string>

#include "package/subtitle_names.h"
#include "platform/asdcp/KM_uuid.h"
#include "platform/asdcp/TimedText_descriptor.h"
#include "platform/asdcp/TimedText_frame_buffer.h"
#include "platform/asdcp/TimedText_mxf_writer.h"
#include "platform/asdcp/TimedText_subtitle_parser.h"
#include "plugin/debug_log.h"
#include "plugin/output_options.h"
#include "plugin/writer_identity.h"

namespace {

constexpr ASDCP::ui32_t kResourceBufferSize = 0x400000;  // 4 MB, grown for a larger font
constexpr ASDCP::ui32_t kHeaderSize = 16384;

}  // namespace

Kumu::Result_t write_mxf_subtitle(OutputOptions* options) {
  ASDCP::TimedText::DCSubtitleParser parser;
  ASDCP::TimedText::MXFWriter writer;
  ASDCP::TimedText::TimedTextDescriptor descriptor;
  ASDCP::TimedText::FrameBuffer buffer;

  Kumu::Result_t result = parser.OpenRead(FieldText(options->subtitlePath, sizeof options->subtitlePath));
  if (KM_FAILURE(result)) return result;
  parser.FillTimedTextDescriptor(descriptor);
  buffer.Capacity(kResourceBufferSize);

  // Timed text always carries the SMPTE labels, whatever the packing.
  ASDCP::WriterInfo info = PackageWriterInfo;
  info.LabelSetType = ASDCP::LS_MXF_SMPTE;
  Kumu::GenRandomUUID(info.AssetUUID);
  char uuid[64];
  Kumu::UUID(info.AssetUUID).EncodeHex(uuid, sizeof uuid);
  std::snprintf(options->subtitleUuid, sizeof options->subtitleUuid, "%s", uuid);
  std::snprintf(options->subtitleFileName, sizeof options->subtitleFileName, "%s%s%s", "sub_", uuid, ".mxf");
  const std::string path =
      FieldText(options->folderPath, sizeof options->folderPath) + "/" + options->subtitleFileName;
  char line[640];
  std::snprintf(line, sizeof line, "write_mxf_subtitle - %s\n", path.c_str());
  std::fputs(line, stderr);
  LogMessage(line);

  result = writer.OpenWrite(path, info, descriptor, kHeaderSize);
  if (KM_FAILURE(result)) return result;

  std::string document;
  result = parser.ReadTimedTextResource(document);
  if (KM_SUCCESS(result)) result = writer.WriteTimedTextResource(document, nullptr, nullptr);

  for (const ASDCP::TimedText::TimedTextResourceDescriptor& resource : descriptor.ResourceList) {
    if (KM_FAILURE(result)) break;
    result = parser.ReadAncillaryResource(resource.ResourceID, buffer, nullptr);
    if (KM_SUCCESS(result)) result = writer.WriteAncillaryResource(buffer, nullptr, nullptr);
    if (result == Kumu::RESULT_ENDOFFILE) result = Kumu::RESULT_OK;
  }

  if (KM_SUCCESS(result)) result = writer.Finalize();
  return result;
}
