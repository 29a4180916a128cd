// Header metadata: sets of properties keyed by labels, and their coding
// as local sets behind a primer pack that maps the local tags to labels.
#pragma once

#include <string>
#include <vector>

#include "platform/asdcp/AS_DCP_rational.h"
#include "platform/asdcp/KM_timestamp.h"
#include "platform/asdcp/MXF_klv.h"

namespace ASDCP {
namespace MXF {

struct Property {
  UL label;
  ByteBuffer value;
};

class Set {
 public:
  // A set of the given key with a fresh random instance UID as its first
  // property.
  explicit Set(const UL& key);

  const UL& Key() const { return key_; }
  const UUIDValue& InstanceUID() const { return instance_uid_; }
  const std::vector<Property>& Properties() const { return properties_; }

  Set& Add(const UL& label, const ByteBuffer& value);
  Set& U8(const UL& label, ui8_t value);
  Set& U16(const UL& label, ui16_t value);
  Set& U32(const UL& label, ui32_t value);
  Set& U64(const UL& label, ui64_t value);
  Set& Label(const UL& label, const UL& value);
  Set& Ref(const UL& label, const UUIDValue& value);
  Set& Umid(const UL& label, const UMID& value);
  Set& Rate(const UL& label, const Rational& value);
  Set& Date(const UL& label, const Kumu::Timestamp& value);
  Set& Text(const UL& label, const std::string& utf8);
  // A batch: count, item size, items.
  Set& Refs(const UL& label, const std::vector<UUIDValue>& values);
  Set& Labels(const UL& label, const std::vector<UL>& values);
  // Replaces the value of an existing property; false when the set has none.
  bool Replace(const UL& label, const ByteBuffer& value);

 private:
  UL key_;
  UUIDValue instance_uid_;
  std::vector<Property> properties_;
};

UUIDValue RandomUUIDValue();
ByteBuffer DateValue(const Kumu::Timestamp& value);

// The sets in file order, coded with a primer that lists every tag they use
// and those of the index table segments (given by label, fixed tags only).
// Properties without a fixed tag get dynamic tags from 0xffff downwards in
// the order of their first use.
ByteBuffer EncodeHeaderMetadata(const std::vector<Set>& sets, const std::vector<UL>& index_labels);

}  // namespace MXF
}  // namespace ASDCP

namespace ASDCP {
namespace MXF {

// One set coded on its own with fixed tags only (index table segments).
ByteBuffer EncodeFixedTagSet(const Set& set);

}  // namespace MXF
}  // namespace ASDCP
