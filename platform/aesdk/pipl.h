// The plug-in declaration resource (type "PIPL"), which the host reads before
// it loads a plug-in: a version, a list version and a list of properties, each
// a vendor code, a key, an id and its data. Kept as data so that it can be
// checked, and written out in the resource's byte form.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/aesdk/ae_types.h"

struct PiPLProperty {
  A_u_long vendor;  // four-character codes as 32-bit numbers
  A_u_long key;
  A_long id;
  std::vector<uint8_t> data;
};

struct PiPLResource {
  A_u_long type;  // AE_FourCC("PIPL")
  A_short resource_id;
  A_short version;
  A_long list_version;
  std::vector<PiPLProperty> properties;

  // The first property with this key, or null.
  const PiPLProperty* Find(A_u_long key) const;
};

// Property data in the resource's forms.
std::vector<uint8_t> PiPLLengthPrefixedString(const std::string& text);  // length byte, then the text
std::vector<uint8_t> PiPLZeroTerminatedString(const std::string& text);
std::vector<uint8_t> PiPLLong(A_u_long value);  // 4 bytes, little-endian
std::vector<uint8_t> PiPLCode(A_u_long code);   // a four-character code

// The resource in bytes, little-endian: version (16 bits), list version (32),
// property count (32), then per property vendor, key, id, data length (32
// bits each) and the data padded with zeros to a multiple of four bytes.
std::vector<uint8_t> PiPLBytes(const PiPLResource& resource);
