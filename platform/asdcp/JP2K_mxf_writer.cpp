#include "platform/asdcp/JP2K_mxf_writer.h"

#include <cstdio>

#include "platform/asdcp/JP2K_descriptor_sets.h"
#include "platform/asdcp/MXF_track_file_writer.h"

namespace ASDCP {
namespace JP2K {

MXFWriter::MXFWriter() : writer_(new MXF::TrackFileWriter) {}

MXFWriter::~MXFWriter() = default;

Result_t MXFWriter::OpenWrite(const std::string& filename, const WriterInfo& info, const PictureDescriptor& descriptor,
                              ui32_t header_size) {
  if (writer_->IsOpen()) return Kumu::RESULT_STATE;
  if (!DescriptorIsUsable(descriptor)) {
    std::fprintf(stderr, "JP2K::MXFWriter: the picture descriptor cannot describe a track file\n");
    return Kumu::RESULT_PARAM;
  }
  Result_t result = writer_->OpenWrite(filename, info, PictureLayout(descriptor, false),
                                       PictureDescriptorSets(descriptor, info.LabelSetType, false), header_size);
  if (result.Failure()) std::fprintf(stderr, "JP2K::MXFWriter: cannot open %s: %s\n", filename.c_str(), result.Label());
  return result;
}

Result_t MXFWriter::WriteFrame(const FrameBuffer& frame, AESEncContext* ctx, HMACContext* hmac) {
  if (!writer_->IsOpen()) return Kumu::RESULT_INIT;
  if (ctx != nullptr || hmac != nullptr) return Kumu::RESULT_NOTIMPL;
  if (frame.Size() == 0 || frame.RoData() == nullptr) return Kumu::RESULT_PARAM;
  return writer_->WriteEssence(frame.RoData(), frame.Size());
}

// The track-file writer refuses a file that is not open itself.
Result_t MXFWriter::Finalize() { return writer_->Finalize(); }

}  // namespace JP2K
}  // namespace ASDCP
