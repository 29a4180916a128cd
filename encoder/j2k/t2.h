// Tier-2: the packets of a tile-part (headers with tag trees, pass counts and
// lengths, then the code-block bytes), in trial mode to measure layers during
// rate allocation and in final mode to write a tile-part.
#pragma once

#include <cstdint>

#include "encoder/j2k/pi.h"

struct opj_cinfo;
struct opj_image;
struct opj_cp;
struct opj_bio;
struct opj_tcd_tile;

struct opj_t2 {
  opj_cinfo* cinfo;
  opj_image* image;
  opj_cp* cp;
};

opj_t2* t2_create(opj_cinfo* cinfo, opj_image* image, opj_cp* cp);
void t2_destroy(opj_t2* t2);

// Writes the packets of tile-part tpnum (final mode) or measures those of
// every component (trial mode); the bytes written, or -999 when they do not
// fit (in trial mode also when one component's tile-part would exceed
// max_comp_size).
int t2_encode_packets(opj_t2* t2, int tileno, opj_tcd_tile* tile, int maxlayers, uint8_t* dest, int len, int tpnum,
                      int tppos, int pino, J2K_T2_MODE t2_mode, int cur_totnum_tp);

void t2_putcommacode(opj_bio* bio, int n);
void t2_putnumpasses(opj_bio* bio, int n);
