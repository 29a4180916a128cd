#include "platform/asdcp/KM_timestamp.h"

#include <cstdio>
#include <ctime>

namespace Kumu {

Timestamp::Timestamp() : Year(1970), Month(1), Day(1), Hour(0), Minute(0), Second(0) {
  std::time_t now = std::time(nullptr);
  std::tm utc;
  if (gmtime_r(&now, &utc) == nullptr) return;
  Year = static_cast<ui16_t>(utc.tm_year + 1900);
  Month = static_cast<ui8_t>(utc.tm_mon + 1);
  Day = static_cast<ui8_t>(utc.tm_mday);
  Hour = static_cast<ui8_t>(utc.tm_hour);
  Minute = static_cast<ui8_t>(utc.tm_min);
  Second = static_cast<ui8_t>(utc.tm_sec);
}

Timestamp::Timestamp(ui16_t year, ui8_t month, ui8_t day, ui8_t hour, ui8_t minute, ui8_t second)
    : Year(year), Month(month), Day(day), Hour(hour), Minute(minute), Second(second) {}

const char* Timestamp::EncodeString(char* buf, ui32_t buf_len) const {
  if (buf == nullptr || buf_len < TextSize) return nullptr;
  std::snprintf(buf, buf_len, "%04u-%02u-%02uT%02u:%02u:%02u+00:00", unsigned(Year % 10000), unsigned(Month % 100),
                unsigned(Day % 100), unsigned(Hour % 100), unsigned(Minute % 100), unsigned(Second % 100));
  return buf;
}

}  // namespace Kumu
