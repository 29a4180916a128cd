#include "package/subtitle_track_file.h"

#include <algorithm>
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
// The header region asked for; the writer grows it when the header metadata
// (one sub-descriptor per font and image) needs more.
constexpr ASDCP::ui32_t kHeaderSize = 16384;

void SetCause(std::string* cause, const std::string& text) {
  if (cause != nullptr) *cause = text;
}

std::string WithLabel(const std::string& text, Kumu::Result_t result) { return text + " (" + result.Label() + ")"; }

}  // namespace

Kumu::Result_t write_mxf_subtitle(OutputOptions* options, std::string* cause) {
  ASDCP::TimedText::DCSubtitleParser parser;
  ASDCP::TimedText::MXFWriter writer;
  ASDCP::TimedText::TimedTextDescriptor descriptor;
  ASDCP::TimedText::FrameBuffer buffer;

  const std::string document = FieldText(options->subtitlePath, sizeof options->subtitlePath);
  Kumu::Result_t result = parser.OpenRead(document);
  if (KM_FAILURE(result)) {
    SetCause(cause, WithLabel("the subtitle document " + document + " cannot be read as SMPTE timed text", result));
    return result;
  }
  parser.FillTimedTextDescriptor(descriptor);
  buffer.Capacity(kResourceBufferSize);
  // Every asset of the reel lasts the reel: the composition's length, or
  // the document's when its last subtitle ends later.
  descriptor.ContainerDuration = std::max(descriptor.ContainerDuration,
                                          static_cast<ASDCP::ui32_t>(options->durationFrames));

  // Timed text always carries the SMPTE labels, whatever the packing.
  ASDCP::WriterInfo info = PackageWriterInfo;
  info.LabelSetType = ASDCP::LS_MXF_SMPTE;
  Kumu::GenRandomUUID(info.AssetUUID);
  char uuid[64];
  Kumu::UUID(info.AssetUUID).EncodeHex(uuid, sizeof uuid);
  std::snprintf(options->subtitleUuid, sizeof options->subtitleUuid, "%s", uuid);
  std::snprintf(options->subtitleFileName, sizeof options->subtitleFileName, "%s%s%s", "sub_", uuid, ".mxf");
  const std::string path = FieldText(options->folderPath, sizeof options->folderPath) + "/" + options->subtitleFileName;
  char line[640];
  std::snprintf(line, sizeof line, "write_mxf_subtitle - %s\n", path.c_str());
  std::fputs(line, stderr);
  LogMessage(line);

  result = writer.OpenWrite(path, info, descriptor, kHeaderSize);
  if (KM_FAILURE(result)) {
    SetCause(cause, WithLabel("the track file " + path + " cannot be created", result));
    return result;
  }
  options->subtitleFrames = descriptor.ContainerDuration;

  std::string text;
  result = parser.ReadTimedTextResource(text);
  if (KM_SUCCESS(result)) result = writer.WriteTimedTextResource(text, nullptr, nullptr);
  if (KM_FAILURE(result)) SetCause(cause, WithLabel("writing the document into " + path + " failed", result));

  for (const ASDCP::TimedText::TimedTextResourceDescriptor& resource : descriptor.ResourceList) {
    if (KM_FAILURE(result)) break;
    result = parser.ReadAncillaryResource(resource.ResourceID, buffer, nullptr);
    if (KM_FAILURE(result)) {
      char id[64];
      Kumu::UUID(resource.ResourceID).EncodeHex(id, sizeof id);
      const bool font = resource.Type == ASDCP::TimedText::MT_OPENTYPE;
      SetCause(cause, result == Kumu::RESULT_NOT_FOUND
                          ? std::string(font ? "the font" : "the image") + " urn:uuid:" + id +
                                " is missing beside the subtitle file"
                          : WithLabel(std::string("the resource urn:uuid:") + id + " cannot be read", result));
      break;
    }
    result = writer.WriteAncillaryResource(buffer, nullptr, nullptr);
    if (result == Kumu::RESULT_ENDOFFILE) result = Kumu::RESULT_OK;
    if (KM_FAILURE(result)) SetCause(cause, WithLabel("writing a resource into " + path + " failed", result));
  }

  if (KM_SUCCESS(result)) {
    result = writer.Finalize();
    if (KM_FAILURE(result)) SetCause(cause, WithLabel("the track file " + path + " cannot be completed", result));
  }
  return result;
}
