// Writes a stereoscopic JPEG 2000 picture track file: every edit unit holds
// the left codestream, then the right one.
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

enum StereoscopicPhase_t { SP_LEFT = 0, SP_RIGHT = 1 };

class MXFSWriter {
 public:
  MXFSWriter();
  virtual ~MXFSWriter();
  MXFSWriter(const MXFSWriter&) = delete;
  MXFSWriter& operator=(const MXFSWriter&) = delete;

  // As the two-dimensional writer; the descriptor describes one eye.
  Result_t OpenWrite(const std::string& filename, const WriterInfo& info, const PictureDescriptor& descriptor,
                     ui32_t header_size = 16384);
  // Phases alternate, left first: a phase out of turn gives RESULT_STATE and
  // writes nothing.
  Result_t WriteFrame(const FrameBuffer& frame, StereoscopicPhase_t phase, AESEncContext* ctx = nullptr,
                      HMACContext* hmac = nullptr);
  // RESULT_STATE when a left codestream waits for its right one: the file
  // is closed unfinished.
  Result_t Finalize();

 private:
  std::unique_ptr<MXF::TrackFileWriter> writer_;
  StereoscopicPhase_t next_phase_ = SP_LEFT;
};

}  // namespace JP2K
}  // namespace ASDCP
