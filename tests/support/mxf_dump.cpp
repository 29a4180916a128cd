#include "tests/support/mxf_dump.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "tests/support/test_support.h"

namespace lumavox_test {

namespace {

uint64_t BigEndian(const uint8_t* p, size_t n) {
  uint64_t v = 0;
  for (size_t i = 0; i < n; ++i) v = (v << 8) | p[i];
  return v;
}

std::string Hex(const std::vector<uint8_t>& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string s;
  for (uint8_t b : bytes) {
    s += digits[b >> 4];
    s += digits[b & 15];
  }
  return s;
}

bool IsLocalSet(const Label16& key) { return key[4] == 0x02 && key[5] == 0x53; }

}  // namespace

const LocalProperty* LocalSet::Find(const std::string& label_text) const {
  for (const LocalProperty& p : properties)
    if (LabelText(p.label) == label_text) return &p;
  return nullptr;
}

std::string LabelText(const Label16& label) {
  char text[40];
  std::snprintf(text, sizeof text, "%02x%02x%02x%02x.%02x%02x%02x%02x.%02x%02x%02x%02x.%02x%02x%02x%02x", label[0],
                label[1], label[2], label[3], label[4], label[5], label[6], label[7], label[8], label[9], label[10],
                label[11], label[12], label[13], label[14], label[15]);
  return text;
}

std::string KeyName(const Label16& key) {
  static const std::map<std::string, std::string> names = {
      {"060e2b34.01010102.03010210.01000000", "KLVFill"},
      {"060e2b34.0101010c.0d010509.01000000", "GenericStream_DataElement"},
      {"060e2b34.01020101.0d010301.15010801", "JPEG2000Essence"},
      {"060e2b34.01020101.0d010301.16010101", "WAVEssence"},
      {"060e2b34.01020101.0d010301.17010b01", "TimedTextEssence"},
      {"060e2b34.02050101.0d010201.01020100", "OpenIncompleteHeader"},
      {"060e2b34.02050101.0d010201.01020400", "ClosedCompleteHeader"},
      {"060e2b34.02050101.0d010201.01030400", "ClosedCompleteBodyPartition"},
      {"060e2b34.02050101.0d010201.01031100", "GenericStreamPartition"},
      {"060e2b34.02050101.0d010201.01040400", "CompleteFooter"},
      {"060e2b34.02050101.0d010201.01050100", "Primer"},
      {"060e2b34.02050101.0d010201.01110100", "RandomIndexMetadata"},
      {"060e2b34.02530101.0d010101.01010f00", "Sequence"},
      {"060e2b34.02530101.0d010101.01011100", "SourceClip"},
      {"060e2b34.02530101.0d010101.01011400", "TimecodeComponent"},
      {"060e2b34.02530101.0d010101.01011800", "ContentStorage"},
      {"060e2b34.02530101.0d010101.01012300", "EssenceContainerData"},
      {"060e2b34.02530101.0d010101.01012900", "RGBAEssenceDescriptor"},
      {"060e2b34.02530101.0d010101.01012f00", "Preface"},
      {"060e2b34.02530101.0d010101.01013000", "Identification"},
      {"060e2b34.02530101.0d010101.01013600", "MaterialPackage"},
      {"060e2b34.02530101.0d010101.01013700", "SourcePackage"},
      {"060e2b34.02530101.0d010101.01013b00", "Track"},
      {"060e2b34.02530101.0d010101.01014800", "WaveAudioDescriptor"},
      {"060e2b34.02530101.0d010101.01015a00", "JPEG2000PictureSubDescriptor"},
      {"060e2b34.02530101.0d010101.01016300", "StereoscopicPictureSubDescriptor"},
      {"060e2b34.02530101.0d010101.01016400", "TimedTextDescriptor"},
      {"060e2b34.02530101.0d010101.01016500", "TimedTextResourceSubDescriptor"},
      {"060e2b34.02530101.0d010201.01100100", "IndexTableSegment"},
  };
  auto found = names.find(LabelText(key));
  return found == names.end() ? "unknown" : found->second;
}

MxfFile ReadMxf(const std::string& path) {
  MxfFile file;
  const std::vector<uint8_t> data = ReadBytes(path);
  size_t p = 0;
  while (p < data.size()) {
    if (data.size() - p < 17) {
      file.error = "truncated key at " + std::to_string(p);
      return file;
    }
    KlvPacket packet;
    packet.offset = p;
    std::copy(data.begin() + p, data.begin() + p + 16, packet.key.begin());
    uint8_t ber = data[p + 16];
    size_t header = 17;
    if (ber & 0x80) {
      size_t n = ber & 0x7f;
      if (n == 0 || n > 8 || data.size() - p < 17 + n) {
        file.error = "bad length at " + std::to_string(p);
        return file;
      }
      packet.length = BigEndian(&data[p + 17], n);
      header += n;
    } else {
      packet.length = ber;
    }
    if (packet.length > data.size() - p - header) {
      file.error = "packet runs past the end at " + std::to_string(p);
      return file;
    }
    packet.value.assign(data.begin() + p + header, data.begin() + p + header + packet.length);
    p += header + packet.length;
    file.packets.push_back(std::move(packet));
  }

  std::map<uint16_t, Label16> primer;
  for (size_t i = 0; i < file.packets.size(); ++i) {
    const KlvPacket& packet = file.packets[i];
    if (KeyName(packet.key) == "Primer" && packet.value.size() >= 8) {
      uint64_t count = BigEndian(&packet.value[0], 4);
      for (uint64_t k = 0; k < count && 8 + 18 * (k + 1) <= packet.value.size(); ++k) {
        const uint8_t* entry = &packet.value[8 + 18 * k];
        Label16 label;
        std::copy(entry + 2, entry + 18, label.begin());
        primer[static_cast<uint16_t>(BigEndian(entry, 2))] = label;
      }
    }
    if (!IsLocalSet(packet.key)) continue;
    LocalSet set;
    set.packet = i;
    set.key = packet.key;
    size_t q = 0;
    while (q + 4 <= packet.value.size()) {
      LocalProperty property;
      property.tag = static_cast<uint16_t>(BigEndian(&packet.value[q], 2));
      size_t n = static_cast<size_t>(BigEndian(&packet.value[q + 2], 2));
      if (q + 4 + n > packet.value.size()) {
        file.error = "property runs past its set at " + std::to_string(packet.offset);
        return file;
      }
      property.value.assign(packet.value.begin() + q + 4, packet.value.begin() + q + 4 + n);
      auto found = primer.find(property.tag);
      if (found != primer.end()) property.label = found->second;
      set.properties.push_back(std::move(property));
      q += 4 + n;
    }
    file.sets.push_back(std::move(set));
  }
  file.ok = true;
  return file;
}

std::vector<std::string> KlvListing(const MxfFile& file) {
  std::vector<std::string> lines;
  for (const KlvPacket& packet : file.packets) {
    char line[160];
    std::snprintf(line, sizeof line, "@0x%08llx: %s  len: %7llu (%s)", static_cast<unsigned long long>(packet.offset),
                  LabelText(packet.key).c_str(), static_cast<unsigned long long>(packet.length),
                  KeyName(packet.key).c_str());
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> ReferenceKlvListing(const std::string& dump_path) {
  std::vector<std::string> lines;
  std::istringstream in(ReadText(dump_path));
  std::string line;
  while (std::getline(in, line))
    if (!line.empty() && line[0] == '@') lines.push_back(line);
  return lines;
}

std::vector<std::string> CompareListings(const std::vector<std::string>& ours,
                                         const std::vector<std::string>& reference) {
  std::vector<std::string> differences;
  if (ours.size() != reference.size())
    differences.push_back("packet count " + std::to_string(ours.size()) + " != " + std::to_string(reference.size()));
  bool in_moved_region = false;
  for (size_t i = 0; i < ours.size() && i < reference.size(); ++i) {
    const std::string& a = ours[i];
    const std::string& b = reference[i];
    const bool ident = b.find("(Identification)") != std::string::npos;
    const bool fill = b.find("(KLVFill)") != std::string::npos;
    // Offsets: "@0x%08x: " is 12 characters; key from 13; "len:" value; name.
    const std::string key_a = a.substr(13, 35), key_b = b.substr(13, 35);
    const std::string name_a = a.substr(a.find('(')), name_b = b.substr(b.find('('));
    const std::string offset_a = a.substr(0, 11), offset_b = b.substr(0, 11);
    const std::string len_a = a.substr(a.find("len:")), len_b = b.substr(b.find("len:"));
    if (key_a != key_b || name_a != name_b)
      differences.push_back("packet " + std::to_string(i) + ": " + a + " vs " + b);
    if (!in_moved_region && offset_a != offset_b) differences.push_back("offset of " + a + " vs " + b);
    if (!ident && !fill && len_a != len_b) differences.push_back("length of " + a + " vs " + b);
    if (ident) in_moved_region = true;
    if (fill) in_moved_region = false;
  }
  return differences;
}

namespace {

const std::vector<std::string> kDateLabels = {
    "060e2b34.01010102.07020110.02040000", "060e2b34.01010102.07020110.02030000", "060e2b34.01010102.07020110.01030000",
    "060e2b34.01010102.07020110.02050000"};

struct Identities {
  std::map<std::vector<uint8_t>, size_t> uids;
  std::map<std::vector<uint8_t>, size_t> umids;
};

Identities CollectIdentities(const MxfFile& file) {
  Identities ids;
  for (const LocalSet& set : file.sets) {
    for (const LocalProperty& p : set.properties) {
      if (p.tag == 0x3c0a) ids.uids.emplace(p.value, ids.uids.size());
      if (p.tag == 0x4401) ids.umids.emplace(p.value, ids.umids.size());
    }
  }
  return ids;
}

std::string Normalise(const std::vector<uint8_t>& value, const Identities& ids, bool unordered) {
  auto uid = ids.uids.find(value);
  if (uid != ids.uids.end()) return "uid#" + std::to_string(uid->second);
  auto umid = ids.umids.find(value);
  if (umid != ids.umids.end()) return "umid#" + std::to_string(umid->second);
  if (value.size() >= 8 && BigEndian(&value[4], 4) == 16 && value.size() == 8 + 16 * BigEndian(&value[0], 4)) {
    std::vector<std::string> items;
    for (size_t i = 8; i < value.size(); i += 16) {
      std::vector<uint8_t> item(value.begin() + i, value.begin() + i + 16);
      auto found = ids.uids.find(item);
      items.push_back(found != ids.uids.end() ? "uid#" + std::to_string(found->second) : Hex(item));
    }
    if (unordered) std::sort(items.begin(), items.end());
    std::string s = "batch";
    for (const std::string& item : items) s += " " + item;
    return s;
  }
  return Hex(value);
}

}  // namespace

std::vector<std::string> CompareStructure(const MxfFile& ours, const MxfFile& reference) {
  std::vector<std::string> differences;
  if (!ours.ok) differences.push_back("ours unreadable: " + ours.error);
  if (!reference.ok) differences.push_back("reference unreadable: " + reference.error);
  if (!differences.empty()) return differences;
  if (ours.packets.size() != reference.packets.size())
    differences.push_back("packet count " + std::to_string(ours.packets.size()) + " vs " +
                          std::to_string(reference.packets.size()));
  for (size_t i = 0; i < ours.packets.size() && i < reference.packets.size(); ++i) {
    const KlvPacket& a = ours.packets[i];
    const KlvPacket& b = reference.packets[i];
    const std::string name = KeyName(b.key);
    if (a.key != b.key) {
      differences.push_back("packet " + std::to_string(i) + " key " + LabelText(a.key) + " vs " + LabelText(b.key));
      continue;
    }
    if (IsLocalSet(a.key) || name == "KLVFill") continue;  // compared below, or free to differ
    if (a.value != b.value)
      differences.push_back("packet " + std::to_string(i) + " (" + name + ") differs: " +
                            (a.value.size() > 200 ? std::to_string(a.value.size()) + " bytes" : Hex(a.value)) + " vs " +
                            (b.value.size() > 200 ? std::to_string(b.value.size()) + " bytes" : Hex(b.value)));
  }
  const Identities ids_a = CollectIdentities(ours), ids_b = CollectIdentities(reference);
  if (ours.sets.size() != reference.sets.size())
    differences.push_back("set count " + std::to_string(ours.sets.size()) + " vs " +
                          std::to_string(reference.sets.size()));
  for (size_t s = 0; s < ours.sets.size() && s < reference.sets.size(); ++s) {
    const LocalSet& a = ours.sets[s];
    const LocalSet& b = reference.sets[s];
    const std::string where = "set " + std::to_string(s) + " (" + KeyName(b.key) + ")";
    if (a.key != b.key) {
      differences.push_back(where + " key " + LabelText(a.key));
      continue;
    }
    if (a.properties.size() != b.properties.size()) {
      differences.push_back(where + " property count " + std::to_string(a.properties.size()) + " vs " +
                            std::to_string(b.properties.size()));
      continue;
    }
    const bool ident = KeyName(b.key) == "Identification";
    for (size_t k = 0; k < a.properties.size(); ++k) {
      const LocalProperty& pa = a.properties[k];
      const LocalProperty& pb = b.properties[k];
      const std::string label = LabelText(pb.label);
      if (pa.label != pb.label || pa.tag != pb.tag) {
        differences.push_back(where + " property " + std::to_string(k) + " " + LabelText(pa.label) + " vs " + label);
        continue;
      }
      if (ident && pa.tag != 0x3c0a) continue;
      bool date = false;
      for (const std::string& d : kDateLabels) date = date || d == label;
      if (date) continue;
      // The packages of the content storage form an unordered batch.
      const bool unordered = label == "060e2b34.01010102.06010104.05010000";
      const std::string va = Normalise(pa.value, ids_a, unordered), vb = Normalise(pb.value, ids_b, unordered);
      if (va != vb) differences.push_back(where + " " + label + ": " + va + " vs " + vb);
    }
  }
  return differences;
}

std::vector<std::vector<uint8_t>> EssencePayloads(const MxfFile& file, const std::string& key_text) {
  std::vector<std::vector<uint8_t>> out;
  for (const KlvPacket& packet : file.packets)
    if (LabelText(packet.key) == key_text) out.push_back(packet.value);
  return out;
}

std::string Utf16Text(const std::vector<uint8_t>& value) {
  std::string s;
  for (size_t i = 0; i + 1 < value.size(); i += 2) {
    unsigned c = (value[i] << 8) | value[i + 1];
    s += c < 0x80 ? static_cast<char>(c) : '?';
  }
  return s;
}

}  // namespace lumavox_test
