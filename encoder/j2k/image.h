#pragma once
// The image that the codestream coder reads: three components of 32-bit
// samples. The records live in host memory handles (the output module owns
// them); a handle field is opaque here and the matching pointer is valid only
// while the output module holds that handle locked.

#include <cstdint>

// One component's parameters at image creation: the first nine fields of
// opj_image_comp, in the same order.
struct opj_image_cmptparm {
  int32_t dx;    // horizontal subsampling factor
  int32_t dy;    // vertical subsampling factor
  int32_t w;     // width in samples
  int32_t h;     // height in samples
  int32_t x0;    // horizontal offset
  int32_t y0;    // vertical offset
  int32_t prec;  // precision in bits
  int32_t bpp;   // bits per sample
  int32_t sgnd;  // 1 signed, 0 unsigned
};

struct opj_image_comp {
  int32_t dx;
  int32_t dy;
  int32_t w;
  int32_t h;
  int32_t x0;
  int32_t y0;
  int32_t prec;
  int32_t bpp;
  int32_t sgnd;
  int32_t* data;      // w * h samples, row by row; valid while data_handle is locked
  void* data_handle;  // host memory handle "dataH" holding the plane
};

struct opj_image {
  int32_t x0;             // left edge on the reference grid
  int32_t y0;             // top edge
  int32_t x1;             // right edge, exclusive
  int32_t y1;             // bottom edge, exclusive
  int32_t numcomps;       // always 3
  int32_t color_space;    // 1 once built
  opj_image_comp* comps;  // numcomps records; valid while comps_handle is locked
  void* comps_handle;     // host memory handle "CompH" holding the records
};
