// Frame conversion: host frames into the encoder's 12-bit planes.

#include "encoder/frame_conversion.h"

#include <cstdint>
#include <cstring>

#include "encoder/j2k/image.h"
#include "encoder/j2k/parameters.h"
#include "encoder/j2k/simd_clones.h"
#include "encoder/sample_widening.h"
#include "plugin/image_buffers.h"
#include "plugin/module_errors.h"
#include "plugin/output_options.h"
#include "plugin/suite_handler.h"

namespace {

constexpr int kPrecision = 12;

int ImageWidth(const OutputOptions* options) {
  return static_cast<int>(options->stereoscopic ? options->width / 2 : options->width);
}

// Reads a row of columns units into three rows of samples.
using RowReader = void (*)(const uint8_t* __restrict px, int32_t* __restrict r, int32_t* __restrict g,
                           int32_t* __restrict b, int columns);

// The loop shared by both readings.
template <int UnitBytes>
void convert(const PF_EffectWorld* frame, opj_image* image, int H, int W, int n, A_u_char eye, RowReader read_row) {
  const int s = eye == kLeftEyeOr2D ? 0 : W;
  // Columns past the row's n units are not read and their samples not written.
  int columns = n - s;
  if (columns > W) columns = W;
  if (columns <= 0 || H <= 0) return;
  const uint8_t* first = static_cast<const uint8_t*>(frame->data);
  int32_t* p0 = image->comps[0].data;
  int32_t* p1 = image->comps[1].data;
  int32_t* p2 = image->comps[2].data;
  const ptrdiff_t row_bytes = static_cast<ptrdiff_t>(n) * UnitBytes;
  for (int r = 0; r < H; ++r) {
    const uint8_t* px = first + r * row_bytes + static_cast<ptrdiff_t>(s) * UnitBytes;
    const ptrdiff_t at = static_cast<ptrdiff_t>(r) * W;
    read_row(px, p0 + at, p1 + at, p2 + at, columns);
  }
}

// 0 to 32768 becomes 0 to 4096; full scale clamps to the 12-bit range.
inline int32_t Scale16(uint64_t v) {
  const int32_t s = static_cast<int32_t>(v & 0xFFFF) >> 3;
  return s > 4095 ? 4095 : s;
}

SIMD_CLONES void read_row_8bit(const uint8_t* __restrict px, int32_t* __restrict r, int32_t* __restrict g,
                               int32_t* __restrict b, int columns) {
  for (int c = 0; c < columns; ++c, px += 4) {
    r[c] = Widen8To12(px[1]);
    g[c] = Widen8To12(px[2]);
    b[c] = Widen8To12(px[3]);
  }
}

SIMD_CLONES void read_row_16bit(const uint8_t* __restrict px, int32_t* __restrict r, int32_t* __restrict g,
                                int32_t* __restrict b, int columns) {
  for (int c = 0; c < columns; ++c, px += 8) {
    // The unit as one little-endian word: alpha, red, green, blue from the low end.
    uint64_t unit;
    std::memcpy(&unit, px, 8);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    unit = __builtin_bswap64(unit);
#endif
    r[c] = Scale16(unit >> 16);
    g[c] = Scale16(unit >> 32);
    b[c] = Scale16(unit >> 48);
  }
}

}  // namespace

AEGP_MemHandle j2c_create_image(AEIO_BasicData* basic_dataP, OutputOptions* options, AEIO_OutSpecH /*outH*/,
                                const opj_cparameters* parameters) {
  const int W = ImageWidth(options);
  const int H = static_cast<int>(options->height);
  opj_image_cmptparm cmptparms[3];
  for (opj_image_cmptparm& p : cmptparms) {
    p.dx = parameters->subsampling_dx;
    p.dy = parameters->subsampling_dy;
    p.w = W;
    p.h = H;
    p.x0 = 0;
    p.y0 = 0;
    p.prec = kPrecision;
    p.bpp = kPrecision;
    p.sgnd = 0;
  }
  AEGP_MemHandle imageH = j2c_create_image_buffers(basic_dataP, 3, cmptparms);
  if (!imageH) return nullptr;

  SuiteHandler suites(basic_dataP->pica_basicP);
  const AEGP_MemorySuite1* memory = suites.MemorySuite1();
  void* ptr = nullptr;
  A_Err err = memory->AEGP_LockMemHandle(imageH, &ptr);
  if (err || !ptr) {
    // Without its extent the image cannot be coded. Its planes cannot be
    // reached without the lock; the record itself goes back.
    memory->AEGP_FreeMemHandle(imageH);
    return nullptr;
  }
  opj_image* image = static_cast<opj_image*>(ptr);
  image->x0 = parameters->image_offset_x0;
  image->y0 = parameters->image_offset_y0;
  image->x1 = image->x0 + (W - 1) * cmptparms[0].dx + 1;
  image->y1 = image->y0 + (H - 1) * cmptparms[0].dy + 1;
  memory->AEGP_UnlockMemHandle(imageH);
  return imageH;
}

void convert_frame_8bit(const OutputOptions* /*options*/, const PF_EffectWorld* frame, opj_image* image, int H, int W,
                        int n, A_u_char eye) {
  convert<4>(frame, image, H, W, n, eye, read_row_8bit);
}

void convert_frame_16bit(const OutputOptions* /*options*/, const PF_EffectWorld* frame, opj_image* image, int H, int W,
                         int n, A_u_char eye) {
  convert<8>(frame, image, H, W, n, eye, read_row_16bit);
}

A_Err convert_frame_to_image(AEIO_BasicData* basic_dataP, AEIO_OutSpecH /*outH*/, const PF_EffectWorld* frame,
                             A_u_char eye, const OutputOptions* options, opj_image* image) {
  const int W = ImageWidth(options);
  const int H = static_cast<int>(options->height);
  const A_long rb = frame->rowbytes;
  switch (options->outputDepth) {
    case 48: convert_frame_16bit(options, frame, image, H, W, rb / 8, eye); return A_Err_NONE;
    case 24: convert_frame_8bit(options, frame, image, H, W, rb / 4, eye); return A_Err_NONE;
    default:
      basic_dataP->msg_func(0,
                            "Unsupported color depth. Select \"Millions of Color\" or \"Trillions of Color\" in "
                            "your output module settings.");
      return kErrUnsupportedOutput;
  }
}
