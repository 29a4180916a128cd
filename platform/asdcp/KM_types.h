// Fixed-width integer names used throughout the track-file library.
#pragma once

#include <cstdint>

namespace Kumu {

typedef uint8_t byte_t;
typedef uint8_t ui8_t;
typedef int8_t i8_t;
typedef uint16_t ui16_t;
typedef int16_t i16_t;
typedef uint32_t ui32_t;
typedef int32_t i32_t;
typedef uint64_t ui64_t;
typedef int64_t i64_t;
typedef i64_t fpos_t;  // a position or size within a file

}  // namespace Kumu

namespace ASDCP {
using Kumu::byte_t;
using Kumu::i16_t;
using Kumu::i32_t;
using Kumu::i64_t;
using Kumu::i8_t;
using Kumu::ui16_t;
using Kumu::ui32_t;
using Kumu::ui64_t;
using Kumu::ui8_t;
}  // namespace ASDCP
