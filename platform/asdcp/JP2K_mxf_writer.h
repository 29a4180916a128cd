// Writes a two-dimensional JPEG 2000 picture track file: one codestream
// per edit unit, frame-wrapped, with a variable-rate index.
#pragma once

#include <memory>
#include <string>

#include "platform/asdcp/AS_DCP_crypto_context.h"
#include "platform/asdcp/AS_DCP_writer_info.h"
#include "platform/asdcp/JP2K_frame_buffer.h"
#include "platform/asdcp/JP2K_picture_descriptor.h"
#include "platform/asdcp/KM_error.h"

namespace ASDCP {
namespace MXF {
class TrackFileWriter;
}

namespace JP2K {

class MXFWriter {
 public:
  MXFWriter();
  virtual ~MXFWriter();
  MXFWriter(const MXFWriter&) = delete;
  MXFWriter& operator=(const MXFWriter&) = delete;

  // Creates the file; the header region takes header_size bytes. Failures:
  // RESULT_STATE (a file is open already), RESULT_PARAM (an unusable
  // descriptor or a header size too small), RESULT_FILEOPEN (no file).
  Result_t OpenWrite(const std::string& filename, const WriterInfo& info, const PictureDescriptor& descriptor,
                     ui32_t header_size = 16384);
  // Appends one codestream (the buffer's Size bytes). RESULT_INIT when no
  // file is open (never opened, or finalised); encryption is not offered.
  Result_t WriteFrame(const FrameBuffer& frame, AESEncContext* ctx = nullptr, HMACContext* hmac = nullptr);
  // Completes and closes the file. RESULT_INIT when no file is open.
  Result_t Finalize();

 private:
  std::unique_ptr<MXF::TrackFileWriter> writer_;
};

}  // namespace JP2K
}  // namespace ASDCP
