// The codestream writer: main header (SOC, SIZ, COD, QCD, COM, TLM), the
// tile-parts of the single tile with their SOT and SOD markers and packet
// data, and EOC; the tile-part lengths are patched into SOT and TLM.
#pragma once

#include <cstdint>

struct opj_j2k;
struct opj_cio;
struct opj_image;
struct opj_cp;
struct opj_tcd;

// Writes one codestream from the byte stream's current position. Returns 1,
// or 0 when it cannot be written whole: a tile-part whose packets do not fit,
// a byte stream too small for the codestream, or a failed allocation.
int j2k_encode(opj_j2k* j2k, opj_cio* cio, opj_image* image, bool flag, int32_t** tile_buffers);

// Marker segments at the current position; each returns 1 when every byte
// fitted the byte stream, else 0.
int j2k_write_soc(opj_j2k* j2k);
int j2k_write_siz(opj_j2k* j2k);
int j2k_write_cod(opj_j2k* j2k);
int j2k_write_cox(opj_j2k* j2k, int compno);
int j2k_write_qcd(opj_j2k* j2k);
int j2k_write_qcx(opj_j2k* j2k, int compno);
int j2k_write_com(opj_j2k* j2k);
int j2k_write_tlm(opj_j2k* j2k);
int j2k_write_sot(opj_j2k* j2k);
int j2k_write_sod(opj_j2k* j2k, opj_tcd* tcd, bool flag);
int j2k_write_eoc(opj_j2k* j2k);

// Tile-parts of the whole codestream (filling j2k->cur_totnum_tp), or -1 when
// a packet iterator cannot be created.
int j2k_calculate_tp(opj_cp* cp, int img_numcomp, opj_image* image, opj_j2k* j2k);
// Tile-parts of one progression of a tile; sets cp->tp_pos.
int j2k_get_num_tp(opj_cp* cp, int pino, int tileno);
// The four-letter text of a progression order, or "" for an unknown value.
const char* j2k_convert_progression_order(int prg_order);
int int_floorlog2(int a);
