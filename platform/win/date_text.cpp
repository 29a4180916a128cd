#include "platform/win/date_text.h"

#include <cstdio>
#include <ctime>

namespace win_internal {

namespace {

size_t RunLength(const std::string& s, size_t at) {
  size_t n = 1;
  while (at + n < s.size() && s[at + n] == s[at]) ++n;
  return n;
}

std::string Number(int value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*d", digits, value);
  return text;
}

}  // namespace

std::string FormatDate(const std::string& format, int year, int month, int day) {
  std::string out;
  for (size_t i = 0; i < format.size();) {
    const char c = format[i];
    if (c == '\'') {
      size_t end = format.find('\'', i + 1);
      if (end == std::string::npos) end = format.size();
      out += format.substr(i + 1, end - i - 1);
      i = end + 1;
      continue;
    }
    const size_t n = RunLength(format, i);
    if (c == 'y') {
      out += n >= 3 ? Number(year, 4) : Number(year % 100, 2);
    } else if (c == 'M' && n <= 2) {
      out += Number(month, static_cast<int>(n));
    } else if (c == 'd' && n <= 2) {
      out += Number(day, static_cast<int>(n));
    } else {
      out += format.substr(i, n);
    }
    i += n;
  }
  return out;
}

void Today(int* year, int* month, int* day) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  *year = local.tm_year + 1900;
  *month = local.tm_mon + 1;
  *day = local.tm_mday;
}

}  // namespace win_internal
