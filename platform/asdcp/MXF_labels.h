// The labels of the track files: set and packet keys, operational
// patterns, essence containers, data definitions, codings, and the local
// tags of the properties.
#pragma once

#include "platform/asdcp/AS_DCP_writer_info.h"
#include "platform/asdcp/MXF_klv.h"

namespace ASDCP {
namespace MXF {

enum class PartitionKind : byte_t { Header = 0x02, Body = 0x03, Footer = 0x04 };
enum class PartitionStatus : byte_t { OpenIncomplete = 0x01, ClosedComplete = 0x04, GenericStream = 0x11 };
UL PartitionKey(PartitionKind kind, PartitionStatus status);

namespace Key {
extern const UL Primer;
extern const UL Fill;
extern const UL RandomIndexPack;
extern const UL IndexTableSegment;
extern const UL Preface;
extern const UL Identification;
extern const UL ContentStorage;
extern const UL EssenceContainerData;
extern const UL MaterialPackage;
extern const UL SourcePackage;
extern const UL Track;
extern const UL Sequence;
extern const UL TimecodeComponent;
extern const UL SourceClip;
extern const UL RGBAEssenceDescriptor;
extern const UL JPEG2000PictureSubDescriptor;
extern const UL StereoscopicPictureSubDescriptor;
extern const UL WaveAudioDescriptor;
extern const UL TimedTextDescriptor;
extern const UL TimedTextResourceSubDescriptor;
extern const UL JPEG2000Essence;
extern const UL WAVEssence;
extern const UL TimedTextEssence;
extern const UL GenericStreamData;
}  // namespace Key

namespace Label {
UL OPAtom(LabelSet_t label_set);
extern const UL GenericContainerMultipleWrappings;
extern const UL JPEG2000FrameWrapped;
extern const UL WAVFrameWrapped;
extern const UL TimedTextWrapping;
extern const UL OP1a;  // the pattern field of generic stream partitions
extern const UL TimecodeDataDef;
extern const UL PictureDataDef;
extern const UL SoundDataDef;
extern const UL DataDataDef;
extern const UL JPEG2000Coding2K;
extern const UL JPEG2000Coding4K;
extern const UL ChannelConfiguration1;  // 5.1
extern const UL ChannelConfiguration2;
extern const UL ChannelConfiguration3;  // 7.1
extern const UL UMIDPrefix;             // the first 12 bytes of every UMID, then 0x13 and three zeros
}  // namespace Label

// Properties by their labels.
namespace Prop {
extern const UL InstanceUID;
extern const UL GenerationUID;
extern const UL Preface_LastModifiedDate, Preface_Version, Preface_ObjectModelVersion, Preface_PrimaryPackage,
    Preface_Identifications, Preface_ContentStorage, OperationalPattern, EssenceContainers, Preface_DMSchemes;
extern const UL Identification_ThisGenerationUID, Identification_CompanyName, Identification_ProductName,
    Identification_ProductVersion, Identification_VersionString, Identification_ProductUID,
    Identification_ModificationDate, Identification_ToolkitVersion, Identification_Platform;
extern const UL ContentStorage_Packages, ContentStorage_EssenceContainerData;
extern const UL EssenceContainerData_LinkedPackageUID, IndexSID, BodySID;
extern const UL GenericPackage_PackageUID, GenericPackage_Name, GenericPackage_PackageCreationDate,
    GenericPackage_PackageModifiedDate, GenericPackage_Tracks, SourcePackage_Descriptor;
extern const UL GenericTrack_TrackID, GenericTrack_TrackNumber, GenericTrack_TrackName, GenericTrack_Sequence,
    Track_EditRate, Track_Origin;
extern const UL StructuralComponent_DataDefinition, StructuralComponent_Duration, Sequence_StructuralComponents;
extern const UL TimecodeComponent_RoundedTimecodeBase, TimecodeComponent_StartTimecode, TimecodeComponent_DropFrame;
extern const UL SourceClip_StartPosition, SourceClip_SourcePackageID, SourceClip_SourceTrackID;
UL GenericDescriptor_SubDescriptors(LabelSet_t label_set);
extern const UL FileDescriptor_LinkedTrackID, FileDescriptor_SampleRate, FileDescriptor_ContainerDuration,
    FileDescriptor_EssenceContainer;
extern const UL Picture_FrameLayout, Picture_StoredWidth, Picture_StoredHeight, Picture_AspectRatio,
    Picture_PictureEssenceCoding, RGBA_ComponentMaxRef, RGBA_ComponentMinRef, RGBA_PixelLayout;
extern const UL J2K_Rsize, J2K_Xsize, J2K_Ysize, J2K_XOsize, J2K_YOsize, J2K_XTsize, J2K_YTsize, J2K_XTOsize,
    J2K_YTOsize, J2K_Csize, J2K_PictureComponentSizing, J2K_CodingStyleDefault, J2K_QuantizationDefault;
extern const UL Sound_AudioSamplingRate, Sound_Locked, Sound_ChannelCount, Sound_QuantizationBits, Wave_BlockAlign,
    Wave_AvgBps, Wave_ChannelAssignment;
extern const UL Data_DataEssenceCoding, TimedText_ResourceID, TimedText_UCSEncoding, TimedText_NamespaceURI,
    TimedText_RFC5646LanguageTagList, TimedTextResource_AncillaryResourceID, TimedTextResource_MIMEMediaType;
extern const UL Index_EditRate, Index_StartPosition, Index_Duration, Index_EditUnitByteCount, Index_SliceCount,
    Index_PosTableCount, Index_DeltaEntryArray, Index_IndexEntryArray;
}  // namespace Prop

// The fixed local tag of a property, or 0 when it takes a dynamic one.
ui16_t StaticLocalTag(const UL& property);

}  // namespace MXF
}  // namespace ASDCP
