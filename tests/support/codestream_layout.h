// The layout of a codestream as its markers give it: the main header's end,
// the TLM lengths, and the tile-parts walked from SOT to SOT by their Psot.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lumavox_test {

// A big-endian field of n bytes at pos.
uint32_t BigEndian(const std::vector<uint8_t>& bytes, size_t pos, int n);

struct TilePart {
  size_t pos;
  uint32_t psot;  // its length, SOT and SOD included
  int tpsot, tnsot;
};

struct CodestreamLayout {
  size_t header_end = 0;        // position of the first SOT
  std::vector<uint32_t> tlm;    // Ptlm values
  std::vector<TilePart> parts;  // walked from SOT to SOT
  bool eoc_at_end = false;
};

CodestreamLayout ParseCodestreamLayout(const std::vector<uint8_t>& codestream);

}  // namespace lumavox_test
