// The text a date picker shows: a date written in a display format.
// Internal to this layer.
#pragma once

#include <string>

namespace win_internal {

// Writes the date in `format`: "yyyy" the year, "yy" its last two digits,
// "MM"/"M" the month with/without a leading zero, "dd"/"d" the day alike;
// text in single quotes and every other character stand as they are.
std::string FormatDate(const std::string& format, int year, int month, int day);
// Today's date on this machine's clock.
void Today(int* year, int* month, int* day);
// The format of a picker that was given none: the short date.
inline const char* DefaultDateFormat() { return "M/d/yyyy"; }

}  // namespace win_internal
