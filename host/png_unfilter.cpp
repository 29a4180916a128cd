#include "host/png_unfilter.h"

#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace lumavox_host {

namespace {

// One byte at a time, for any pixel size.
void UnfilterBytes(int type, uint8_t* row, const uint8_t* above, size_t bytes, size_t bpp) {
  switch (type) {
    case 1:  // Sub
      for (size_t i = bpp; i < bytes; ++i) row[i] = static_cast<uint8_t>(row[i] + row[i - bpp]);
      return;
    case 2:  // Up
      for (size_t i = 0; i < bytes; ++i) row[i] = static_cast<uint8_t>(row[i] + above[i]);
      return;
    case 3:  // Average
      for (size_t i = 0; i < bpp; ++i) row[i] = static_cast<uint8_t>(row[i] + (above[i] >> 1));
      for (size_t i = bpp; i < bytes; ++i) row[i] = static_cast<uint8_t>(row[i] + ((row[i - bpp] + above[i]) >> 1));
      return;
    case 4:  // Paeth
      for (size_t i = 0; i < bpp; ++i) row[i] = static_cast<uint8_t>(row[i] + above[i]);
      for (size_t i = bpp; i < bytes; ++i) {
        const int a = row[i - bpp], b = above[i], c = above[i - bpp];
        const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
        const int predictor = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
        row[i] = static_cast<uint8_t>(row[i] + predictor);
      }
      return;
    default:  // None
      return;
  }
}

#if defined(__SSE2__)

// `Bytes` bytes (up to 8) as the low bytes of a number, read and written in
// pieces of 4, 2 and 1 bytes: one 8-byte access over several smaller ones
// would wait for them to reach memory.
template <int Bytes, int At = 0>
uint64_t LoadBytes(const uint8_t* p) {
  if constexpr (Bytes - At >= 4) {
    if constexpr (Bytes - At == 8) {
      uint64_t v;
      std::memcpy(&v, p, 8);
      return v;
    } else {
      uint32_t v;
      std::memcpy(&v, p + At, 4);
      return static_cast<uint64_t>(v) << (8 * At) | LoadBytes<Bytes, At + 4>(p);
    }
  } else if constexpr (Bytes - At >= 2) {
    uint16_t v;
    std::memcpy(&v, p + At, 2);
    return static_cast<uint64_t>(v) << (8 * At) | LoadBytes<Bytes, At + 2>(p);
  } else if constexpr (Bytes - At == 1) {
    return static_cast<uint64_t>(p[At]) << (8 * At);
  } else {
    return 0;
  }
}

template <int Bytes, int At = 0>
void StoreBytes(uint8_t* p, uint64_t v) {
  if constexpr (Bytes - At == 8) {
    std::memcpy(p, &v, 8);
  } else if constexpr (Bytes - At >= 4) {
    const uint32_t part = static_cast<uint32_t>(v >> (8 * At));
    std::memcpy(p + At, &part, 4);
    StoreBytes<Bytes, At + 4>(p, v);
  } else if constexpr (Bytes - At >= 2) {
    const uint16_t part = static_cast<uint16_t>(v >> (8 * At));
    std::memcpy(p + At, &part, 2);
    StoreBytes<Bytes, At + 2>(p, v);
  } else if constexpr (Bytes - At == 1) {
    p[At] = static_cast<uint8_t>(v >> (8 * At));
  }
}

// A pixel's `Bpp` bytes in the low bytes of a vector, the others zero.
template <int Bpp>
__m128i LoadPixel(const uint8_t* p) {
  return _mm_cvtsi64_si128(static_cast<long long>(LoadBytes<Bpp>(p)));
}

template <int Bpp>
void StorePixel(uint8_t* p, __m128i v) {
  StoreBytes<Bpp>(p, static_cast<uint64_t>(_mm_cvtsi128_si64(v)));
}

// A pixel at a time, all its bytes together: the left pixel of the first is
// zero, which gives each filter's rule for it.
template <int Bpp>
void UnfilterPixels(int type, uint8_t* row, const uint8_t* above, size_t bytes) {
  const __m128i zero = _mm_setzero_si128();
  switch (type) {
    case 1: {  // Sub
      __m128i left = zero;
      for (size_t i = 0; i < bytes; i += Bpp) {
        left = _mm_add_epi8(LoadPixel<Bpp>(row + i), left);
        StorePixel<Bpp>(row + i, left);
      }
      return;
    }
    case 2: {  // Up
      size_t i = 0;
      for (; i + 16 <= bytes; i += 16) {
        const __m128i sum = _mm_add_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i)),
                                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(above + i)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), sum);
      }
      for (; i < bytes; ++i) row[i] = static_cast<uint8_t>(row[i] + above[i]);
      return;
    }
    case 3: {  // Average: the rounded-up mean less the bit it rounded up
      const __m128i one = _mm_set1_epi8(1);
      __m128i left = zero;
      for (size_t i = 0; i < bytes; i += Bpp) {
        const __m128i up = LoadPixel<Bpp>(above + i);
        const __m128i mean = _mm_sub_epi8(_mm_avg_epu8(left, up), _mm_and_si128(_mm_xor_si128(left, up), one));
        left = _mm_add_epi8(LoadPixel<Bpp>(row + i), mean);
        StorePixel<Bpp>(row + i, left);
      }
      return;
    }
    case 4: {                               // Paeth, in 16-bit lanes
      __m128i left = zero, up_left = zero;  // a and c, widened
      for (size_t i = 0; i < bytes; i += Bpp) {
        const __m128i up = _mm_unpacklo_epi8(LoadPixel<Bpp>(above + i), zero);  // b
        const __m128i b_c = _mm_sub_epi16(up, up_left);
        const __m128i a_c = _mm_sub_epi16(left, up_left);
        const __m128i both = _mm_add_epi16(b_c, a_c);
        const __m128i pa = _mm_max_epi16(b_c, _mm_sub_epi16(zero, b_c));
        const __m128i pb = _mm_max_epi16(a_c, _mm_sub_epi16(zero, a_c));
        const __m128i pc = _mm_max_epi16(both, _mm_sub_epi16(zero, both));
        const __m128i not_a = _mm_or_si128(_mm_cmpgt_epi16(pa, pb), _mm_cmpgt_epi16(pa, pc));
        const __m128i not_b = _mm_cmpgt_epi16(pb, pc);
        __m128i predictor = _mm_or_si128(_mm_andnot_si128(not_b, up), _mm_and_si128(not_b, up_left));
        predictor = _mm_or_si128(_mm_andnot_si128(not_a, left), _mm_and_si128(not_a, predictor));
        const __m128i restored = _mm_add_epi8(LoadPixel<Bpp>(row + i), _mm_packus_epi16(predictor, predictor));
        StorePixel<Bpp>(row + i, restored);
        left = _mm_unpacklo_epi8(restored, zero);
        up_left = up;
      }
      return;
    }
    default:  // None
      return;
  }
}

#endif

}  // namespace

void UnfilterPngRow(int type, uint8_t* row, const uint8_t* above, size_t bytes, size_t bpp) {
#if defined(__SSE2__)
  switch (bpp) {
    case 1: return UnfilterPixels<1>(type, row, above, bytes);
    case 2: return UnfilterPixels<2>(type, row, above, bytes);
    case 3: return UnfilterPixels<3>(type, row, above, bytes);
    case 4: return UnfilterPixels<4>(type, row, above, bytes);
    case 6: return UnfilterPixels<6>(type, row, above, bytes);
    case 8: return UnfilterPixels<8>(type, row, above, bytes);
    default: break;
  }
#endif
  UnfilterBytes(type, row, above, bytes, bpp);
}

}  // namespace lumavox_host
