// Reading track files back for tests: every KLV packet with its offset,
// key and length, the local sets decoded through the primer, a listing in
// the form of the reference dumps, and a comparison of two files' structure
// that looks past instance UIDs, dates and identification texts.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace lumavox_test {

typedef std::array<uint8_t, 16> Label16;

struct KlvPacket {
  uint64_t offset = 0;
  Label16 key{};
  uint64_t length = 0;
  std::vector<uint8_t> value;
};

struct LocalProperty {
  Label16 label{};  // from the primer; all zero when the primer lacks the tag
  uint16_t tag = 0;
  std::vector<uint8_t> value;
};

struct LocalSet {
  size_t packet = 0;  // index into the packets
  Label16 key{};
  std::vector<LocalProperty> properties;
  const LocalProperty* Find(const std::string& label_text) const;
};

struct MxfFile {
  bool ok = false;
  std::string error;
  std::vector<KlvPacket> packets;
  std::vector<LocalSet> sets;  // header metadata and index table segments
};

MxfFile ReadMxf(const std::string& path);

std::string LabelText(const Label16& label);  // "060e2b34.02530101.0d010101.01012f00"
std::string KeyName(const Label16& key);      // "Preface", "JPEG2000Essence", ...
// One line per packet: "@0x00000000: <key>  len: <length> (<name>)".
std::vector<std::string> KlvListing(const MxfFile& file);
// The "@" lines of a reference dump file.
std::vector<std::string> ReferenceKlvListing(const std::string& dump_path);

// Differences between our listing and a reference listing, allowing the
// identification set and the fill after it to differ in length (and the
// sets between them to move by that difference).
std::vector<std::string> CompareListings(const std::vector<std::string>& ours,
                                         const std::vector<std::string>& reference);

// Differences in structure and content: packet keys, sets, property labels
// in order and their values, partition packs, primer, index tables, random
// index pack and essence, byte for byte; instance UIDs and package UMIDs
// are compared by what they refer to, dates and identification values not
// at all.
std::vector<std::string> CompareStructure(const MxfFile& ours, const MxfFile& reference);

// The essence packets' values of one key, in file order.
std::vector<std::vector<uint8_t>> EssencePayloads(const MxfFile& file, const std::string& key_text);

std::string Utf16Text(const std::vector<uint8_t>& value);

}  // namespace lumavox_test
