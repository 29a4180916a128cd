#include "platform/asdcp/KM_uuid.h"

#include <openssl/rand.h>

#include <cstring>
#include <random>

namespace Kumu {

UUID::UUID() : has_value_(false) { std::memset(value_, 0, ValueSize); }

UUID::UUID(const byte_t* value) : UUID() {
  if (value != nullptr) Set(value);
}

void UUID::Set(const byte_t* value) {
  std::memcpy(value_, value, ValueSize);
  has_value_ = true;
}

void UUID::Reset() {
  std::memset(value_, 0, ValueSize);
  has_value_ = false;
}

const char* UUID::EncodeHex(char* buf, ui32_t buf_len) const {
  if (buf == nullptr || buf_len < HexTextSize) return nullptr;
  static const char digits[] = "0123456789abcdef";
  char* out = buf;
  for (ui32_t i = 0; i < ValueSize; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) *out++ = '-';
    *out++ = digits[value_[i] >> 4];
    *out++ = digits[value_[i] & 0x0f];
  }
  *out = 0;
  return buf;
}

static int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool UUID::DecodeHex(const char* str) {
  if (str == nullptr) return false;
  byte_t value[ValueSize];
  ui32_t count = 0;
  for (const char* p = str; *p != 0; ++p) {
    if (*p == '-') continue;
    int high = HexDigit(p[0]);
    int low = p[1] != 0 ? HexDigit(p[1]) : -1;
    if (high < 0 || low < 0 || count == ValueSize) return false;
    value[count++] = static_cast<byte_t>((high << 4) | low);
    ++p;
  }
  if (count != ValueSize) return false;
  Set(value);
  return true;
}

bool UUID::operator==(const UUID& other) const { return std::memcmp(value_, other.value_, ValueSize) == 0; }

bool UUID::operator<(const UUID& other) const { return std::memcmp(value_, other.value_, ValueSize) < 0; }

void GenRandomValue(byte_t* buf, ui32_t len) {
  if (buf == nullptr || len == 0) return;
  if (RAND_bytes(buf, static_cast<int>(len)) == 1) return;
  // The system's generator stands in when OpenSSL's cannot serve.
  std::random_device device;
  for (ui32_t i = 0; i < len; ++i) buf[i] = static_cast<byte_t>(device());
}

void GenRandomUUID(byte_t* buf) {
  if (buf == nullptr) return;
  GenRandomValue(buf, UUID::ValueSize);
  buf[6] = static_cast<byte_t>((buf[6] & 0x0f) | 0x40);  // version 4
  buf[8] = static_cast<byte_t>((buf[8] & 0x3f) | 0x80);  // variant 10xx
}

}  // namespace Kumu
