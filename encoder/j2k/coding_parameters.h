#pragma once
// The coding parameters one compressor derives from the parameter record and
// its image, owned by its codestream coder.

#include <cstdint>

#include "encoder/j2k/parameters.h"

struct opj_image;
struct opj_j2k;

// clang-format off
// One sub-band's quantiser step: exponent and 11-bit mantissa.
struct opj_stepsize {
  int32_t expn;
  int32_t mant;
};

// Per tile-component coding values.
struct opj_tccp {
  int32_t csty;            // bit 0: precinct sizes given
  int32_t numresolutions;
  int32_t cblkw, cblkh;    // code-block width and height exponents
  int32_t cblksty;
  int32_t qmfbid;          // 0: 9/7
  int32_t qntsty;          // 0 none, 1 scalar derived, 2 scalar expounded
  opj_stepsize stepsizes[J2K_MAXBANDS];  // band 0 = LL of resolution 0, then HL, LH, HH ...
  int32_t numgbits;        // guard bits
  int32_t prcw[J2K_MAXRLVLS];  // precinct width exponent per resolution
  int32_t prch[J2K_MAXRLVLS];
};

// Per tile coding values.
struct opj_tcp {
  int32_t csty;
  int32_t prg;
  int32_t numlayers;
  int32_t mct;
  float rates[J2K_MAXLAYERS];  // ratio, then byte budget (rewritten while coding)
  int32_t numpocs;             // changes in use minus one
  int32_t POC;                 // 1 when progression-order changes are in use
  opj_poc pocs[J2K_MAXPOCS];
  opj_tccp* tccps;             // one per image component
};

struct opj_cp {
  int32_t cinema;
  int32_t max_comp_size;
  int32_t img_size;            // sum over components of w * h * prec, in bits
  int32_t rsiz;
  uint8_t tp_on;
  char tp_flag;
  int32_t tp_pos;              // index of the tile-part letter in the progression text
  int32_t tx0, ty0;
  int32_t tdx, tdy;
  char* comment;               // own copy of the parameter record's text, or null
  int32_t tw, th;              // tiles across and down (1, 1)
  opj_tcp* tcps;               // tw * th records
};
// clang-format on

// A tile-part's bytes beyond its packets: the SOT marker segment and SOD.
constexpr int32_t kTilePartHeaderBytes = 12 + 2;

// The most bytes one component's packets may take, so that its tile-part
// (each holds one component) keeps within max_comp_size; 0: no limit.
int32_t cp_component_packets_max(const opj_cp* cp);

// Builds the coder's coding parameters (j2k->cp) from the record and the image;
// nothing when an argument is null.
void j2k_setup_encoder(opj_j2k* j2k, const opj_cparameters* parameters, const opj_image* image);

// Frees coding parameters built by j2k_setup_encoder (accepts null).
void j2k_destroy_cp(opj_cp* cp);
