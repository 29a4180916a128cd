// Reads a SMPTE timed-text document (root element SubtitleReel) and the
// fonts and images it names by UUID.
#pragma once

#include <string>

#include "platform/asdcp/KM_error.h"
#include "platform/asdcp/KM_types.h"
#include "platform/asdcp/TimedText_descriptor.h"
#include "platform/asdcp/TimedText_frame_buffer.h"

namespace ASDCP {
namespace TimedText {

// Finds the bytes of an ancillary resource by its identifier.
class IResourceResolver {
 public:
  virtual ~IResourceResolver() = default;
  virtual Result_t ResolveRID(const byte_t* uuid, FrameBuffer& fb) const = 0;
};

class DCSubtitleParser {
 public:
  DCSubtitleParser();
  ~DCSubtitleParser();
  DCSubtitleParser(const DCSubtitleParser&) = delete;
  DCSubtitleParser& operator=(const DCSubtitleParser&) = delete;

  // Reads and checks the document. Fails (with a message on the standard
  // error stream) when the file cannot be read, is not well-formed XML, is
  // not a SubtitleReel, or lacks a usable Id or EditRate.
  Result_t OpenRead(const std::string& filename);
  Result_t FillTimedTextDescriptor(TimedTextDescriptor& desc) const;
  // The document exactly as it stands in the file.
  Result_t ReadTimedTextResource(std::string& text) const;
  // The resource with that identifier, which must be one the document
  // names. Without a resolver it is looked for beside the document: a file
  // named by the identifier's text, with or without an extension. The
  // buffer grows when the resource does not fit it. RESULT_NOT_FOUND (and a
  // message) when no such file stands there.
  Result_t ReadAncillaryResource(const byte_t* uuid, FrameBuffer& fb,
                                 const IResourceResolver* resolver = nullptr) const;

 private:
  class Resolver;
  bool open_ = false;
  std::string filename_;
  std::string document_;
  TimedTextDescriptor desc_;
};

}  // namespace TimedText
}  // namespace ASDCP
