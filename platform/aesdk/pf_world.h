// The host's frame buffer (a "world"): a pointer to the first pixel and the
// byte distance between rows. Pixels hold alpha, red, green, blue: one byte
// each (8-bit) or one 16-bit value each with full scale 32768 (16-bit).
#pragma once

#include "platform/aesdk/ae_types.h"

struct PF_Pixel8 {
  A_u_char alpha;
  A_u_char red;
  A_u_char green;
  A_u_char blue;
};
static_assert(sizeof(PF_Pixel8) == 4, "8-bit pixel is 4 bytes");

struct PF_Pixel16 {
  A_u_short alpha;
  A_u_short red;
  A_u_short green;
  A_u_short blue;
};
static_assert(sizeof(PF_Pixel16) == 8, "16-bit pixel is 8 bytes");

constexpr A_u_short PF_MAX_CHAN16 = 32768;

enum : A_long { PF_WorldFlag_DEEP = 1 };  // 16 bits per channel

struct PF_EffectWorld {
  A_long world_flags;  // PF_WorldFlag_DEEP for 16-bit pixels
  A_long width;
  A_long height;
  A_long rowbytes;  // from the start of one row to the start of the next
  void* data;       // the first pixel of the first row
};
