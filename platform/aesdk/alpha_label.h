// The alpha interpretation of an output: a packed 10-byte host record.
#pragma once

#include "platform/aesdk/ae_types.h"

#pragma pack(push, 1)
struct AEIO_AlphaLabel {
  A_short version;  // 0
  A_long flags;
  A_u_char red;  // the matte colour
  A_u_char green;
  A_u_char blue;
  A_u_char alpha;  // alpha type
};
#pragma pack(pop)
static_assert(sizeof(AEIO_AlphaLabel) == 10, "alpha-label record is 10 bytes");

enum : A_long { AEIO_AlphaLabelFlag_PREMUL = 1 };
enum : A_u_char {
  AEIO_AlphaType_PREMUL = 0,
  AEIO_AlphaType_STRAIGHT = 1,
  AEIO_AlphaType_IGNORE = 2,
};
