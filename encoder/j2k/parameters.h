#pragma once
// The encoder parameter record: filled once per render and shared read-only
// by every compressor, which derives its own coding parameters from it.

#include <cstdint>

// Progression orders.
enum opj_prog_order { PROG_UNKNOWN = -1, LRCP = 0, RLCP = 1, RPCL = 2, PCRL = 3, CPRL = 4 };

// Digital Cinema modes (cp_cinema / opj_cp::cinema).
enum opj_cinema_mode { CINEMA_OFF = 0, CINEMA2K_24 = 1, CINEMA2K_48 = 2, CINEMA4K_24 = 3 };

// Rsiz capabilities.
enum opj_rsiz_capabilities { STD_RSIZ = 0, CINEMA2K = 3, CINEMA4K = 4 };

enum { J2K_MAXRLVLS = 33, J2K_MAXBANDS = 3 * J2K_MAXRLVLS - 2, J2K_MAXPOCS = 32, J2K_MAXLAYERS = 100 };

// clang-format off
// One progression-order change, with the ranges the packet iterator fills.
struct opj_poc {
  int32_t resno0, compno0;           // first resolution and component
  int32_t layno1, resno1, compno1;   // end layer, resolution and component
  int32_t layno0, precno0, precno1;
  int32_t prg1;                      // the change's progression order
  int32_t prg;
  char progorder[5];
  int32_t tile;                      // 1-based tile number, -1 for all tiles
  int32_t tx0, tx1, ty0, ty1;
  // iterator ranges
  int32_t layS, resS, compS, prcS;
  int32_t layE, resE, compE, prcE;
  int32_t txS, txE, tyS, tyE, dx, dy;
  // running tile-part values
  int32_t lay_t, res_t, comp_t, prc_t, tx0_t, ty0_t;
};

struct opj_cparameters {
  int32_t cp_tx0, cp_ty0;        // origin of the tile grid
  int32_t cp_tdx, cp_tdy;        // requested tile size (the image extent is used)
  char* cp_comment;              // heap text owned by the record; null: no COM
  int32_t csty;                  // coding style; bit 0: precinct sizes given
  int32_t prog_order;            // opj_prog_order
  opj_poc POC[J2K_MAXPOCS];
  int32_t numpocs;
  int32_t tcp_numlayers;
  float tcp_rates[J2K_MAXLAYERS];  // compression ratio per layer; 0: no limit
  int32_t numresolution;
  int32_t cblockw_init, cblockh_init;
  int32_t mode;                  // code-block style bits
  int32_t irreversible;          // 1: 9/7 with scalar expounded quantisation
  int32_t image_offset_x0, image_offset_y0;
  int32_t subsampling_dx, subsampling_dy;
  int32_t cp_cinema;             // opj_cinema_mode
  int32_t max_comp_size;         // largest tile-part of one component, in bytes; 0: none
  int32_t cp_rsiz;               // opj_rsiz_capabilities
  uint8_t tp_on;                 // not 0: tile-parts are formed
  char tp_flag;                  // progression letter at which tile-parts are cut
  int8_t tcp_mct;                // 1: the irreversible colour transform
};
// clang-format on

// Clears the record and sets the defaults; nothing when given null.
void opj_set_default_encoder_parameters(opj_cparameters* parameters);
