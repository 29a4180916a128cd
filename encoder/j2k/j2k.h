#pragma once
// The codestream coder of one compressor.

#include <cstdint>

struct opj_cinfo;
struct opj_cp;
struct opj_cio;
struct opj_image;

struct opj_j2k {
  opj_cinfo* cinfo;        // the compressor that owns it
  int32_t curtileno;       // the tile being written (always 0)
  int32_t tp_num;          // tile-part number within the current progression
  int32_t cur_tp_num;      // tile-part number within the tile
  int32_t* cur_totnum_tp;  // tile-parts per tile; made and freed per codestream
  int32_t tlm_start;       // byte position of the TLM marker
  int32_t totnum_tp;       // tile-parts in the whole codestream
  int32_t sot_start;       // byte position of the current SOT marker
  int32_t sod_start;       // byte position just after the last SOD of tile 0
  opj_image* image;        // the image being coded
  opj_cp* cp;              // the coding parameters, owned
  opj_cio* cio;            // the byte stream being written
};

// A new zeroed coder holding the compressor, or null.
opj_j2k* j2k_create_compress(opj_cinfo* cinfo);
// Frees the coding parameters (comment copy, component records, tile records)
// and the coder; nothing when null.
void j2k_destroy_compress(opj_j2k* j2k);
