// The common part of every track-file writer: one essence track in an
// OP-Atom file. Writes the header partition (open and incomplete until the
// end), an optional body partition, the essence as KLV packets, generic
// stream partitions, then at the end the footer with the index table, the
// random index pack and the header again, closed and complete.
#pragma once

#include <string>
#include <vector>

#include "platform/asdcp/AS_DCP_rational.h"
#include "platform/asdcp/AS_DCP_writer_info.h"
#include "platform/asdcp/KM_error.h"
#include "platform/asdcp/KM_file_writer.h"
#include "platform/asdcp/KM_timestamp.h"
#include "platform/asdcp/MXF_header_metadata.h"
#include "platform/asdcp/MXF_labels.h"

namespace ASDCP {
namespace MXF {

// What one kind of track file puts in the common structure.
struct TrackFileLayout {
  UL essence_container;               // the wrapping label of the descriptor
  std::string package_name;           // of the file package
  std::string track_name;             // of both essence tracks
  UL data_definition;                 // of the essence track's components
  ui32_t track_number = 0;            // of the file package's essence track
  UL essence_key;                     // of the essence packets
  Rational edit_rate;                 // of the tracks and the index
  ui16_t timecode_base = 24;          // the timecode tracks' rounded base
  bool constant_rate = false;         // index: one byte count per edit unit instead of entries
  ui64_t duration = 0;                // the duration written at the start
  bool durations_from_frames = true;  // false: the duration above stands to the end
  ui32_t header_extra = 0;            // bytes by which the header region exceeds the size asked for
};

class TrackFileWriter {
 public:
  TrackFileWriter() = default;
  ~TrackFileWriter() = default;
  TrackFileWriter(const TrackFileWriter&) = delete;
  TrackFileWriter& operator=(const TrackFileWriter&) = delete;

  bool IsOpen() const { return file_.IsOpen(); }

  // Creates the file and writes the header region of header_size bytes
  // (plus the layout's extra), grown to what the header metadata needs when
  // that is more, and, with SMPTE labels, the body partition.
  // descriptors: the essence descriptor first, then its sub-descriptors;
  // the descriptor's ContainerDuration is brought up to date at the end.
  Result_t OpenWrite(const std::string& filename, const WriterInfo& info, const TrackFileLayout& layout,
                     std::vector<Set> descriptors, ui32_t header_size);

  // One essence packet; with index_entry false it joins the edit unit of the
  // packet before it (the right eye of a stereoscopic pair).
  Result_t WriteEssence(const byte_t* data, ui64_t size, bool index_entry = true);
  // A generic stream partition with its body stream id and one data packet.
  Result_t WriteGenericStream(ui32_t stream_id, const byte_t* data, ui64_t size);
  // Footer, index, random index pack, header rewritten; closes the file.
  Result_t Finalize();
  // Closes without finalising: the file stays recognisably unfinished.
  void Abandon();

  ui64_t EditUnits() const { return stream_offsets_.size() + cbr_units_; }

 private:
  struct PartitionEntry {
    ui32_t body_sid;
    ui64_t offset;
  };

  ByteBuffer PartitionPack(PartitionKind kind, PartitionStatus status, ui64_t this_offset, ui64_t previous,
                           ui64_t footer, ui64_t header_bytes, ui64_t index_bytes, ui32_t index_sid, ui32_t body_sid,
                           const UL& pattern) const;
  // The smallest header region that holds the partition pack, the header
  // metadata and a fill item.
  ui64_t HeaderRegionNeeded() const;
  ByteBuffer HeaderRegion(PartitionStatus status, ui64_t footer) const;
  ByteBuffer IndexSegments() const;
  std::vector<UL> IndexLabels() const;
  void BuildHeader(const WriterInfo& info, std::vector<Set> descriptors);
  void UpdateDurations(ui64_t duration);
  Result_t Write(const ByteBuffer& bytes);
  Result_t Fail(Result_t result);

  Kumu::FileWriter file_;
  TrackFileLayout layout_;
  LabelSet_t label_set_ = LS_MXF_SMPTE;
  std::vector<UL> essence_containers_;
  std::vector<Set> sets_;
  ui64_t region_end_ = 0;     // where the header region ends
  ui64_t essence_start_ = 0;  // where the first essence packet starts
  ui64_t position_ = 0;       // where the next byte goes
  ui64_t cbr_unit_size_ = 0;  // packet size of a constant-rate edit unit
  ui64_t cbr_units_ = 0;
  bool short_unit_written_ = false;     // a shorter last constant-rate unit ends the essence
  std::vector<ui64_t> stream_offsets_;  // per edit unit, from the essence start
  std::vector<PartitionEntry> partitions_;
  bool failed_ = false;
};

}  // namespace MXF
}  // namespace ASDCP
