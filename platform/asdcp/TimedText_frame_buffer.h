// One ancillary resource of a timed-text track file (a font or an image)
// with the identifier and MIME type it is stored under.
#pragma once

#include <cstring>
#include <string>

#include "platform/asdcp/AS_DCP_frame_buffer.h"
#include "platform/asdcp/KM_uuid.h"

namespace ASDCP {
namespace TimedText {

class FrameBuffer : public ASDCP::FrameBuffer {
 public:
  FrameBuffer() = default;
  explicit FrameBuffer(ui32_t size) { Capacity(size); }

  const byte_t* AssetID() const { return asset_id_; }
  void AssetID(const byte_t* id) { std::memcpy(asset_id_, id, sizeof(asset_id_)); }
  const std::string& MIMEType() const { return mime_type_; }
  void MIMEType(const std::string& type) { mime_type_ = type; }

 private:
  byte_t asset_id_[Kumu::UUID::ValueSize] = {};
  std::string mime_type_;
};

}  // namespace TimedText
}  // namespace ASDCP
