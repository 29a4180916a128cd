#include "host/png_row_conversion.h"

#include <algorithm>
#include <cstddef>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define LUMAVOX_PNG_AVX2 1
#include <immintrin.h>
#endif

namespace lumavox_host {

namespace {

// A host sample from a 16-bit sample `v`: the nearest of 0..32768 to
// v * 32768 / 65535, which is (v + 1) / 2 for every v. An 8-bit sample v
// stands for v * 257 in 16 bits.
inline uint16_t Wide16(uint32_t v) { return static_cast<uint16_t>((v + 1) >> 1); }

// Pixels [from, width) of a row: `Bytes` bytes a sample, `Channels` samples
// a pixel, to 16-bit host pixels (`Wide`) or 8-bit ones.
template <int Bytes, int Channels, bool Wide>
void ConvertPixels(const uint8_t* in, uint8_t* out, int from, int width) {
  for (int x = from; x < width; ++x) {
    const uint8_t* p = in + static_cast<size_t>(x) * Channels * Bytes;
    auto sample = [p](int s) -> uint16_t {
      if constexpr (Bytes == 2) return Wide16(static_cast<uint32_t>(p[2 * s] << 8 | p[2 * s + 1]));
      else if constexpr (Wide) return Wide16(p[s] * 257u);
      else return p[s];
    };
    const uint16_t opaque = Wide ? 32768 : 255;
    const uint16_t argb[4] = {Channels == 2   ? sample(1)
                              : Channels == 4 ? sample(3)
                                              : opaque,
                              sample(0), sample(Channels <= 2 ? 0 : 1), sample(Channels <= 2 ? 0 : 2)};
    if constexpr (Wide) {
      uint8_t* q = out + static_cast<size_t>(x) * 8;
      for (int c = 0; c < 4; ++c) {  // little-endian, as the host's frames are
        q[2 * c] = static_cast<uint8_t>(argb[c]);
        q[2 * c + 1] = static_cast<uint8_t>(argb[c] >> 8);
      }
    } else {
      uint8_t* q = out + static_cast<size_t>(x) * 4;
      for (int c = 0; c < 4; ++c) q[c] = static_cast<uint8_t>(argb[c]);
    }
  }
}

#ifdef LUMAVOX_PNG_AVX2

// Half of a 32-byte step: where each output byte comes from in the 16 input
// bytes (negative: nowhere, a zero), and the bytes of an opaque alpha where
// the row has none.
struct LaneTables {
  int8_t from[16];
  uint8_t alpha[16];
};

template <int Bytes, int Channels, bool Wide>
constexpr LaneTables MakeLaneTables() {
  LaneTables t{};
  constexpr int kPixels = Wide ? 2 : 4;
  constexpr int kOutSample = Wide ? 2 : 1;
  for (int p = 0; p < kPixels; ++p) {
    for (int c = 0; c < 4; ++c) {  // A, R, G, B
      const int s = c == 0 ? (Channels == 2 ? 1 : Channels == 4 ? 3 : -1) : (Channels <= 2 ? 0 : c - 1);
      for (int b = 0; b < kOutSample; ++b) {
        const int at = (p * 4 + c) * kOutSample + b;
        if (s < 0) {
          t.from[at] = -128;
          t.alpha[at] = Wide ? (b == 1 ? 0x80 : 0) : 0xFF;
        } else {
          // Big-endian 16-bit samples swap their bytes; an 8-bit one fills both.
          t.from[at] = static_cast<int8_t>((p * Channels + s) * Bytes + (Bytes == 2 && b == 0 ? 1 : 0));
        }
      }
    }
  }
  return t;
}

// Pixels from `from`, whose place in `out` lies on a 32-byte boundary, in
// steps of 32 output bytes, each half from 16 input bytes, as far as the
// input allows; returns the pixels done. The output goes straight to memory
// past the caches: the frame is read long after, by another thread. The
// rounded mean with zero gives Wide16.
template <int Bytes, int Channels, bool Wide>
__attribute__((target("avx2"))) int ConvertPixelsAvx2(const uint8_t* in, uint8_t* out, int from, int width) {
  static constexpr LaneTables kTables = MakeLaneTables<Bytes, Channels, Wide>();
  constexpr int kLanePixels = Wide ? 2 : 4;
  constexpr size_t kLaneIn = static_cast<size_t>(kLanePixels) * Channels * Bytes;
  static_assert(kLaneIn <= 16, "a lane's pixels come from one 16-byte load");
  const __m256i shuffle = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(kTables.from)));
  const __m256i alpha = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(kTables.alpha)));
  const size_t in_bytes = static_cast<size_t>(width) * Channels * Bytes;
  int x = from;
  size_t at = static_cast<size_t>(from) * Channels * Bytes;
  for (; at + kLaneIn + 16 <= in_bytes; at += 2 * kLaneIn, x += 2 * kLanePixels) {
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + at));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + at + kLaneIn));
    __m256i v = _mm256_shuffle_epi8(_mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1), shuffle);
    if constexpr (Wide) v = _mm256_avg_epu16(v, _mm256_setzero_si256());
    v = _mm256_or_si256(v, alpha);
    _mm256_stream_si256(reinterpret_cast<__m256i*>(out + static_cast<size_t>(x) * (Wide ? 8 : 4)), v);
  }
  _mm_sfence();
  return x;
}

bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

#endif

template <int Bytes, int Channels, bool Wide>
void Convert(const uint8_t* in, uint8_t* out, int width) {
  int done = 0;
#ifdef LUMAVOX_PNG_AVX2
  constexpr int kPixelBytes = Wide ? 8 : 4;
  const int misaligned = static_cast<int>(reinterpret_cast<uintptr_t>(out) % 32);
  if (HasAvx2() && misaligned % kPixelBytes == 0) {
    const int head = std::min(width, (32 - misaligned) % 32 / kPixelBytes);
    ConvertPixels<Bytes, Channels, Wide>(in, out, 0, head);
    done = ConvertPixelsAvx2<Bytes, Channels, Wide>(in, out, head, width);
  }
#endif
  ConvertPixels<Bytes, Channels, Wide>(in, out, done, width);
}

template <int Bytes, bool Wide>
void ConvertChannels(int channels, const uint8_t* in, uint8_t* out, int width) {
  switch (channels) {
    case 1: return Convert<Bytes, 1, Wide>(in, out, width);
    case 2: return Convert<Bytes, 2, Wide>(in, out, width);
    case 3: return Convert<Bytes, 3, Wide>(in, out, width);
    default: return Convert<Bytes, 4, Wide>(in, out, width);
  }
}

}  // namespace

void ConvertPngRow(const uint8_t* in, uint8_t* out, int width, int channels, int bit_depth, int host_depth) {
  if (host_depth == 8) ConvertChannels<1, false>(channels, in, out, width);
  else if (bit_depth == 8) ConvertChannels<1, true>(channels, in, out, width);
  else ConvertChannels<2, true>(channels, in, out, width);
}

}  // namespace lumavox_host
