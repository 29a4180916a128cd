#include "platform/asdcp/JP2K_descriptor_sets.h"

#include <algorithm>
#include <cmath>

#include "platform/asdcp/MXF_labels.h"

namespace ASDCP {
namespace JP2K {

using namespace MXF;

bool DescriptorIsUsable(const PictureDescriptor& d) {
  return d.EditRate.Numerator > 0 && d.EditRate.Denominator > 0 && d.StoredWidth > 0 && d.StoredHeight > 0 &&
         d.Csize <= MaxComponents && d.CodingStyleDefault.SPcod.DecompositionLevels < MaxPrecincts &&
         d.QuantizationDefault.SPqcdLength <= MaxDefaults - 1;
}

std::vector<Set> PictureDescriptorSets(const PictureDescriptor& d, LabelSet_t label_set, bool stereoscopic) {
  Set rgba(Key::RGBAEssenceDescriptor), j2k(Key::JPEG2000PictureSubDescriptor),
      stereo(Key::StereoscopicPictureSubDescriptor);
  const bool with_stereo = stereoscopic && label_set == LS_MXF_SMPTE;
  std::vector<UUIDValue> subs = {j2k.InstanceUID()};
  if (with_stereo) subs.push_back(stereo.InstanceUID());

  Rational sample_rate = d.SampleRate;
  if (stereoscopic) sample_rate.Numerator *= 2;  // two codestreams per edit unit
  const bool four_k = d.Rsize == 4 || d.StoredWidth > 2048;
  ByteBuffer aspect;
  aspect.U32(static_cast<ui32_t>(d.AspectRatio.Numerator));
  aspect.U32(static_cast<ui32_t>(d.AspectRatio.Denominator));
  ByteBuffer pixel_layout;
  pixel_layout.Zeros(16);
  rgba.Refs(Prop::GenericDescriptor_SubDescriptors(label_set), subs)
      .U32(Prop::FileDescriptor_LinkedTrackID, 2)
      .Rate(Prop::FileDescriptor_SampleRate, sample_rate)
      .U64(Prop::FileDescriptor_ContainerDuration, d.ContainerDuration)
      .Label(Prop::FileDescriptor_EssenceContainer, Label::JPEG2000FrameWrapped)
      .U8(Prop::Picture_FrameLayout, 0)
      .U32(Prop::Picture_StoredWidth, d.StoredWidth)
      .U32(Prop::Picture_StoredHeight, d.StoredHeight)
      .Add(Prop::Picture_AspectRatio, aspect)
      .Label(Prop::Picture_PictureEssenceCoding, four_k ? Label::JPEG2000Coding4K : Label::JPEG2000Coding2K)
      .U32(Prop::RGBA_ComponentMaxRef, 4095)
      .U32(Prop::RGBA_ComponentMinRef, 0)
      .Add(Prop::RGBA_PixelLayout, pixel_layout);

  ByteBuffer sizing;
  sizing.U32(d.Csize);
  sizing.U32(3);
  for (ui32_t c = 0; c < d.Csize && c < MaxComponents; ++c) {
    sizing.U8(d.ImageComponents[c].Ssize);
    sizing.U8(d.ImageComponents[c].XRsize);
    sizing.U8(d.ImageComponents[c].YRsize);
  }
  const CodingStyleDefault_t& cod = d.CodingStyleDefault;
  ByteBuffer coding;
  coding.U8(cod.Scod);
  coding.U8(cod.SGcod.ProgressionOrder);
  coding.Bytes(cod.SGcod.NumberOfLayers, 2);
  coding.U8(cod.SGcod.MultiCompTransform);
  coding.U8(cod.SPcod.DecompositionLevels);
  coding.U8(cod.SPcod.CodeblockWidth);
  coding.U8(cod.SPcod.CodeblockHeight);
  coding.U8(cod.SPcod.CodeblockStyle);
  coding.U8(cod.SPcod.Transformation);
  if (cod.Scod & 0x01) {  // precinct sizes given, one per resolution
    const ui32_t count = std::min<ui32_t>(cod.SPcod.DecompositionLevels + 1u, MaxPrecincts);
    coding.Bytes(cod.SPcod.PrecinctSize, count);
  }
  ByteBuffer quantization;
  quantization.U8(d.QuantizationDefault.Sqcd);
  quantization.Bytes(d.QuantizationDefault.SPqcd, d.QuantizationDefault.SPqcdLength);
  j2k.U16(Prop::J2K_Rsize, d.Rsize)
      .U32(Prop::J2K_Xsize, d.Xsize)
      .U32(Prop::J2K_Ysize, d.Ysize)
      .U32(Prop::J2K_XOsize, d.XOsize)
      .U32(Prop::J2K_YOsize, d.YOsize)
      .U32(Prop::J2K_XTsize, d.XTsize)
      .U32(Prop::J2K_YTsize, d.YTsize)
      .U32(Prop::J2K_XTOsize, d.XTOsize)
      .U32(Prop::J2K_YTOsize, d.YTOsize)
      .U16(Prop::J2K_Csize, d.Csize)
      .Add(Prop::J2K_PictureComponentSizing, sizing)
      .Add(Prop::J2K_CodingStyleDefault, coding)
      .Add(Prop::J2K_QuantizationDefault, quantization);

  std::vector<Set> sets = {rgba, j2k};
  if (with_stereo) sets.push_back(stereo);
  return sets;
}

TrackFileLayout PictureLayout(const PictureDescriptor& d, bool stereoscopic) {
  TrackFileLayout layout;
  layout.essence_container = Label::JPEG2000FrameWrapped;
  layout.package_name = stereoscopic ? "File Package: SMPTE 429-10 frame wrapping of stereoscopic JPEG 2000 codestreams"
                                     : "File Package: SMPTE 429-4 frame wrapping of JPEG 2000 codestreams";
  layout.track_name = "Picture Track";
  layout.data_definition = Label::PictureDataDef;
  layout.track_number = 0x15010801;
  layout.essence_key = Key::JPEG2000Essence;
  layout.edit_rate = d.EditRate;
  const double rate = d.EditRate.Quotient() * (stereoscopic ? 2 : 1);
  layout.timecode_base = static_cast<ui16_t>(std::lround(rate));
  layout.duration = d.ContainerDuration;
  return layout;
}

}  // namespace JP2K
}  // namespace ASDCP
