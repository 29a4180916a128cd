#include "plugin/picture_descriptor.h"

#include "encoder/j2k/coding_parameters.h"
#include "encoder/j2k/compressor.h"
#include "encoder/j2k/image.h"
#include "encoder/j2k/j2k.h"
#include "platform/asdcp/JP2K_picture_descriptor.h"
#include "plugin/output_options.h"

uint16_t ByteSwap16(uint16_t value) { return static_cast<uint16_t>(((value << 8) & 0xFFFF) + (value >> 8)); }

void FillPictureDescriptor(ASDCP::JP2K::PictureDescriptor& descriptor, const opj_cinfo& compressor,
                           const opj_image& image, const OutputOptions& options) {
  const opj_cp& cp = *compressor.j2k->cp;
  const opj_tcp& tcp = cp.tcps[0];
  const opj_tccp& tccp = tcp.tccps[0];
  const auto rate = static_cast<int32_t>(options.frameRate);
  const uint32_t storedWidth = options.stereoscopic ? options.width / 2 : options.width;

  descriptor.EditRate = ASDCP::Rational(rate, 1);
  descriptor.ContainerDuration = static_cast<uint32_t>(options.durationFrames);
  descriptor.SampleRate = ASDCP::Rational(rate, 1);
  descriptor.StoredWidth = storedWidth;
  descriptor.StoredHeight = options.height;
  descriptor.AspectRatio = ASDCP::Rational(static_cast<int32_t>(storedWidth), static_cast<int32_t>(options.height));

  descriptor.Rsize = static_cast<uint16_t>(cp.rsiz);
  descriptor.Xsize = static_cast<uint32_t>(image.x1);
  descriptor.Ysize = static_cast<uint32_t>(image.y1);
  descriptor.XOsize = static_cast<uint32_t>(image.x0);
  descriptor.YOsize = static_cast<uint32_t>(image.y0);
  descriptor.XTsize = static_cast<uint32_t>(cp.tdx);
  descriptor.YTsize = static_cast<uint32_t>(cp.tdy);
  descriptor.XTOsize = static_cast<uint32_t>(cp.tx0);
  descriptor.YTOsize = static_cast<uint32_t>(cp.ty0);
  descriptor.Csize = static_cast<uint16_t>(image.numcomps);
  for (int c = 0; c < image.numcomps && c < static_cast<int>(ASDCP::JP2K::MaxComponents); ++c) {
    const opj_image_comp& comp = image.comps[c];
    descriptor.ImageComponents[c].Ssize = static_cast<uint8_t>(comp.prec + (comp.sgnd << 7) - 1);
    descriptor.ImageComponents[c].XRsize = static_cast<uint8_t>(comp.dx);
    descriptor.ImageComponents[c].YRsize = static_cast<uint8_t>(comp.dy);
  }

  ASDCP::JP2K::CodingStyleDefault_t& cod = descriptor.CodingStyleDefault;
  cod.Scod = static_cast<uint8_t>(tcp.csty);
  cod.SGcod.ProgressionOrder = static_cast<uint8_t>(tcp.prg);
  cod.SGcod.NumberOfLayers[0] = 0;
  cod.SGcod.NumberOfLayers[1] = static_cast<uint8_t>(tcp.numlayers);
  cod.SGcod.MultiCompTransform = static_cast<uint8_t>(tcp.mct);
  cod.SPcod.DecompositionLevels = static_cast<uint8_t>(tccp.numresolutions - 1);
  cod.SPcod.CodeblockWidth = static_cast<uint8_t>(tccp.cblkw - 2);
  cod.SPcod.CodeblockHeight = static_cast<uint8_t>(tccp.cblkh - 2);
  cod.SPcod.CodeblockStyle = static_cast<uint8_t>(tccp.cblksty);
  cod.SPcod.Transformation = static_cast<uint8_t>(tccp.qmfbid);
  for (int r = 0; r < tccp.numresolutions && r < static_cast<int>(ASDCP::JP2K::MaxPrecincts); ++r) {
    cod.SPcod.PrecinctSize[r] = static_cast<uint8_t>((tccp.prch[r] << 4) + tccp.prcw[r]);
  }

  // Sixteen step sizes, high byte first in memory.
  ASDCP::JP2K::QuantizationDefault_t& qcd = descriptor.QuantizationDefault;
  qcd.Sqcd = static_cast<uint8_t>((tccp.numgbits << 5) + tccp.qntsty);
  for (int k = 0; k < 16; ++k) {
    const auto step = static_cast<uint16_t>((tccp.stepsizes[k].expn << 11) + tccp.stepsizes[k].mant);
    const uint16_t stored = ByteSwap16(step);
    // The bytes of the value as it lies in memory on this (little-endian) machine.
    qcd.SPqcd[2 * k] = static_cast<uint8_t>(stored & 0xFF);
    qcd.SPqcd[2 * k + 1] = static_cast<uint8_t>(stored >> 8);
  }
  qcd.SPqcdLength = 32;
}
