// What a JPEG 2000 picture track file says about its pictures: rates,
// stored size and the codestream parameters of the SIZ, COD and QCD
// markers.
#pragma once

#include "platform/asdcp/AS_DCP_rational.h"
#include "platform/asdcp/KM_types.h"

namespace ASDCP {
namespace JP2K {

const ui32_t MaxComponents = 3;
const ui32_t MaxPrecincts = 32;
const ui32_t MaxDefaults = 256;

struct ImageComponent_t {
  ui8_t Ssize = 0;
  ui8_t XRsize = 0;
  ui8_t YRsize = 0;
};

struct CodingStyleDefault_t {
  ui8_t Scod = 0;
  struct {
    ui8_t ProgressionOrder = 0;
    ui8_t NumberOfLayers[sizeof(ui16_t)] = {0, 0};  // high byte first
    ui8_t MultiCompTransform = 0;
  } SGcod;
  struct {
    ui8_t DecompositionLevels = 0;
    ui8_t CodeblockWidth = 0;
    ui8_t CodeblockHeight = 0;
    ui8_t CodeblockStyle = 0;
    ui8_t Transformation = 0;
    ui8_t PrecinctSize[MaxPrecincts] = {};
  } SPcod;
};

struct QuantizationDefault_t {
  ui8_t Sqcd = 0;
  ui8_t SPqcd[MaxDefaults] = {};
  ui8_t SPqcdLength = 0;
};

struct PictureDescriptor {
  Rational EditRate;
  ui32_t ContainerDuration = 0;
  Rational SampleRate;
  ui32_t StoredWidth = 0;
  ui32_t StoredHeight = 0;
  Rational AspectRatio;
  ui16_t Rsize = 0;
  ui32_t Xsize = 0;
  ui32_t Ysize = 0;
  ui32_t XOsize = 0;
  ui32_t YOsize = 0;
  ui32_t XTsize = 0;
  ui32_t YTsize = 0;
  ui32_t XTOsize = 0;
  ui32_t YTOsize = 0;
  ui16_t Csize = 0;
  ImageComponent_t ImageComponents[MaxComponents];
  CodingStyleDefault_t CodingStyleDefault;
  QuantizationDefault_t QuantizationDefault;
};

}  // namespace JP2K
}  // namespace ASDCP
