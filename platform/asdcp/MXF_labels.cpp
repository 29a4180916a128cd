#include "platform/asdcp/MXF_labels.h"

#include <map>

namespace ASDCP {
namespace MXF {

UL PartitionKey(PartitionKind kind, PartitionStatus status) {
  UL key = MakeUL("060e2b34.02050101.0d010201.01000000");
  key[13] = static_cast<byte_t>(kind);
  key[14] = static_cast<byte_t>(status);
  return key;
}

namespace Key {
const UL Primer = MakeUL("060e2b34.02050101.0d010201.01050100");
const UL Fill = MakeUL("060e2b34.01010102.03010210.01000000");
const UL RandomIndexPack = MakeUL("060e2b34.02050101.0d010201.01110100");
const UL IndexTableSegment = MakeUL("060e2b34.02530101.0d010201.01100100");
const UL Preface = MakeUL("060e2b34.02530101.0d010101.01012f00");
const UL Identification = MakeUL("060e2b34.02530101.0d010101.01013000");
const UL ContentStorage = MakeUL("060e2b34.02530101.0d010101.01011800");
const UL EssenceContainerData = MakeUL("060e2b34.02530101.0d010101.01012300");
const UL MaterialPackage = MakeUL("060e2b34.02530101.0d010101.01013600");
const UL SourcePackage = MakeUL("060e2b34.02530101.0d010101.01013700");
const UL Track = MakeUL("060e2b34.02530101.0d010101.01013b00");
const UL Sequence = MakeUL("060e2b34.02530101.0d010101.01010f00");
const UL TimecodeComponent = MakeUL("060e2b34.02530101.0d010101.01011400");
const UL SourceClip = MakeUL("060e2b34.02530101.0d010101.01011100");
const UL RGBAEssenceDescriptor = MakeUL("060e2b34.02530101.0d010101.01012900");
const UL JPEG2000PictureSubDescriptor = MakeUL("060e2b34.02530101.0d010101.01015a00");
const UL StereoscopicPictureSubDescriptor = MakeUL("060e2b34.02530101.0d010101.01016300");
const UL WaveAudioDescriptor = MakeUL("060e2b34.02530101.0d010101.01014800");
const UL TimedTextDescriptor = MakeUL("060e2b34.02530101.0d010101.01016400");
const UL TimedTextResourceSubDescriptor = MakeUL("060e2b34.02530101.0d010101.01016500");
const UL JPEG2000Essence = MakeUL("060e2b34.01020101.0d010301.15010801");
const UL WAVEssence = MakeUL("060e2b34.01020101.0d010301.16010101");
const UL TimedTextEssence = MakeUL("060e2b34.01020101.0d010301.17010b01");
const UL GenericStreamData = MakeUL("060e2b34.0101010c.0d010509.01000000");
}  // namespace Key

namespace Label {
UL OPAtom(LabelSet_t label_set) {
  return MakeUL(label_set == LS_MXF_SMPTE ? "060e2b34.04010102.0d010201.10000000"
                                          : "060e2b34.04010101.0d010201.10000000");
}
const UL GenericContainerMultipleWrappings = MakeUL("060e2b34.04010103.0d010301.027f0100");
const UL JPEG2000FrameWrapped = MakeUL("060e2b34.04010107.0d010301.020c0100");
const UL WAVFrameWrapped = MakeUL("060e2b34.04010101.0d010301.02060100");
const UL TimedTextWrapping = MakeUL("060e2b34.0401010a.0d010301.02130101");
const UL OP1a = MakeUL("060e2b34.04010101.0d010201.01010100");
const UL TimecodeDataDef = MakeUL("060e2b34.04010101.01030201.01000000");
const UL PictureDataDef = MakeUL("060e2b34.04010101.01030202.01000000");
const UL SoundDataDef = MakeUL("060e2b34.04010101.01030202.02000000");
const UL DataDataDef = MakeUL("060e2b34.04010101.01030202.03000000");
const UL JPEG2000Coding2K = MakeUL("060e2b34.04010109.04010202.03010103");
const UL JPEG2000Coding4K = MakeUL("060e2b34.04010109.04010202.03010104");
const UL ChannelConfiguration1 = MakeUL("060e2b34.0401010b.04020210.03010100");
const UL ChannelConfiguration2 = MakeUL("060e2b34.0401010b.04020210.03010200");
const UL ChannelConfiguration3 = MakeUL("060e2b34.0401010b.04020210.03010300");
const UL UMIDPrefix = MakeUL("060a2b34.01010105.01010f20.13000000");
}  // namespace Label

namespace Prop {
const UL InstanceUID = MakeUL("060e2b34.01010101.01011502.00000000");
const UL GenerationUID = MakeUL("060e2b34.01010102.05200701.08000000");
const UL Preface_LastModifiedDate = MakeUL("060e2b34.01010102.07020110.02040000");
const UL Preface_Version = MakeUL("060e2b34.01010102.03010201.05000000");
const UL Preface_ObjectModelVersion = MakeUL("060e2b34.01010102.03010201.04000000");
const UL Preface_PrimaryPackage = MakeUL("060e2b34.01010104.06010104.01080000");
const UL Preface_Identifications = MakeUL("060e2b34.01010102.06010104.06040000");
const UL Preface_ContentStorage = MakeUL("060e2b34.01010102.06010104.02010000");
const UL OperationalPattern = MakeUL("060e2b34.01010105.01020203.00000000");
const UL EssenceContainers = MakeUL("060e2b34.01010105.01020210.02010000");
const UL Preface_DMSchemes = MakeUL("060e2b34.01010105.01020210.02020000");
const UL Identification_ThisGenerationUID = MakeUL("060e2b34.01010102.05200701.01000000");
const UL Identification_CompanyName = MakeUL("060e2b34.01010102.05200701.02010000");
const UL Identification_ProductName = MakeUL("060e2b34.01010102.05200701.03010000");
const UL Identification_ProductVersion = MakeUL("060e2b34.01010102.05200701.04000000");
const UL Identification_VersionString = MakeUL("060e2b34.01010102.05200701.05010000");
const UL Identification_ProductUID = MakeUL("060e2b34.01010102.05200701.07000000");
const UL Identification_ModificationDate = MakeUL("060e2b34.01010102.07020110.02030000");
const UL Identification_ToolkitVersion = MakeUL("060e2b34.01010102.05200701.0a000000");
const UL Identification_Platform = MakeUL("060e2b34.01010102.05200701.06010000");
const UL ContentStorage_Packages = MakeUL("060e2b34.01010102.06010104.05010000");
const UL ContentStorage_EssenceContainerData = MakeUL("060e2b34.01010102.06010104.05020000");
const UL EssenceContainerData_LinkedPackageUID = MakeUL("060e2b34.01010102.06010106.01000000");
const UL IndexSID = MakeUL("060e2b34.01010104.01030405.00000000");
const UL BodySID = MakeUL("060e2b34.01010104.01030404.00000000");
const UL GenericPackage_PackageUID = MakeUL("060e2b34.01010101.01011510.00000000");
const UL GenericPackage_Name = MakeUL("060e2b34.01010101.01030302.01000000");
const UL GenericPackage_PackageCreationDate = MakeUL("060e2b34.01010102.07020110.01030000");
const UL GenericPackage_PackageModifiedDate = MakeUL("060e2b34.01010102.07020110.02050000");
const UL GenericPackage_Tracks = MakeUL("060e2b34.01010102.06010104.06050000");
const UL SourcePackage_Descriptor = MakeUL("060e2b34.01010102.06010104.02030000");
const UL GenericTrack_TrackID = MakeUL("060e2b34.01010102.01070101.00000000");
const UL GenericTrack_TrackNumber = MakeUL("060e2b34.01010102.01040103.00000000");
const UL GenericTrack_TrackName = MakeUL("060e2b34.01010102.01070102.01000000");
const UL GenericTrack_Sequence = MakeUL("060e2b34.01010102.06010104.02040000");
const UL Track_EditRate = MakeUL("060e2b34.01010102.05300405.00000000");
const UL Track_Origin = MakeUL("060e2b34.01010102.07020103.01030000");
const UL StructuralComponent_DataDefinition = MakeUL("060e2b34.01010102.04070100.00000000");
const UL StructuralComponent_Duration = MakeUL("060e2b34.01010102.07020201.01030000");
const UL Sequence_StructuralComponents = MakeUL("060e2b34.01010102.06010104.06090000");
const UL TimecodeComponent_RoundedTimecodeBase = MakeUL("060e2b34.01010102.04040101.02060000");
const UL TimecodeComponent_StartTimecode = MakeUL("060e2b34.01010102.07020103.01050000");
const UL TimecodeComponent_DropFrame = MakeUL("060e2b34.01010101.04040101.05000000");
const UL SourceClip_StartPosition = MakeUL("060e2b34.01010102.07020103.01040000");
const UL SourceClip_SourcePackageID = MakeUL("060e2b34.01010102.06010103.01000000");
const UL SourceClip_SourceTrackID = MakeUL("060e2b34.01010102.06010103.02000000");
UL GenericDescriptor_SubDescriptors(LabelSet_t label_set) {
  return MakeUL(label_set == LS_MXF_SMPTE ? "060e2b34.01010109.06010104.06100000"
                                          : "060e2b34.01010102.06010104.06100000");
}
const UL FileDescriptor_LinkedTrackID = MakeUL("060e2b34.01010105.06010103.05000000");
const UL FileDescriptor_SampleRate = MakeUL("060e2b34.01010101.04060101.00000000");
const UL FileDescriptor_ContainerDuration = MakeUL("060e2b34.01010101.04060102.00000000");
const UL FileDescriptor_EssenceContainer = MakeUL("060e2b34.01010102.06010104.01020000");
const UL Picture_FrameLayout = MakeUL("060e2b34.01010101.04010301.04000000");
const UL Picture_StoredWidth = MakeUL("060e2b34.01010101.04010502.02000000");
const UL Picture_StoredHeight = MakeUL("060e2b34.01010101.04010502.01000000");
const UL Picture_AspectRatio = MakeUL("060e2b34.01010101.04010101.01000000");
const UL Picture_PictureEssenceCoding = MakeUL("060e2b34.01010102.04010601.00000000");
const UL RGBA_ComponentMaxRef = MakeUL("060e2b34.01010105.04010503.0b000000");
const UL RGBA_ComponentMinRef = MakeUL("060e2b34.01010105.04010503.0c000000");
const UL RGBA_PixelLayout = MakeUL("060e2b34.01010102.04010503.06000000");
const UL J2K_Rsize = MakeUL("060e2b34.0101010a.04010603.01000000");
const UL J2K_Xsize = MakeUL("060e2b34.0101010a.04010603.02000000");
const UL J2K_Ysize = MakeUL("060e2b34.0101010a.04010603.03000000");
const UL J2K_XOsize = MakeUL("060e2b34.0101010a.04010603.04000000");
const UL J2K_YOsize = MakeUL("060e2b34.0101010a.04010603.05000000");
const UL J2K_XTsize = MakeUL("060e2b34.0101010a.04010603.06000000");
const UL J2K_YTsize = MakeUL("060e2b34.0101010a.04010603.07000000");
const UL J2K_XTOsize = MakeUL("060e2b34.0101010a.04010603.08000000");
const UL J2K_YTOsize = MakeUL("060e2b34.0101010a.04010603.09000000");
const UL J2K_Csize = MakeUL("060e2b34.0101010a.04010603.0a000000");
const UL J2K_PictureComponentSizing = MakeUL("060e2b34.0101010a.04010603.0b000000");
const UL J2K_CodingStyleDefault = MakeUL("060e2b34.0101010a.04010603.0c000000");
const UL J2K_QuantizationDefault = MakeUL("060e2b34.0101010a.04010603.0d000000");
const UL Sound_AudioSamplingRate = MakeUL("060e2b34.01010105.04020301.01010000");
const UL Sound_Locked = MakeUL("060e2b34.01010104.04020301.04000000");
const UL Sound_ChannelCount = MakeUL("060e2b34.01010105.04020101.04000000");
const UL Sound_QuantizationBits = MakeUL("060e2b34.01010104.04020303.04000000");
const UL Wave_BlockAlign = MakeUL("060e2b34.01010105.04020302.01000000");
const UL Wave_AvgBps = MakeUL("060e2b34.01010105.04020303.05000000");
const UL Wave_ChannelAssignment = MakeUL("060e2b34.01010107.04020101.05000000");
const UL Data_DataEssenceCoding = MakeUL("060e2b34.01010103.04030302.00000000");
const UL TimedText_ResourceID = MakeUL("060e2b34.0101010c.01011512.00000000");
const UL TimedText_UCSEncoding = MakeUL("060e2b34.0101010c.04090500.00000000");
const UL TimedText_NamespaceURI = MakeUL("060e2b34.01010108.01020105.01000000");
const UL TimedText_RFC5646LanguageTagList = MakeUL("060e2b34.0101010e.03010102.02160000");
const UL TimedTextResource_AncillaryResourceID = MakeUL("060e2b34.0101010c.01011513.00000000");
const UL TimedTextResource_MIMEMediaType = MakeUL("060e2b34.01010107.04090201.00000000");
const UL Index_EditRate = MakeUL("060e2b34.01010105.05300406.00000000");
const UL Index_StartPosition = MakeUL("060e2b34.01010105.07020103.010a0000");
const UL Index_Duration = MakeUL("060e2b34.01010105.07020201.01020000");
const UL Index_EditUnitByteCount = MakeUL("060e2b34.01010104.04060201.00000000");
const UL Index_SliceCount = MakeUL("060e2b34.01010104.04040401.01000000");
const UL Index_PosTableCount = MakeUL("060e2b34.01010105.04040401.07000000");
const UL Index_DeltaEntryArray = MakeUL("060e2b34.01010105.04040401.06000000");
const UL Index_IndexEntryArray = MakeUL("060e2b34.01010105.04040402.05000000");
}  // namespace Prop

ui16_t StaticLocalTag(const UL& property) {
  static const std::map<UL, ui16_t> tags = {
      {Prop::InstanceUID, 0x3c0a},
      {Prop::GenerationUID, 0x0102},
      {Prop::Preface_LastModifiedDate, 0x3b02},
      {Prop::Preface_Version, 0x3b05},
      {Prop::Preface_ObjectModelVersion, 0x3b07},
      {Prop::Preface_PrimaryPackage, 0x3b08},
      {Prop::Preface_Identifications, 0x3b06},
      {Prop::Preface_ContentStorage, 0x3b03},
      {Prop::OperationalPattern, 0x3b09},
      {Prop::EssenceContainers, 0x3b0a},
      {Prop::Preface_DMSchemes, 0x3b0b},
      {Prop::Identification_ThisGenerationUID, 0x3c09},
      {Prop::Identification_CompanyName, 0x3c01},
      {Prop::Identification_ProductName, 0x3c02},
      {Prop::Identification_ProductVersion, 0x3c03},
      {Prop::Identification_VersionString, 0x3c04},
      {Prop::Identification_ProductUID, 0x3c05},
      {Prop::Identification_ModificationDate, 0x3c06},
      {Prop::Identification_ToolkitVersion, 0x3c07},
      {Prop::Identification_Platform, 0x3c08},
      {Prop::ContentStorage_Packages, 0x1901},
      {Prop::ContentStorage_EssenceContainerData, 0x1902},
      {Prop::EssenceContainerData_LinkedPackageUID, 0x2701},
      {Prop::IndexSID, 0x3f06},
      {Prop::BodySID, 0x3f07},
      {Prop::GenericPackage_PackageUID, 0x4401},
      {Prop::GenericPackage_Name, 0x4402},
      {Prop::GenericPackage_PackageCreationDate, 0x4405},
      {Prop::GenericPackage_PackageModifiedDate, 0x4404},
      {Prop::GenericPackage_Tracks, 0x4403},
      {Prop::SourcePackage_Descriptor, 0x4701},
      {Prop::GenericTrack_TrackID, 0x4801},
      {Prop::GenericTrack_TrackNumber, 0x4804},
      {Prop::GenericTrack_TrackName, 0x4802},
      {Prop::GenericTrack_Sequence, 0x4803},
      {Prop::Track_EditRate, 0x4b01},
      {Prop::Track_Origin, 0x4b02},
      {Prop::StructuralComponent_DataDefinition, 0x0201},
      {Prop::StructuralComponent_Duration, 0x0202},
      {Prop::Sequence_StructuralComponents, 0x1001},
      {Prop::TimecodeComponent_RoundedTimecodeBase, 0x1502},
      {Prop::TimecodeComponent_StartTimecode, 0x1501},
      {Prop::TimecodeComponent_DropFrame, 0x1503},
      {Prop::SourceClip_StartPosition, 0x1201},
      {Prop::SourceClip_SourcePackageID, 0x1101},
      {Prop::SourceClip_SourceTrackID, 0x1102},
      {Prop::FileDescriptor_LinkedTrackID, 0x3006},
      {Prop::FileDescriptor_SampleRate, 0x3001},
      {Prop::FileDescriptor_ContainerDuration, 0x3002},
      {Prop::FileDescriptor_EssenceContainer, 0x3004},
      {Prop::Picture_FrameLayout, 0x320c},
      {Prop::Picture_StoredWidth, 0x3203},
      {Prop::Picture_StoredHeight, 0x3202},
      {Prop::Picture_AspectRatio, 0x320e},
      {Prop::Picture_PictureEssenceCoding, 0x3201},
      {Prop::RGBA_ComponentMaxRef, 0x3406},
      {Prop::RGBA_ComponentMinRef, 0x3407},
      {Prop::RGBA_PixelLayout, 0x3401},
      {Prop::Sound_AudioSamplingRate, 0x3d03},
      {Prop::Sound_Locked, 0x3d02},
      {Prop::Sound_ChannelCount, 0x3d07},
      {Prop::Sound_QuantizationBits, 0x3d01},
      {Prop::Wave_BlockAlign, 0x3d0a},
      {Prop::Wave_AvgBps, 0x3d09},
      {Prop::Wave_ChannelAssignment, 0x3d32},
      {Prop::Data_DataEssenceCoding, 0x3e01},
      {Prop::Index_EditRate, 0x3f0b},
      {Prop::Index_StartPosition, 0x3f0c},
      {Prop::Index_Duration, 0x3f0d},
      {Prop::Index_EditUnitByteCount, 0x3f05},
      {Prop::Index_SliceCount, 0x3f08},
      {Prop::Index_PosTableCount, 0x3f0e},
      {Prop::Index_DeltaEntryArray, 0x3f09},
      {Prop::Index_IndexEntryArray, 0x3f0a},
  };
  auto found = tags.find(property);
  return found == tags.end() ? 0 : found->second;
}

}  // namespace MXF
}  // namespace ASDCP
