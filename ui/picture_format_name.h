// The name of the picture format of a frame size, and whether the size is a
// side-by-side stereoscopic one (a double-width size carries the name of
// the size of one eye).
#pragma once

#include "platform/aesdk/ae_types.h"

constexpr int kPictureFormatNameSize = 255;

// Writes the flag (1 for the four double-width sizes, else 0) and the name
// ("unknown format" for any other size) into `name`, 255 bytes.
void GetPictureFormatName(A_u_long width, A_u_long height, A_u_char* stereoscopic, char* name);
