// Writes a PCM sound track file: one frame-wrapped edit unit of
// interleaved samples per picture frame, the WAVE audio descriptor, a
// constant-rate index.
#pragma once

#include <memory>
#include <string>

#include "platform/asdcp/AS_DCP_crypto_context.h"
#include "platform/asdcp/AS_DCP_writer_info.h"
#include "platform/asdcp/KM_error.h"
#include "platform/asdcp/PCM_audio_descriptor.h"
#include "platform/asdcp/PCM_frame_buffer.h"

namespace ASDCP {
namespace MXF {
class TrackFileWriter;
}

namespace PCM {

class MXFWriter {
 public:
  MXFWriter();
  virtual ~MXFWriter();
  MXFWriter(const MXFWriter&) = delete;
  MXFWriter& operator=(const MXFWriter&) = delete;

  // Creates the file. With SMPTE labels a channel format of 1, 2 or 3 is
  // written as the channel-assignment label. Failures: RESULT_STATE (a file
  // is open already), RESULT_PARAM (rates, channels or block size missing),
  // RESULT_FILEOPEN.
  Result_t OpenWrite(const std::string& filename, const WriterInfo& info, const AudioDescriptor& descriptor,
                     ui32_t header_size = 16384);
  // Appends one edit unit. Every unit has the size of the first; a shorter
  // one may only come last (RESULT_PARAM for a longer one, RESULT_STATE for
  // any after a shorter one). RESULT_INIT when no file is open.
  Result_t WriteFrame(const FrameBuffer& frame, AESEncContext* ctx = nullptr, HMACContext* hmac = nullptr);
  // Completes and closes the file. RESULT_INIT when no file is open.
  Result_t Finalize();

 private:
  std::unique_ptr<MXF::TrackFileWriter> writer_;
};

}  // namespace PCM
}  // namespace ASDCP
