#include "plugin/uuid_text.h"

#include <cstring>

#include "platform/asdcp/KM_uuid.h"

void MakeUUIDText(char* destination) {
  Kumu::byte_t value[Kumu::UUID::ValueSize];
  Kumu::GenRandomUUID(value);
  char text[kUuidTextSize] = {};
  Kumu::UUID(value).EncodeHex(text, sizeof text);
  std::memcpy(destination, text, sizeof text);
}
