#pragma once
// From the host's rendered frame to the encoder's image: the image of an
// encoding slot (three 12-bit components of the output size, half the width
// for side-by-side stereoscopic output), and the per-frame conversion of the
// red, green and blue channels into its planes.

#include "platform/aesdk/aeio_basic_data.h"
#include "platform/aesdk/host_refs.h"
#include "platform/aesdk/mem_handle.h"
#include "platform/aesdk/pf_world.h"

struct OutputOptions;
struct opj_cparameters;
struct opj_image;

// Eye flag: the frame itself or the left half of a side-by-side frame, or the right half.
enum : A_u_char { kRightEye = 0, kLeftEyeOr2D = 1 };

// Creates a slot's image on host handles and sets its extent; returns the
// "ImageH" handle, unlocked, or null. The output specification is not used.
AEGP_MemHandle j2c_create_image(AEIO_BasicData* basic_dataP, OutputOptions* options, AEIO_OutSpecH outH,
                                const opj_cparameters* parameters);

// Converts the frame (or one eye of a side-by-side frame) into the locked
// image, 12 bits per sample. 0, or kErrUnsupportedOutput with a message when
// the output depth is neither 24 nor 48. The output specification is not used.
A_Err convert_frame_to_image(AEIO_BasicData* basic_dataP, AEIO_OutSpecH outH, const PF_EffectWorld* frame, A_u_char eye,
                             const OutputOptions* options, opj_image* image);

// The two readings: H rows of W samples, from rows of n pixels.
void convert_frame_8bit(const OutputOptions* options, const PF_EffectWorld* frame, opj_image* image, int H, int W,
                        int n, A_u_char eye);
void convert_frame_16bit(const OutputOptions* options, const PF_EffectWorld* frame, opj_image* image, int H, int W,
                         int n, A_u_char eye);
