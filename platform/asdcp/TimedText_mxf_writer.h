// Writes a timed-text track file: the XML document as the one edit unit of
// the body, each ancillary resource (font, image) in a generic stream
// partition of its own. Always with SMPTE labels.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/asdcp/AS_DCP_crypto_context.h"
#include "platform/asdcp/AS_DCP_writer_info.h"
#include "platform/asdcp/KM_error.h"
#include "platform/asdcp/TimedText_descriptor.h"
#include "platform/asdcp/TimedText_frame_buffer.h"

namespace ASDCP {
namespace MXF {
class TrackFileWriter;
}

namespace TimedText {

class MXFWriter {
 public:
  MXFWriter();
  virtual ~MXFWriter();
  MXFWriter(const MXFWriter&) = delete;
  MXFWriter& operator=(const MXFWriter&) = delete;

  // Creates the file; the descriptor's resource list fixes which resources
  // may follow. Failures: RESULT_STATE (a file is open already),
  // RESULT_PARAM (no edit rate), RESULT_FILEOPEN.
  Result_t OpenWrite(const std::string& filename, const WriterInfo& info, const TimedTextDescriptor& descriptor,
                     ui32_t header_size = 16384);
  // The document, once and first: RESULT_STATE otherwise.
  Result_t WriteTimedTextResource(const std::string& xml_doc, AESEncContext* ctx = nullptr,
                                  HMACContext* hmac = nullptr);
  // One resource named by the buffer's AssetID, after the document:
  // RESULT_PARAM for an id the resource list lacks, RESULT_STATE for one
  // written already or before the document.
  Result_t WriteAncillaryResource(const FrameBuffer& frame, AESEncContext* ctx = nullptr, HMACContext* hmac = nullptr);
  // Completes and closes the file. RESULT_INIT when no file is open,
  // RESULT_STATE (file left unfinished) when the document never came.
  Result_t Finalize();

 private:
  std::unique_ptr<MXF::TrackFileWriter> writer_;
  std::vector<Kumu::UUID> resources_;  // in the order of the resource list
  std::vector<bool> written_;
  bool document_written_ = false;
};

}  // namespace TimedText
}  // namespace ASDCP
