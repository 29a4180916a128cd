// A 16-byte universally unique identifier, its random generation and its
// text form (lower-case hexadecimal, 8-4-4-4-12 with dashes).
#pragma once

#include "platform/asdcp/KM_types.h"

namespace Kumu {

class UUID {
 public:
  static constexpr ui32_t ValueSize = 16;
  // Text form: 36 characters and the terminating zero.
  static constexpr ui32_t HexTextSize = 37;

  UUID();
  explicit UUID(const byte_t* value);

  void Set(const byte_t* value);
  void Reset();
  const byte_t* Value() const { return value_; }
  ui32_t Size() const { return ValueSize; }
  bool HasValue() const { return has_value_; }

  // Writes the text form into buf and returns buf; returns nullptr (and
  // writes nothing) when buf is null or smaller than HexTextSize.
  const char* EncodeHex(char* buf, ui32_t buf_len) const;
  // Reads the text form (dashes optional, either case); false on anything
  // else, leaving the value unchanged.
  bool DecodeHex(const char* str);

  bool operator==(const UUID& other) const;
  bool operator!=(const UUID& other) const { return !(*this == other); }
  bool operator<(const UUID& other) const;

 private:
  byte_t value_[ValueSize];
  bool has_value_;
};

// Fills the 16 bytes at buf with a random (version 4) UUID.
void GenRandomUUID(byte_t* buf);
// Fills the 16 bytes at buf with random bytes.
void GenRandomValue(byte_t* buf, ui32_t len);

}  // namespace Kumu
