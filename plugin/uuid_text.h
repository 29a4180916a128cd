// A fresh random UUID as text: 36 characters of lower-case hexadecimal in the
// groups 8-4-4-4-12 separated by dashes, in a 64-byte field.
#pragma once

constexpr int kUuidTextSize = 64;

void MakeUUIDText(char* destination);
