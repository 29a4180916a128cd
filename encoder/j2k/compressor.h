#pragma once
// The compressor and the public entry points of the encoder library. The
// output module reaches the codestream coder through these and cio_tell only.

#include <cstdint>

struct opj_j2k;
struct opj_cio;
struct opj_image;
struct opj_cparameters;

// One compressor: its codestream coder.
struct opj_cinfo {
  opj_j2k* j2k;
};

// "1.0.0".
const char* opj_version();

// A new compressor with its codestream coder, or null when an allocation fails.
opj_cinfo* opj_create_compress();
// Builds the coding parameters; nothing when an argument is null.
void opj_setup_encoder(opj_cinfo* cinfo, const opj_cparameters* parameters, const opj_image* image);
// Writes one codestream of the image into the byte stream. tile_buffers are
// three caller-owned planes of the image's size, one per component. Returns 1,
// or 0 when the compressor, the stream or the image is null. The flag is
// handed on and used by nothing.
int opj_encode(opj_cinfo* cinfo, opj_cio* cio, opj_image* image, bool flag, int32_t** tile_buffers);
// Destroys the coder and the compressor; nothing when null.
void opj_destroy_compress(opj_cinfo* cinfo);
