#include "platform/asdcp/MXF_track_file_writer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/asdcp/AS_DCP_version.h"
#include "platform/asdcp/MXF_labels.h"

namespace ASDCP {
namespace MXF {

namespace {

const ui32_t kIndexSID = 0x81;
const ui32_t kBodySID = 1;
const ui32_t kKLVHeaderSize = 20;             // key and a four-byte length
const size_t kIndexEntriesPerSegment = 4096;  // keeps every index property within its 16-bit length

UMID MakeUMID(const byte_t* material) {
  UMID umid;
  std::memcpy(umid.data(), Label::UMIDPrefix.data(), 16);
  std::memcpy(umid.data() + 16, material, 16);
  return umid;
}

ui16_t VersionPart(const char*& text) {
  ui16_t value = static_cast<ui16_t>(std::strtoul(text, nullptr, 10));
  while (*text != 0 && *text != '.') ++text;
  if (*text == '.') ++text;
  return value;
}

ByteBuffer U64Value(ui64_t value) {
  ByteBuffer b;
  b.U64(value);
  return b;
}

}  // namespace

void TrackFileWriter::BuildHeader(const WriterInfo& info, std::vector<Set> descriptors) {
  const Kumu::Timestamp now;
  const UMID file_umid = MakeUMID(info.AssetUUID);
  const UUIDValue material_id = RandomUUIDValue();
  const UMID material_umid = MakeUMID(material_id.data());
  const UMID no_umid{};
  const ui64_t duration = layout_.duration;

  Set preface(Key::Preface), ident(Key::Identification), storage(Key::ContentStorage), ecd(Key::EssenceContainerData),
      mp(Key::MaterialPackage), fp(Key::SourcePackage);

  struct PackageTracks {
    Set tc_track{Key::Track}, tc_seq{Key::Sequence}, tc{Key::TimecodeComponent};
    Set track{Key::Track}, seq{Key::Sequence}, clip{Key::SourceClip};
  } m, f;

  preface.Date(Prop::Preface_LastModifiedDate, now)
      .U16(Prop::Preface_Version, 0x0102)
      .U32(Prop::Preface_ObjectModelVersion, 1)
      .Ref(Prop::Preface_PrimaryPackage, fp.InstanceUID())
      .Refs(Prop::Preface_Identifications, {ident.InstanceUID()})
      .Ref(Prop::Preface_ContentStorage, storage.InstanceUID())
      .Label(Prop::OperationalPattern, Label::OPAtom(label_set_))
      .Labels(Prop::EssenceContainers, essence_containers_)
      .Labels(Prop::Preface_DMSchemes, {});

  const char* version = info.ProductVersion.c_str();
  ByteBuffer toolkit;
  const char* library = Version();
  for (int i = 0; i < 3; ++i) toolkit.U16(VersionPart(library));
  toolkit.U16(0);
  toolkit.U16(1);  // a released version
  ByteBuffer product_version;
  product_version.Zeros(10);
  UUIDValue product_uid;
  std::memcpy(product_uid.data(), info.ProductUUID, 16);
  ident.Ref(Prop::Identification_ThisGenerationUID, RandomUUIDValue())
      .Text(Prop::Identification_CompanyName, info.CompanyName)
      .Text(Prop::Identification_ProductName, info.ProductName)
      .Add(Prop::Identification_ProductVersion, product_version)
      .Text(Prop::Identification_VersionString, version)
      .Ref(Prop::Identification_ProductUID, product_uid)
      .Date(Prop::Identification_ModificationDate, now)
      .Add(Prop::Identification_ToolkitVersion, toolkit)
      .Text(Prop::Identification_Platform, "win32");

  // The packages form an unordered batch, kept in the order of their UIDs.
  std::vector<UUIDValue> packages = {mp.InstanceUID(), fp.InstanceUID()};
  std::sort(packages.begin(), packages.end());
  storage.Refs(Prop::ContentStorage_Packages, packages)
      .Refs(Prop::ContentStorage_EssenceContainerData, {ecd.InstanceUID()});
  ecd.Umid(Prop::EssenceContainerData_LinkedPackageUID, file_umid)
      .U32(Prop::IndexSID, kIndexSID)
      .U32(Prop::BodySID, kBodySID);

  auto fill_package = [&](Set& package, PackageTracks& t, const UMID& umid, const std::string& name,
                          ui32_t track_number, const UMID& clip_source, ui32_t clip_track) {
    package.Umid(Prop::GenericPackage_PackageUID, umid)
        .Text(Prop::GenericPackage_Name, name)
        .Date(Prop::GenericPackage_PackageCreationDate, now)
        .Date(Prop::GenericPackage_PackageModifiedDate, now)
        .Refs(Prop::GenericPackage_Tracks, {t.tc_track.InstanceUID(), t.track.InstanceUID()});
    t.tc_track.U32(Prop::GenericTrack_TrackID, 1)
        .U32(Prop::GenericTrack_TrackNumber, 0)
        .Text(Prop::GenericTrack_TrackName, "Timecode Track")
        .Ref(Prop::GenericTrack_Sequence, t.tc_seq.InstanceUID())
        .Rate(Prop::Track_EditRate, layout_.edit_rate)
        .U64(Prop::Track_Origin, 0);
    t.tc_seq.Label(Prop::StructuralComponent_DataDefinition, Label::TimecodeDataDef)
        .U64(Prop::StructuralComponent_Duration, duration)
        .Refs(Prop::Sequence_StructuralComponents, {t.tc.InstanceUID()});
    t.tc.Label(Prop::StructuralComponent_DataDefinition, Label::TimecodeDataDef)
        .U64(Prop::StructuralComponent_Duration, duration)
        .U16(Prop::TimecodeComponent_RoundedTimecodeBase, layout_.timecode_base)
        .U64(Prop::TimecodeComponent_StartTimecode, 0)
        .U8(Prop::TimecodeComponent_DropFrame, 0);
    t.track.U32(Prop::GenericTrack_TrackID, 2)
        .U32(Prop::GenericTrack_TrackNumber, track_number)
        .Text(Prop::GenericTrack_TrackName, layout_.track_name)
        .Ref(Prop::GenericTrack_Sequence, t.seq.InstanceUID())
        .Rate(Prop::Track_EditRate, layout_.edit_rate)
        .U64(Prop::Track_Origin, 0);
    t.seq.Label(Prop::StructuralComponent_DataDefinition, layout_.data_definition)
        .U64(Prop::StructuralComponent_Duration, duration)
        .Refs(Prop::Sequence_StructuralComponents, {t.clip.InstanceUID()});
    t.clip.Label(Prop::StructuralComponent_DataDefinition, layout_.data_definition)
        .U64(Prop::StructuralComponent_Duration, duration)
        .U64(Prop::SourceClip_StartPosition, 0)
        .Umid(Prop::SourceClip_SourcePackageID, clip_source)
        .U32(Prop::SourceClip_SourceTrackID, clip_track);
  };
  fill_package(mp, m, material_umid, "Material Package", 0, file_umid, 2);
  fill_package(fp, f, file_umid, layout_.package_name, layout_.track_number, no_umid, 0);
  if (!descriptors.empty()) fp.Ref(Prop::SourcePackage_Descriptor, descriptors.front().InstanceUID());

  sets_.clear();
  for (Set* s : {&preface, &ident, &storage, &ecd, &mp, &m.tc_track, &m.tc_seq, &m.tc, &m.track, &m.seq, &m.clip, &fp,
                 &f.tc_track, &f.tc_seq, &f.tc, &f.track, &f.seq, &f.clip})
    sets_.push_back(*s);
  for (Set& d : descriptors) sets_.push_back(d);
}

void TrackFileWriter::UpdateDurations(ui64_t duration) {
  for (Set& s : sets_) {
    s.Replace(Prop::StructuralComponent_Duration, U64Value(duration));
    s.Replace(Prop::FileDescriptor_ContainerDuration, U64Value(duration));
  }
}

ByteBuffer TrackFileWriter::PartitionPack(PartitionKind kind, PartitionStatus status, ui64_t this_offset,
                                          ui64_t previous, ui64_t footer, ui64_t header_bytes, ui64_t index_bytes,
                                          ui32_t index_sid, ui32_t body_sid, const UL& pattern) const {
  ByteBuffer value;
  value.U16(1);  // major version
  value.U16(2);  // minor version
  value.U32(1);  // KAG size
  value.U64(this_offset);
  value.U64(previous);
  value.U64(footer);
  value.U64(header_bytes);
  value.U64(index_bytes);
  value.U32(index_sid);
  value.U64(0);  // body offset
  value.U32(body_sid);
  value.Bytes(pattern);
  value.U32(static_cast<ui32_t>(essence_containers_.size()));
  value.U32(16);
  for (const UL& label : essence_containers_) value.Bytes(label);
  ByteBuffer out;
  out.KLV(PartitionKey(kind, status), value);
  return out;
}

std::vector<UL> TrackFileWriter::IndexLabels() const {
  std::vector<UL> labels = {Prop::InstanceUID,
                            Prop::Index_EditRate,
                            Prop::Index_StartPosition,
                            Prop::Index_Duration,
                            Prop::Index_EditUnitByteCount,
                            Prop::IndexSID,
                            Prop::BodySID,
                            Prop::Index_SliceCount,
                            Prop::Index_PosTableCount,
                            Prop::Index_IndexEntryArray};
  if (!layout_.constant_rate) labels.push_back(Prop::Index_DeltaEntryArray);
  return labels;
}

ui64_t TrackFileWriter::HeaderRegionNeeded() const {
  const ui64_t pack_size =
      PartitionPack(PartitionKind::Header, PartitionStatus::OpenIncomplete, 0, 0, 0, 0, 0, 0, 0, UL{}).size();
  return pack_size + EncodeHeaderMetadata(sets_, IndexLabels()).size() + kKLVHeaderSize;
}

ByteBuffer TrackFileWriter::HeaderRegion(PartitionStatus status, ui64_t footer) const {
  const ByteBuffer metadata = EncodeHeaderMetadata(sets_, IndexLabels());
  const ui32_t header_sid = label_set_ == LS_MXF_SMPTE ? 0 : kBodySID;
  // The pack's own size does not depend on its values: measure it first.
  const ui64_t pack_size = PartitionPack(PartitionKind::Header, status, 0, 0, 0, 0, 0, 0, 0, UL{}).size();
  ByteBuffer out;
  if (pack_size + metadata.size() + kKLVHeaderSize > region_end_) return out;
  out = PartitionPack(PartitionKind::Header, status, 0, 0, footer, region_end_ - pack_size, 0, 0, header_sid,
                      Label::OPAtom(label_set_));
  out.Append(metadata);
  const ui64_t fill = region_end_ - out.size() - kKLVHeaderSize;
  out.KLVHeader(Key::Fill, fill);
  out.Zeros(fill);
  return out;
}

ByteBuffer TrackFileWriter::IndexSegments() const {
  ByteBuffer out;
  auto segment = [&](ui64_t start, ui64_t duration, ui32_t unit_size, const ui64_t* offsets, size_t count) {
    Set s(Key::IndexTableSegment);
    s.Rate(Prop::Index_EditRate, layout_.edit_rate)
        .U64(Prop::Index_StartPosition, start)
        .U64(Prop::Index_Duration, duration)
        .U32(Prop::Index_EditUnitByteCount, unit_size)
        .U32(Prop::IndexSID, kIndexSID)
        .U32(Prop::BodySID, kBodySID)
        .U8(Prop::Index_SliceCount, 0)
        .U8(Prop::Index_PosTableCount, 0);
    if (!layout_.constant_rate) {
      ByteBuffer delta;
      delta.U32(1);
      delta.U32(6);
      delta.U8(0);   // position table index
      delta.U8(0);   // slice
      delta.U32(0);  // element delta
      s.Add(Prop::Index_DeltaEntryArray, delta);
    }
    ByteBuffer entries;
    entries.U32(static_cast<ui32_t>(count));
    entries.U32(11);
    for (size_t i = 0; i < count; ++i) {
      entries.U8(0);     // temporal offset
      entries.U8(0);     // key-frame offset
      entries.U8(0x80);  // flags: a random access point
      entries.U64(offsets[i]);
    }
    s.Add(Prop::Index_IndexEntryArray, entries);
    out.Append(EncodeFixedTagSet(s));
  };
  if (layout_.constant_rate) {
    segment(0, cbr_units_, static_cast<ui32_t>(cbr_unit_size_), nullptr, 0);
  } else if (stream_offsets_.empty()) {
    segment(0, 0, 0, nullptr, 0);
  } else {
    for (size_t first = 0; first < stream_offsets_.size(); first += kIndexEntriesPerSegment) {
      size_t count = std::min(kIndexEntriesPerSegment, stream_offsets_.size() - first);
      segment(first, count, 0, stream_offsets_.data() + first, count);
    }
  }
  return out;
}

Result_t TrackFileWriter::Write(const ByteBuffer& bytes) {
  Result_t result = file_.Write(bytes.data(), static_cast<ui32_t>(bytes.size()));
  if (result.Failure()) return Fail(result);
  position_ += bytes.size();
  return RESULT_OK;
}

Result_t TrackFileWriter::Fail(Result_t result) {
  failed_ = true;
  return result;
}

Result_t TrackFileWriter::OpenWrite(const std::string& filename, const WriterInfo& info, const TrackFileLayout& layout,
                                    std::vector<Set> descriptors, ui32_t header_size) {
  if (file_.IsOpen()) return Kumu::RESULT_STATE;
  if (filename.empty()) return Kumu::RESULT_NULL_STR;
  if (layout.edit_rate.Numerator <= 0 || layout.edit_rate.Denominator <= 0) return Kumu::RESULT_PARAM;
  if (info.EncryptedEssence) return Kumu::RESULT_NOTIMPL;

  layout_ = layout;
  label_set_ = info.LabelSetType == LS_MXF_SMPTE ? LS_MXF_SMPTE : LS_MXF_INTEROP;
  essence_containers_ = {Label::GenericContainerMultipleWrappings, layout.essence_container};
  std::sort(essence_containers_.begin(), essence_containers_.end());
  BuildHeader(info, std::move(descriptors));
  region_end_ = 0;
  position_ = 0;
  cbr_unit_size_ = 0;
  cbr_units_ = 0;
  short_unit_written_ = false;
  stream_offsets_.clear();
  partitions_.clear();
  failed_ = false;

  for (const Set& set : sets_)
    for (const Property& p : set.Properties())
      if (p.value.size() > 0xffff) return Kumu::RESULT_PARAM;  // beyond a local set's 16-bit length
  // The region has the size asked for, or grows to what the header
  // metadata needs (many ancillary resources, for one).
  region_end_ = std::max(ui64_t(header_size) + layout.header_extra, HeaderRegionNeeded());
  const ByteBuffer header = HeaderRegion(PartitionStatus::OpenIncomplete, 0);
  if (header.size() == 0) return Kumu::RESULT_FAIL;

  Result_t result = file_.OpenWrite(filename);
  if (result.Failure()) return result;
  result = Write(header);
  if (result.Success()) {
    partitions_.push_back({label_set_ == LS_MXF_SMPTE ? 0 : kBodySID, 0});
    if (label_set_ == LS_MXF_SMPTE) {
      partitions_.push_back({kBodySID, position_});
      result = Write(PartitionPack(PartitionKind::Body, PartitionStatus::ClosedComplete, position_, 0, 0, 0, 0, 0,
                                   kBodySID, Label::OPAtom(label_set_)));
    }
  }
  if (result.Failure()) {
    file_.Close();
    return result;
  }
  essence_start_ = position_;
  return RESULT_OK;
}

Result_t TrackFileWriter::WriteEssence(const byte_t* data, ui64_t size, bool index_entry) {
  if (!file_.IsOpen()) return Kumu::RESULT_INIT;
  if (failed_) return Kumu::RESULT_STATE;
  if (data == nullptr && size > 0) return Kumu::RESULT_PTR;
  if (size > 0xffffffffu) return Kumu::RESULT_PARAM;
  ByteBuffer header;
  header.KLVHeader(layout_.essence_key, size);
  const ui64_t packet = header.size() + size;
  if (layout_.constant_rate) {
    // Every edit unit has the size of the first, but for a shorter last one.
    if (short_unit_written_) return Kumu::RESULT_STATE;
    if (cbr_units_ == 0) cbr_unit_size_ = packet;
    if (packet > cbr_unit_size_) return Kumu::RESULT_PARAM;
  }
  const ui64_t offset = position_ - essence_start_;
  Result_t result = Write(header);
  if (result.Success() && size > 0) {
    result = file_.Write(data, static_cast<ui32_t>(size));
    if (result.Failure()) return Fail(result);
    position_ += size;
  }
  if (result.Failure()) return result;
  if (layout_.constant_rate) {
    ++cbr_units_;
    short_unit_written_ = packet < cbr_unit_size_;
  } else if (index_entry) stream_offsets_.push_back(offset);
  return RESULT_OK;
}

Result_t TrackFileWriter::WriteGenericStream(ui32_t stream_id, const byte_t* data, ui64_t size) {
  if (!file_.IsOpen()) return Kumu::RESULT_INIT;
  if (failed_) return Kumu::RESULT_STATE;
  if (data == nullptr && size > 0) return Kumu::RESULT_PTR;
  if (size > 0xffffffffu) return Kumu::RESULT_PARAM;
  const ui64_t offset = position_;
  Result_t result = Write(PartitionPack(PartitionKind::Body, PartitionStatus::GenericStream, offset,
                                        partitions_.back().offset, 0, 0, 0, 0, stream_id, Label::OP1a));
  if (result.Failure()) return result;
  partitions_.push_back({stream_id, offset});
  ByteBuffer header;
  header.KLVHeader(Key::GenericStreamData, size);
  result = Write(header);
  if (result.Success() && size > 0) {
    result = file_.Write(data, static_cast<ui32_t>(size));
    if (result.Failure()) return Fail(result);
    position_ += size;
  }
  return result;
}

Result_t TrackFileWriter::Finalize() {
  if (!file_.IsOpen()) return Kumu::RESULT_INIT;
  if (failed_) {
    Abandon();
    return Kumu::RESULT_STATE;
  }
  UpdateDurations(layout_.durations_from_frames ? EditUnits() : layout_.duration);

  const ui64_t footer = position_;
  const ByteBuffer index = IndexSegments();
  Result_t result = Write(PartitionPack(PartitionKind::Footer, PartitionStatus::ClosedComplete, footer,
                                        partitions_.back().offset, footer, 0, index.size(), kIndexSID, 0,
                                        Label::OPAtom(label_set_)));
  if (result.Success()) result = Write(index);
  if (result.Success()) {
    partitions_.push_back({0, footer});
    ByteBuffer rip;
    for (const PartitionEntry& p : partitions_) {
      rip.U32(p.body_sid);
      rip.U64(p.offset);
    }
    rip.U32(static_cast<ui32_t>(kKLVHeaderSize + rip.size() + 4));
    ByteBuffer packet;
    packet.KLV(Key::RandomIndexPack, rip);
    result = Write(packet);
  }
  if (result.Success()) {
    const ByteBuffer header = HeaderRegion(PartitionStatus::ClosedComplete, footer);
    if (header.size() != region_end_) result = Kumu::RESULT_FAIL;
    if (result.Success()) result = file_.Seek(0);
    if (result.Success()) result = file_.Write(header.data(), static_cast<ui32_t>(header.size()));
  }
  Result_t closed = file_.Close();
  if (result.Success() && closed.Failure()) result = closed;
  return result;
}

void TrackFileWriter::Abandon() {
  if (file_.IsOpen()) file_.Close();
}

}  // namespace MXF
}  // namespace ASDCP
