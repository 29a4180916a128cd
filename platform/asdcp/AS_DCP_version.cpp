#include "platform/asdcp/AS_DCP_version.h"

namespace ASDCP {

const char* Version() { return "1.8.44"; }

}  // namespace ASDCP
