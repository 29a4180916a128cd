// The description of the picture essence that the picture track file carries:
// rates, sizes and the codestream's coding values.
#pragma once

#include <cstdint>

namespace ASDCP::JP2K {
struct PictureDescriptor;
}
struct opj_cinfo;
struct opj_image;
struct OutputOptions;

// The two bytes of a 16-bit value exchanged.
uint16_t ByteSwap16(uint16_t value);

// Fills the descriptor from the output's settings, the first slot's image
// (locked) and the coding parameters that its compressor was set up with.
void FillPictureDescriptor(ASDCP::JP2K::PictureDescriptor& descriptor, const opj_cinfo& compressor,
                           const opj_image& image, const OutputOptions& options);
