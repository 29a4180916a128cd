// Encoder parameters of a render and rate fitting.

#include "encoder/cinema_setup.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "encoder/j2k/compressor.h"
#include "encoder/j2k/image.h"
#include "encoder/j2k/parameters.h"
#include "plugin/output_options.h"
#include "plugin/product.h"

namespace {

// The profile's most bits per second of one component's coded data, and of
// the pictures of an edit unit.
constexpr uint64_t kComponentBitRate = 200000000;
constexpr uint64_t kEditUnitBitRate = 250000000;
// What the track-file library counts beyond the two codestreams of a
// stereoscopic edit unit: the second eye's KLV key and length.
constexpr uint32_t kSecondEyeKlvBytes = 16 + 4;

}  // namespace

int32_t cinema_component_limit(uint32_t frame_rate, bool stereoscopic) {
  const uint64_t rate = uint64_t{frame_rate} * (stereoscopic ? 2 : 1);
  return rate ? static_cast<int32_t>(kComponentBitRate / (8 * rate)) : 0;
}

uint32_t cinema_frame_budget(uint32_t bit_rate, uint32_t frame_rate, bool stereoscopic) {
  if (frame_rate == 0) return 0;
  // In unsigned 32-bit arithmetic (bit rates in Mbit/s).
  uint32_t budget = static_cast<uint32_t>(bit_rate * 1000000u) / frame_rate / 8u;
  if (stereoscopic) {
    const auto pair = static_cast<uint32_t>(kEditUnitBitRate / (8 * uint64_t{frame_rate}));
    const uint32_t eye = pair > kSecondEyeKlvBytes ? (pair - kSecondEyeKlvBytes) / 2 : 0;
    if (budget > eye) budget = eye;
  }
  return budget;
}

int set_cinema_profile(int /*frame_rate*/, int is_2k, OutputOptions* options, opj_cparameters* parameters) {
  if (is_2k == 1) {
    parameters->cp_cinema = options->stereoscopic ? CINEMA2K_48 : CINEMA2K_24;
    parameters->cp_rsiz = CINEMA2K;
  }
  if (parameters->tcp_numlayers == 0) {
    parameters->tcp_rates[0] = 0;
    parameters->tcp_numlayers = 1;
  }
  return 0;
}

void cinema_parameters(opj_cparameters* parameters) {
  parameters->cp_tdx = 1;
  parameters->cp_tdy = 1;
  parameters->tp_flag = 'C';
  parameters->tp_on = 1;
  parameters->cp_tx0 = 0;
  parameters->cp_ty0 = 0;
  parameters->image_offset_x0 = 0;
  parameters->image_offset_y0 = 0;
  parameters->cblockw_init = 32;
  parameters->cblockh_init = 32;
  parameters->csty |= 0x01;
  parameters->prog_order = CPRL;
  parameters->subsampling_dx = 1;
  parameters->subsampling_dy = 1;
  parameters->irreversible = 1;
  // The 2K profile codes the three components after the irreversible colour
  // transform.
  parameters->tcp_mct = 1;
}

int j2c_initialize(int frame_rate, int is_2k, OutputOptions* options, opj_cparameters* parameters) {
  opj_set_default_encoder_parameters(parameters);
  if (set_cinema_profile(frame_rate, is_2k, options, parameters) == 1) return 1;
  cinema_parameters(parameters);

  static const char kCommentPrefix[] = "Created by ";
  static const char kCommentSuffix[] = " version ";
  char prefix[64];
  std::snprintf(prefix, sizeof prefix, "%s%s%s", kCommentPrefix, kProductName, kCommentSuffix);
  const char* version = opj_version();
  const size_t n = std::strlen(prefix) + std::strlen(version) + 1;
  char* comment = static_cast<char*>(std::malloc(n));
  if (!comment) return 1;
  std::snprintf(comment, n, "%s%s", prefix, version);
  parameters->cp_comment = comment;
  return 0;
}

void cinema_setup_encoder(opj_cparameters* parameters, const OutputOptions* options, const opj_image* image) {
  const opj_image_comp& c0 = image->comps[0];
  if (parameters->cp_cinema == CINEMA2K_24 || parameters->cp_cinema == CINEMA2K_48) {
    if (parameters->numresolution > 6) parameters->numresolution = 6;
    if (!(c0.w == 2048 || c0.h == 1080)) {
      std::fprintf(stdout,
                   "Image coordinates %d x %d is not 2K compliant.\nJPEG Digital Cinema Profile-3 (2K "
                   "profile) compliance requires that at least one of coordinates match 2048 x 1080\n",
                   c0.w, c0.h);
      parameters->cp_rsiz = STD_RSIZ;
    }
  }

  const bool stereoscopic = options->stereoscopic != 0;
  const uint32_t budget = cinema_frame_budget(stereoscopic ? options->stereoBitRate : options->bitRate,
                                              options->frameRate, stereoscopic);

  // Both products as signed 32-bit integers (wrapping like the stored format's
  // arithmetic, without overflow in C++).
  const int32_t bits = static_cast<int32_t>(static_cast<uint32_t>(image->numcomps) * static_cast<uint32_t>(c0.w) *
                                            static_cast<uint32_t>(c0.h) * static_cast<uint32_t>(c0.prec));
  const int32_t coded = static_cast<int32_t>(budget * 8u * static_cast<uint32_t>(c0.dx) * static_cast<uint32_t>(c0.dy));
  const float ratio = static_cast<float>(bits) / static_cast<float>(coded);

  if (parameters->cp_cinema == CINEMA2K_24 || parameters->cp_cinema == CINEMA2K_48) {
    parameters->tcp_rates[0] = ratio;
    parameters->max_comp_size = cinema_component_limit(options->frameRate, stereoscopic);
  }
}
