// The tile coder: the tree of one tile (tile-components, resolutions, bands,
// precincts, code-blocks), the coding pipeline of a tile (level shift,
// wavelet, block coding), rate allocation into quality layers, and the
// packets of each tile-part.
#pragma once

#include <cstddef>
#include <cstdint>

struct opj_cinfo;
struct opj_image;
struct opj_cp;
struct opj_tcp;
struct opj_tgt_tree;

// One coding pass of a code-block: cumulative rate (bytes) and cumulative
// distortion decrease.
struct opj_tcd_pass {
  int rate;
  double distortiondec;
  int term;
  int len;
};

struct opj_tcd_layer {
  int numpasses;
  int len;
  double disto;
  uint8_t* data;
};

struct opj_tcd_cblk_enc {
  uint8_t* data;          // the coded bytes (tile arena)
  opj_tcd_layer* layers;  // one per quality layer
  opj_tcd_pass* passes;   // totalpasses of them
  int x0, y0, x1, y1;
  int numbps;
  int numlenbits;
  int numpasses;          // passes already sent
  int numpassesinlayers;  // passes assigned to layers so far
  int totalpasses;
  int planes_left;                 // bit-planes not coded (the coding stopped above them)
  struct t1_resume_point* resume;  // where the coding can go on, when planes are left
  bool waiting;                    // planes left, not to be coded unless the threshold falls
  // The passes its first layer took, and their bytes, when its packet was
  // last measured in a trial (passes -1: not measured with these passes).
  int measured_passes;
  int measured_len;
};

struct opj_tcd_precinct {
  int x0, y0, x1, y1;
  int cw, ch;
  opj_tcd_cblk_enc* cblks;
  opj_tgt_tree* incltree;
  opj_tgt_tree* imsbtree;
  // In the first band's precinct: the bytes of the packet of this precinct
  // position last measured in a trial (-1: none).
  int measured_bytes;
};

struct opj_tcd_band {
  int x0, y0, x1, y1;
  int bandno;  // orientation: 0 LL, 1 HL, 2 LH, 3 HH
  opj_tcd_precinct* precincts;
  int numbps;
  float stepsize;
};

struct opj_tcd_resolution {
  int x0, y0, x1, y1;
  int pw, ph;
  int numbands;
  opj_tcd_band bands[3];
};

struct opj_tcd_tilecomp {
  int x0, y0, x1, y1;
  int numresolutions;
  opj_tcd_resolution* resolutions;
  int* data;  // the caller's tile buffer of this component
};

struct opj_tcd_tile {
  int x0, y0, x1, y1;
  int numcomps;
  opj_tcd_tilecomp* comps;
  int packno;  // packet counter over the tile's tile-parts
};

struct opj_tcd_image {
  int tw, th;
  opj_tcd_tile* tiles;
};

// Bump allocator for everything a codestream's tile tree holds: chunks are
// freed together with the tree.
struct tcd_arena {
  struct chunk {
    chunk* next;
    size_t size;
    size_t used;
  };
  chunk* head = nullptr;
  bool failed = false;
};
void* tcd_arena_alloc(tcd_arena* arena, size_t size, bool zero);
void tcd_arena_release(tcd_arena* arena);

struct opj_tcd {
  int tp_pos;
  int tp_num;
  int cur_tp_num;
  int cur_totnum_tp;
  int cur_pino;
  opj_tcd_image* tcd_image;
  opj_image* image;
  opj_cp* cp;
  opj_tcd_tile* tcd_tile;
  opj_tcp* tcp;
  int tcd_tileno;
  opj_cinfo* cinfo;
  tcd_arena arena;
  // What tier-1 keeps of the code-blocks, one arena per thread coding them.
  tcd_arena* coding_arenas;
  int num_coding_arenas;
  double last_thresh;  // the slope threshold of the last layer the rate allocation formed
  // Whether that threshold lay between thresholds tried that fit and that did
  // not (rather than at an end of the range of slopes).
  bool last_thresh_found;
};

opj_tcd* tcd_create(opj_cinfo* cinfo);
void tcd_destroy(opj_tcd* tcd);
// Builds the tile tree and converts the layer rates into byte budgets.
// Returns 0 when the tree cannot be allocated (the caller then fails).
int tcd_malloc_encode(opj_tcd* tcd, opj_image* image, opj_cp* cp, int curtileno, int** tile_buffers);
void tcd_free_encode(opj_tcd* tcd);
// Writes the packets of the current tile-part; the byte count, or -999 when
// they do not fit in len.
int tcd_encode_tile(opj_tcd* tcd, int tileno, uint8_t* dest, int len);
int tcd_rateallocate(opj_tcd* tcd, uint8_t* dest, int len);
// Whether a block whose coding stopped above its last plane (with a resume
// point) could take more passes at slope threshold thresh than the
// numpassesinlayers it takes, had it been coded to the end; false only where
// it surely could not.
bool tcd_may_take_more(const opj_tcd_cblk_enc* cblk, double thresh);
// The byte budget of a layer's trial packets for its converted rate (0: no
// limit) and the room left.
int tcd_layer_budget(float rate, int len);
void tcd_makelayer(opj_tcd* tcd, int layno, double thresh, int final);
// The bytes of packet headers (markers included) that a single layer can
// take at most in each component, whatever passes it includes.
void tcd_first_layer_headers_max(opj_tcd_tile* tile, const opj_tcp* tcp, int64_t* comp_bytes);
