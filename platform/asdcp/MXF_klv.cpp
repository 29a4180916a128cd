#include "platform/asdcp/MXF_klv.h"

namespace ASDCP {
namespace MXF {

static int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

UL MakeUL(const char* hex) {
  UL label{};
  size_t count = 0;
  for (const char* p = hex; *p != 0 && p[1] != 0 && count < label.size();) {
    int high = HexValue(p[0]);
    if (high < 0) {
      ++p;
      continue;
    }
    label[count++] = static_cast<byte_t>((high << 4) | HexValue(p[1]));
    p += 2;
  }
  return label;
}

ui32_t BERLengthSize(ui64_t length) { return length < (1u << 24) ? 4 : 9; }

void ByteBuffer::U16(ui16_t value) {
  U8(static_cast<ui8_t>(value >> 8));
  U8(static_cast<ui8_t>(value));
}

void ByteBuffer::U32(ui32_t value) {
  U16(static_cast<ui16_t>(value >> 16));
  U16(static_cast<ui16_t>(value));
}

void ByteBuffer::U64(ui64_t value) {
  U32(static_cast<ui32_t>(value >> 32));
  U32(static_cast<ui32_t>(value));
}

void ByteBuffer::UTF16(const std::string& text) {
  // The texts are UTF-8; code points beyond the basic plane become pairs.
  for (size_t i = 0; i < text.size();) {
    ui32_t c = static_cast<byte_t>(text[i]);
    size_t extra = c >= 0xf0 ? 3 : c >= 0xe0 ? 2 : c >= 0xc0 ? 1 : 0;
    if (extra > 0) c &= (0x3f >> extra);
    if (i + extra >= text.size()) extra = text.size() - 1 - i;
    for (size_t k = 1; k <= extra; ++k) c = (c << 6) | (static_cast<byte_t>(text[i + k]) & 0x3f);
    i += extra + 1;
    if (c >= 0x10000) {
      c -= 0x10000;
      U16(static_cast<ui16_t>(0xd800 | (c >> 10)));
      U16(static_cast<ui16_t>(0xdc00 | (c & 0x3ff)));
    } else {
      U16(static_cast<ui16_t>(c));
    }
  }
}

void ByteBuffer::BER(ui64_t length) {
  if (BERLengthSize(length) == 4) {
    U8(0x83);
    U8(static_cast<ui8_t>(length >> 16));
    U16(static_cast<ui16_t>(length));
  } else {
    U8(0x88);
    U64(length);
  }
}

void ByteBuffer::KLVHeader(const UL& key, ui64_t length) {
  Bytes(key);
  BER(length);
}

void ByteBuffer::KLV(const UL& key, const ByteBuffer& value) {
  KLVHeader(key, value.size());
  Append(value);
}

}  // namespace MXF
}  // namespace ASDCP
