// A moment in UTC, to the second, and its text form
// "YYYY-MM-DDThh:mm:ss+00:00".
#pragma once

#include "platform/asdcp/KM_types.h"

namespace Kumu {

class Timestamp {
 public:
  // Text form: 25 characters and the terminating zero.
  static constexpr ui32_t TextSize = 26;

  Timestamp();  // now
  Timestamp(ui16_t year, ui8_t month, ui8_t day, ui8_t hour = 0, ui8_t minute = 0, ui8_t second = 0);

  // Writes the text form into buf and returns buf; nullptr (nothing written)
  // when buf is null or smaller than TextSize.
  const char* EncodeString(char* buf, ui32_t buf_len) const;

  ui16_t Year;
  ui8_t Month;
  ui8_t Day;
  ui8_t Hour;
  ui8_t Minute;
  ui8_t Second;
};

}  // namespace Kumu
