// The packet iterator: walks the packets of a tile in progression order
// (component, position, resolution, layer), one tile-part at a time.
#pragma once

#include <cstdint>

#include "encoder/j2k/parameters.h"

struct opj_image;
struct opj_cp;

// Tier-2 modes: trial packets while the rate is allocated, or the final ones.
enum J2K_T2_MODE { THRESH_CALC = 0, FINAL_PASS = 1 };

struct opj_pi_resolution {
  int pdx, pdy;  // precinct exponents
  int pw, ph;    // precinct counts
};

struct opj_pi_comp {
  int dx, dy;
  int numresolutions;
  opj_pi_resolution* resolutions;
};

struct opj_pi_iterator {
  uint8_t tp_on;
  int16_t* include;  // one flag per layer x resolution x component x precinct, shared
  int step_l, step_r, step_c, step_p;
  int compno, resno, precno, layno;
  int first;
  opj_poc poc;  // the ranges of this progression and tile-part
  int numcomps;
  opj_pi_comp* comps;
  int tx0, ty0, tx1, ty1;
  int x, y, dx, dy;
};

// The iterators of a tile (one per progression), or null when an allocation fails.
opj_pi_iterator* pi_initialise_encode(const opj_image* image, opj_cp* cp, int tileno, J2K_T2_MODE t2_mode);
// Sets iterator pino up for tile-part tpnum; returns 0.
int pi_create_encode(opj_pi_iterator* pi, opj_cp* cp, int tileno, int pino, int tpnum, int tppos, J2K_T2_MODE t2_mode,
                     int cur_totnum_tp);
// Advances to the next packet: 1 while one was found, else 0.
int pi_next(opj_pi_iterator* pi);
void pi_destroy(opj_pi_iterator* pi, opj_cp* cp, int tileno);
