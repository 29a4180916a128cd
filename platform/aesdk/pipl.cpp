#include "platform/aesdk/pipl.h"

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

}  // namespace

const PiPLProperty* PiPLResource::Find(A_u_long key) const {
  for (const PiPLProperty& p : properties) {
    if (p.key == key) return &p;
  }
  return nullptr;
}

std::vector<uint8_t> PiPLLengthPrefixedString(const std::string& text) {
  std::vector<uint8_t> out;
  size_t n = text.size() > 255 ? 255 : text.size();
  out.push_back(uint8_t(n));
  out.insert(out.end(), text.begin(), text.begin() + n);
  return out;
}

std::vector<uint8_t> PiPLZeroTerminatedString(const std::string& text) {
  std::vector<uint8_t> out(text.begin(), text.end());
  out.push_back(0);
  return out;
}

std::vector<uint8_t> PiPLLong(A_u_long value) {
  std::vector<uint8_t> out;
  Put32(out, value);
  return out;
}

std::vector<uint8_t> PiPLCode(A_u_long code) { return PiPLLong(code); }

std::vector<uint8_t> PiPLBytes(const PiPLResource& resource) {
  std::vector<uint8_t> out;
  Put16(out, uint16_t(resource.version));
  Put32(out, uint32_t(resource.list_version));
  Put32(out, uint32_t(resource.properties.size()));
  for (const PiPLProperty& p : resource.properties) {
    Put32(out, p.vendor);
    Put32(out, p.key);
    Put32(out, uint32_t(p.id));
    Put32(out, uint32_t(p.data.size()));
    out.insert(out.end(), p.data.begin(), p.data.end());
    out.insert(out.end(), (4 - p.data.size() % 4) % 4, uint8_t(0));
  }
  return out;
}
