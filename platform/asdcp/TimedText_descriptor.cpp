#include "platform/asdcp/TimedText_descriptor.h"

namespace ASDCP {
namespace TimedText {

const char* MIME2str(MIMEType_t type) {
  switch (type) {
    case MT_PNG: return "image/png";
    case MT_OPENTYPE: return "application/x-font-opentype";
    default: return "application/octet-stream";
  }
}

}  // namespace TimedText
}  // namespace ASDCP
