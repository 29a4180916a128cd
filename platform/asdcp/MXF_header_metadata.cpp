#include "platform/asdcp/MXF_header_metadata.h"

#include <map>

#include "platform/asdcp/KM_uuid.h"
#include "platform/asdcp/MXF_labels.h"

namespace ASDCP {
namespace MXF {

UUIDValue RandomUUIDValue() {
  UUIDValue value;
  Kumu::GenRandomUUID(value.data());
  return value;
}

ByteBuffer DateValue(const Kumu::Timestamp& value) {
  ByteBuffer b;
  b.U16(value.Year);
  b.U8(value.Month);
  b.U8(value.Day);
  b.U8(value.Hour);
  b.U8(value.Minute);
  b.U8(value.Second);
  b.U8(0);
  return b;
}

Set::Set(const UL& key) : key_(key), instance_uid_(RandomUUIDValue()) { Ref(Prop::InstanceUID, instance_uid_); }

Set& Set::Add(const UL& label, const ByteBuffer& value) {
  properties_.push_back(Property{label, value});
  return *this;
}

Set& Set::U8(const UL& label, ui8_t value) {
  ByteBuffer b;
  b.U8(value);
  return Add(label, b);
}

Set& Set::U16(const UL& label, ui16_t value) {
  ByteBuffer b;
  b.U16(value);
  return Add(label, b);
}

Set& Set::U32(const UL& label, ui32_t value) {
  ByteBuffer b;
  b.U32(value);
  return Add(label, b);
}

Set& Set::U64(const UL& label, ui64_t value) {
  ByteBuffer b;
  b.U64(value);
  return Add(label, b);
}

Set& Set::Label(const UL& label, const UL& value) {
  ByteBuffer b;
  b.Bytes(value);
  return Add(label, b);
}

Set& Set::Ref(const UL& label, const UUIDValue& value) {
  ByteBuffer b;
  b.Bytes(value);
  return Add(label, b);
}

Set& Set::Umid(const UL& label, const UMID& value) {
  ByteBuffer b;
  b.Bytes(value);
  return Add(label, b);
}

Set& Set::Rate(const UL& label, const Rational& value) {
  ByteBuffer b;
  b.U32(static_cast<ui32_t>(value.Numerator));
  b.U32(static_cast<ui32_t>(value.Denominator));
  return Add(label, b);
}

Set& Set::Date(const UL& label, const Kumu::Timestamp& value) { return Add(label, DateValue(value)); }

Set& Set::Text(const UL& label, const std::string& utf8) {
  ByteBuffer b;
  b.UTF16(utf8);
  return Add(label, b);
}

Set& Set::Refs(const UL& label, const std::vector<UUIDValue>& values) {
  ByteBuffer b;
  b.U32(static_cast<ui32_t>(values.size()));
  b.U32(16);
  for (const UUIDValue& v : values) b.Bytes(v);
  return Add(label, b);
}

Set& Set::Labels(const UL& label, const std::vector<UL>& values) {
  ByteBuffer b;
  b.U32(static_cast<ui32_t>(values.size()));
  b.U32(16);
  for (const UL& v : values) b.Bytes(v);
  return Add(label, b);
}

bool Set::Replace(const UL& label, const ByteBuffer& value) {
  for (Property& p : properties_) {
    if (p.label == label) {
      p.value = value;
      return true;
    }
  }
  return false;
}

ByteBuffer EncodeHeaderMetadata(const std::vector<Set>& sets, const std::vector<UL>& index_labels) {
  std::map<ui16_t, UL> primer;
  std::map<UL, ui16_t> dynamic;
  ui16_t next_dynamic = 0xffff;
  auto tag_of = [&](const UL& label) -> ui16_t {
    ui16_t tag = StaticLocalTag(label);
    if (tag == 0) {
      auto found = dynamic.find(label);
      if (found != dynamic.end()) return found->second;
      tag = next_dynamic--;
      dynamic[label] = tag;
    }
    primer[tag] = label;
    return tag;
  };

  ByteBuffer body;
  for (const Set& set : sets) {
    ByteBuffer value;
    for (const Property& p : set.Properties()) {
      value.U16(tag_of(p.label));
      value.U16(static_cast<ui16_t>(p.value.size()));
      value.Append(p.value);
    }
    body.KLV(set.Key(), value);
  }
  for (const UL& label : index_labels) tag_of(label);

  ByteBuffer primer_value;
  primer_value.U32(static_cast<ui32_t>(primer.size()));
  primer_value.U32(18);
  for (const auto& entry : primer) {
    primer_value.U16(entry.first);
    primer_value.Bytes(entry.second);
  }
  ByteBuffer out;
  out.KLV(Key::Primer, primer_value);
  out.Append(body);
  return out;
}

}  // namespace MXF
}  // namespace ASDCP

namespace ASDCP {
namespace MXF {

ByteBuffer EncodeFixedTagSet(const Set& set) {
  ByteBuffer value;
  for (const Property& p : set.Properties()) {
    value.U16(StaticLocalTag(p.label));
    value.U16(static_cast<ui16_t>(p.value.size()));
    value.Append(p.value);
  }
  ByteBuffer out;
  out.KLV(set.Key(), value);
  return out;
}

}  // namespace MXF
}  // namespace ASDCP
