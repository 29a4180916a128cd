#include "platform/asdcp/JP2K_mxfs_writer.h"

#include <cstdio>

#include "platform/asdcp/JP2K_descriptor_sets.h"
#include "platform/asdcp/MXF_track_file_writer.h"

namespace ASDCP {
namespace JP2K {

MXFSWriter::MXFSWriter() : writer_(new MXF::TrackFileWriter) {}

MXFSWriter::~MXFSWriter() = default;

Result_t MXFSWriter::OpenWrite(const std::string& filename, const WriterInfo& info, const PictureDescriptor& descriptor,
                               ui32_t header_size) {
  if (writer_->IsOpen()) return Kumu::RESULT_STATE;
  if (!DescriptorIsUsable(descriptor)) {
    std::fprintf(stderr, "JP2K::MXFSWriter: the picture descriptor cannot describe a track file\n");
    return Kumu::RESULT_PARAM;
  }
  next_phase_ = SP_LEFT;
  Result_t result = writer_->OpenWrite(filename, info, PictureLayout(descriptor, true),
                                       PictureDescriptorSets(descriptor, info.LabelSetType, true), header_size);
  if (result.Failure())
    std::fprintf(stderr, "JP2K::MXFSWriter: cannot open %s: %s\n", filename.c_str(), result.Label());
  return result;
}

Result_t MXFSWriter::WriteFrame(const FrameBuffer& frame, StereoscopicPhase_t phase, AESEncContext* ctx,
                                HMACContext* hmac) {
  if (!writer_->IsOpen()) return Kumu::RESULT_INIT;
  if (ctx != nullptr || hmac != nullptr) return Kumu::RESULT_NOTIMPL;
  if (phase != next_phase_) {
    std::fprintf(stderr, "JP2K::MXFSWriter: the %s codestream came out of turn\n", phase == SP_LEFT ? "left" : "right");
    return Kumu::RESULT_STATE;
  }
  if (frame.Size() == 0 || frame.RoData() == nullptr) return Kumu::RESULT_PARAM;
  Result_t result = writer_->WriteEssence(frame.RoData(), frame.Size(), phase == SP_LEFT);
  if (result.Success()) next_phase_ = phase == SP_LEFT ? SP_RIGHT : SP_LEFT;
  return result;
}

Result_t MXFSWriter::Finalize() {
  if (!writer_->IsOpen()) return Kumu::RESULT_INIT;
  if (next_phase_ != SP_LEFT) {
    std::fprintf(stderr, "JP2K::MXFSWriter: finalised with a left codestream and no right one\n");
    writer_->Abandon();
    next_phase_ = SP_LEFT;
    return Kumu::RESULT_STATE;
  }
  return writer_->Finalize();
}

}  // namespace JP2K
}  // namespace ASDCP
