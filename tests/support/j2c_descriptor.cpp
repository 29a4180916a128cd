#include "tests/support/j2c_descriptor.h"

#include <cstdio>

#include "tests/support/test_support.h"

namespace lumavox_test {

namespace {

uint32_t Read(const std::vector<uint8_t>& b, size_t at, size_t n) {
  uint32_t v = 0;
  for (size_t i = 0; i < n; ++i) v = (v << 8) | b[at + i];
  return v;
}

}  // namespace

bool DescriptorFromCodestream(const std::vector<uint8_t>& cs, ASDCP::JP2K::PictureDescriptor* d) {
  if (cs.size() < 4 || cs[0] != 0xff || cs[1] != 0x4f) return false;
  bool siz = false, cod = false, qcd = false;
  size_t p = 2;
  while (p + 4 <= cs.size()) {
    const uint32_t marker = Read(cs, p, 2);
    const uint32_t length = Read(cs, p + 2, 2);
    if (marker == 0xff90 || p + 2 + length > cs.size() || length < 2) break;  // first tile-part: header done
    const size_t v = p + 4;
    if (marker == 0xff51 && length >= 38) {
      d->Rsize = static_cast<uint16_t>(Read(cs, v, 2));
      d->Xsize = Read(cs, v + 2, 4);
      d->Ysize = Read(cs, v + 6, 4);
      d->XOsize = Read(cs, v + 10, 4);
      d->YOsize = Read(cs, v + 14, 4);
      d->XTsize = Read(cs, v + 18, 4);
      d->YTsize = Read(cs, v + 22, 4);
      d->XTOsize = Read(cs, v + 26, 4);
      d->YTOsize = Read(cs, v + 30, 4);
      d->Csize = static_cast<uint16_t>(Read(cs, v + 34, 2));
      if (d->Csize > ASDCP::JP2K::MaxComponents || length < 38 + 3u * d->Csize) return false;
      for (uint32_t c = 0; c < d->Csize; ++c) {
        d->ImageComponents[c].Ssize = cs[v + 36 + 3 * c];
        d->ImageComponents[c].XRsize = cs[v + 37 + 3 * c];
        d->ImageComponents[c].YRsize = cs[v + 38 + 3 * c];
      }
      siz = true;
    } else if (marker == 0xff52 && length >= 12) {
      auto& c = d->CodingStyleDefault;
      c.Scod = cs[v];
      c.SGcod.ProgressionOrder = cs[v + 1];
      c.SGcod.NumberOfLayers[0] = cs[v + 2];
      c.SGcod.NumberOfLayers[1] = cs[v + 3];
      c.SGcod.MultiCompTransform = cs[v + 4];
      c.SPcod.DecompositionLevels = cs[v + 5];
      c.SPcod.CodeblockWidth = cs[v + 6];
      c.SPcod.CodeblockHeight = cs[v + 7];
      c.SPcod.CodeblockStyle = cs[v + 8];
      c.SPcod.Transformation = cs[v + 9];
      for (uint32_t r = 0; r + 12 < length && r < ASDCP::JP2K::MaxPrecincts; ++r)
        c.SPcod.PrecinctSize[r] = cs[v + 10 + r];
      cod = true;
    } else if (marker == 0xff5c && length >= 3) {
      auto& q = d->QuantizationDefault;
      q.Sqcd = cs[v];
      q.SPqcdLength = static_cast<uint8_t>(length - 3);
      for (uint32_t i = 0; i + 3 < length && i < ASDCP::JP2K::MaxDefaults; ++i) q.SPqcd[i] = cs[v + 1 + i];
      qcd = true;
    }
    p += 2 + length;
  }
  if (!(siz && cod && qcd)) return false;
  d->EditRate = ASDCP::Rational(24, 1);
  d->SampleRate = ASDCP::Rational(24, 1);
  d->StoredWidth = d->Xsize;
  d->StoredHeight = d->Ysize;
  d->AspectRatio = ASDCP::Rational(static_cast<int32_t>(d->Xsize), static_cast<int32_t>(d->Ysize));
  return true;
}

std::vector<std::vector<uint8_t>> ReferenceCodestreams(const std::string& set_name) {
  std::vector<std::vector<uint8_t>> frames;
  for (int i = 1;; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "/f%03d.j2c", i);
    const std::string path = SharedDir() + "/reference/j2c/" + set_name + name;
    if (!FileExists(path)) break;
    frames.push_back(ReadBytes(path));
  }
  return frames;
}

}  // namespace lumavox_test
