// KLV coding: 16-byte keys (universal labels), BER lengths and big-endian
// values, gathered in a growing byte buffer.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "platform/asdcp/KM_types.h"

namespace ASDCP {
namespace MXF {

typedef std::array<byte_t, 16> UL;
typedef std::array<byte_t, 16> UUIDValue;
typedef std::array<byte_t, 32> UMID;

// Builds a label from its text form "060e2b34.02530101.0d010101.01012f00"
// (dots optional).
UL MakeUL(const char* hex);

// The length field of every KLV packet this library writes: four bytes
// (0x83 and three length bytes), or nine (0x88 and eight) for values of
// 16 MiB and more.
ui32_t BERLengthSize(ui64_t length);

class ByteBuffer {
 public:
  void U8(ui8_t value) { bytes_.push_back(value); }
  void U16(ui16_t value);
  void U32(ui32_t value);
  void U64(ui64_t value);
  void Bytes(const byte_t* data, size_t size) { bytes_.insert(bytes_.end(), data, data + size); }
  template <size_t N>
  void Bytes(const std::array<byte_t, N>& value) {
    Bytes(value.data(), N);
  }
  void Append(const ByteBuffer& other) { Bytes(other.data(), other.size()); }
  void Zeros(size_t count) { bytes_.insert(bytes_.end(), count, 0); }
  // UTF-16 big-endian, without a terminator.
  void UTF16(const std::string& text);
  void BER(ui64_t length);
  // Key, BER length and value.
  void KLV(const UL& key, const ByteBuffer& value);
  void KLVHeader(const UL& key, ui64_t length);

  const byte_t* data() const { return bytes_.data(); }
  size_t size() const { return bytes_.size(); }
  void clear() { bytes_.clear(); }
  const std::vector<byte_t>& bytes() const { return bytes_; }

 private:
  std::vector<byte_t> bytes_;
};

}  // namespace MXF
}  // namespace ASDCP
