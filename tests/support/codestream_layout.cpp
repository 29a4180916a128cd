#include "tests/support/codestream_layout.h"

namespace lumavox_test {

uint32_t BigEndian(const std::vector<uint8_t>& bytes, size_t pos, int n) {
  uint32_t v = 0;
  for (int i = 0; i < n; ++i) v = (v << 8) | bytes.at(pos + i);
  return v;
}

CodestreamLayout ParseCodestreamLayout(const std::vector<uint8_t>& cs) {
  CodestreamLayout l;
  size_t pos = 2;
  while (pos + 4 <= cs.size() && BigEndian(cs, pos, 2) != 0xFF90) {
    const uint32_t marker = BigEndian(cs, pos, 2);
    const uint32_t len = BigEndian(cs, pos + 2, 2);
    if (marker == 0xFF55) {
      for (size_t e = pos + 6; e + 6 <= pos + 2 + len; e += 6) l.tlm.push_back(BigEndian(cs, e + 2, 4));
    }
    pos += 2 + len;
  }
  l.header_end = pos;
  while (pos + 12 <= cs.size() && BigEndian(cs, pos, 2) == 0xFF90) {
    TilePart tp{pos, BigEndian(cs, pos + 6, 4), static_cast<int>(cs[pos + 10]), static_cast<int>(cs[pos + 11])};
    l.parts.push_back(tp);
    if (tp.psot < 14) break;
    pos += tp.psot;
  }
  l.eoc_at_end = pos + 2 == cs.size() && BigEndian(cs, pos, 2) == 0xFFD9;
  return l;
}

}  // namespace lumavox_test
