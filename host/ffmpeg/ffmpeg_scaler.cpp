#include "host/ffmpeg/ffmpeg_scaler.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <thread>
#include <type_traits>

extern "C" {
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include "host/thread_start.h"

namespace lumavox_host {

void Scaler::Free() {
  for (SwsContext* c : contexts) sws_freeContext(c);
  contexts.clear();
}

namespace {

// Has the scaler read YUV samples by the matrix and the range the picture
// says it was made with; a picture that says nothing keeps the scaler's
// defaults (BT.601, and the range its format implies).
void TakeColourDescription(SwsContext* c, const AVFrame* src) {
  int *inverse = nullptr, *table = nullptr;
  int in_full = 0, out_full = 0, brightness = 0, contrast = 0, saturation = 0;
  if (sws_getColorspaceDetails(c, &inverse, &in_full, &table, &out_full, &brightness, &contrast, &saturation) < 0)
    return;
  if (src->colorspace != AVCOL_SPC_UNSPECIFIED && src->colorspace != AVCOL_SPC_RGB)
    inverse = const_cast<int*>(sws_getCoefficients(src->colorspace));
  if (src->color_range == AVCOL_RANGE_JPEG) in_full = 1;
  else if (src->color_range == AVCOL_RANGE_MPEG) in_full = 0;
  sws_setColorspaceDetails(c, inverse, in_full, table, out_full, brightness, contrast, saturation);
}

}  // namespace

bool Scaler::Prepare(const AVFrame* src, int width, int height, AVPixelFormat target, int threads) {
  if (static_cast<int>(contexts.size()) == threads && src->width == src_width && src->height == src_height &&
      src->format == src_format && width == dst_width && height == dst_height && target == dst_format &&
      src->colorspace == src_colorspace && src->color_range == src_range)
    return true;
  Free();
  for (int t = 0; t < threads; ++t) {
    SwsContext* c = sws_getContext(src->width, src->height, static_cast<AVPixelFormat>(src->format), width, height,
                                   target, SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (!c) {
      Free();
      return false;
    }
    TakeColourDescription(c, src);
    contexts.push_back(c);
  }
  src_colorspace = src->colorspace;
  src_range = src->color_range;
  src_width = src->width;
  src_height = src->height;
  src_format = src->format;
  dst_width = width;
  dst_height = height;
  dst_format = target;
  return true;
}

bool Scaler::Scale(const AVFrame* src, uint8_t* rows, int stride, int height) {
  uint8_t* planes[4] = {rows, nullptr, nullptr, nullptr};
  const int strides[4] = {stride, 0, 0, 0};
  return Scale(src, planes, strides, height);
}

bool Scaler::Scale(const AVFrame* src, uint8_t* const planes[4], const int strides[4], int height) {
  if (contexts.size() == 1 || !ScaleInBands(src, planes, strides, height))
    return sws_scale(contexts[0], src->data, src->linesize, 0, src->height, planes, strides) > 0;
  return true;
}

bool Scaler::ScaleInBands(const AVFrame* src, uint8_t* const planes[4], const int strides[4], int height) {
  const int align = static_cast<int>(std::max(1u, sws_receive_slice_alignment(contexts[0])));
  const int count = static_cast<int>(contexts.size());
  const int band = ((height + count - 1) / count + align - 1) / align * align;
  std::vector<int> ok(contexts.size(), 0);
  auto scale_band = [&](int t) {
    const int first = t * band;
    if (first >= height) {
      ok[t] = 1;
      return;
    }
    AVFrame* dst = av_frame_alloc();
    if (!dst) return;
    // The rows stay ours: the frame refers to them without owning them.
    dst->buf[0] = av_buffer_create(
        planes[0], static_cast<size_t>(strides[0]) * height, [](void*, uint8_t*) {}, nullptr, 0);
    for (int p = 0; p < 4; ++p) {
      dst->data[p] = planes[p];
      dst->linesize[p] = strides[p];
    }
    dst->width = dst_width;
    dst->height = height;
    dst->format = dst_format;
    SwsContext* c = contexts[t];
    if (dst->buf[0] && sws_frame_start(c, dst, src) >= 0) {
      ok[t] = sws_send_slice(c, 0, src->height) >= 0 &&
              sws_receive_slice(c, first, std::min(band, height - first)) >= 0;
      sws_frame_end(c);
    }
    av_frame_free(&dst);
  };
  // A band whose thread cannot be started is scaled here, with its own context.
  std::vector<std::thread> helpers;
  for (int t = 1; t < count; ++t)
    if (!StartThread(helpers, scale_band, t)) scale_band(t);
  scale_band(0);
  for (std::thread& t : helpers) t.join();
  return std::all_of(ok.begin(), ok.end(), [](int v) { return v != 0; });
}

namespace {

// RGB, palette and grey pictures of 8 bits or fewer: the scaler widens their
// samples to 16 bits inexactly (255 becomes 65283, not 65535), so they are
// scaled in 8 bits and widened here. Pictures in YUV keep the 16-bit
// conversion, which keeps the precision of the colour matrix.
bool NarrowRgbPicture(const AVPixFmtDescriptor* desc) {
  if (desc == nullptr) return false;
  for (int c = 0; c < desc->nb_components; ++c)
    if (desc->comp[c].depth > 8) return false;
  return (desc->flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL)) != 0 || desc->nb_components <= 2;
}

// YUV pictures whose chroma is not subsampled: for them the scaler gives the
// same samples in 16-bit planes as interleaved, in a fraction of the time.
bool FullChromaYuv(const AVPixFmtDescriptor* desc) {
  return desc != nullptr && std::strncmp(desc->name, "yuv", 3) == 0 && desc->nb_components >= 3 &&
         desc->log2_chroma_w == 0 && desc->log2_chroma_h == 0 &&
         (desc->flags & (AV_PIX_FMT_FLAG_BE | AV_PIX_FMT_FLAG_FLOAT | AV_PIX_FMT_FLAG_RGB)) == 0;
}

}  // namespace

void ScaleToHost(Scaler& scaler, const AVFrame* src, HostFrame& out, int threads, const std::string& path) {
  const bool wide = out.depth != 8;
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(src->format));
  const bool narrow = wide && NarrowRgbPicture(desc);
  const bool planar = wide && !narrow && FullChromaYuv(desc);
  const bool has_alpha = desc && (desc->flags & AV_PIX_FMT_FLAG_ALPHA);
  const AVPixelFormat target = !wide    ? AV_PIX_FMT_ARGB
                               : narrow ? AV_PIX_FMT_RGBA
                               : planar ? (has_alpha ? AV_PIX_FMT_GBRAP16LE : AV_PIX_FMT_GBRP16LE)
                                        : AV_PIX_FMT_RGBA64LE;
  // Planes are made whole: made in bands they differ from the whole picture when it is scaled.
  if (!scaler.Prepare(src, out.width, out.height, target, planar ? 1 : threads))
    throw std::runtime_error("input '" + path + "': cannot convert its pictures");
  if (!wide) {
    if (!scaler.Scale(src, out.pixels.data(), out.row_bytes, out.height))
      throw std::runtime_error("input '" + path + "': converting a picture failed");
    return;
  }
  const int sample_bytes = narrow ? 1 : 2;
  const int wide_stride = out.width * (planar ? 1 : 4) * sample_bytes;
  const size_t plane_bytes = static_cast<size_t>(wide_stride) * out.height;
  const int plane_count = planar ? (has_alpha ? 4 : 3) : 1;
  scaler.wide.resize(plane_bytes * plane_count);
  uint8_t* planes[4] = {};
  int strides[4] = {};
  for (int p = 0; p < plane_count; ++p) {
    planes[p] = scaler.wide.data() + p * plane_bytes;
    strides[p] = wide_stride;
  }
  if (!scaler.Scale(src, planes, strides, out.height))
    throw std::runtime_error("input '" + path + "': converting a picture failed");
  // RGBA, or the planes G, B, R (A), to the host's ARGB 0..32768; a picture
  // without alpha is opaque.
  const uint16_t* scale = narrow ? HostScaleFrom8().data() : HostScaleFrom16().data();
  auto convert = [&](int first, int end, const auto* samples_type, auto step) {
    using Sample = std::remove_const_t<std::remove_pointer_t<decltype(samples_type)>>;
    constexpr int kStep = decltype(step)::value;
    for (int y = first; y < end; ++y) {
      const size_t at = static_cast<size_t>(y) * wide_stride;
      const Sample* channel[4];  // R, G, B, A, little-endian on both sides
      for (int c = 0; c < 4; ++c) {
        constexpr int kPlaneOf[4] = {2, 0, 1, 3};  // in the planes G, B, R, A
        const uint8_t* plane = kStep == 1 && planes[kPlaneOf[c]] ? planes[kPlaneOf[c]] : planes[0];
        channel[c] = reinterpret_cast<const Sample*>(plane + at) + (kStep == 1 ? 0 : c);
      }
      uint8_t* row = out.Row(y);
      for (int x = 0; x < out.width; ++x) {
        const size_t i = static_cast<size_t>(x) * kStep;
        const uint16_t argb[4] = {has_alpha ? scale[channel[3][i]] : static_cast<uint16_t>(kFullScale16),
                                  scale[channel[0][i]], scale[channel[1][i]], scale[channel[2][i]]};
        std::memcpy(row + x * 8, argb, 8);
      }
    }
  };
  auto convert_rows = [&](int first, int end) {
    if (narrow) convert(first, end, static_cast<const uint8_t*>(nullptr), std::integral_constant<int, 4>());
    else if (planar) convert(first, end, static_cast<const uint16_t*>(nullptr), std::integral_constant<int, 1>());
    else convert(first, end, static_cast<const uint16_t*>(nullptr), std::integral_constant<int, 4>());
  };
  if (threads <= 1) {
    convert_rows(0, out.height);
    return;
  }
  std::vector<std::thread> helpers;
  const int band = (out.height + threads - 1) / threads;
  for (int first = band; first < out.height; first += band)
    if (!StartThread(helpers, convert_rows, first, std::min(out.height, first + band)))
      convert_rows(first, std::min(out.height, first + band));
  convert_rows(0, std::min(out.height, band));
  for (std::thread& t : helpers) t.join();
}

}  // namespace lumavox_host
