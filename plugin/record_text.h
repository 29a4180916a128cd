// Texts of the options record as documents and paths may carry them: the
// stored bytes of a field are read no further than the field, and what is not
// a printable character of valid UTF-8 becomes U+FFFD.
#pragma once

#include <cstddef>

// Copies the text of the field `from` (`fromSize` bytes; it ends at its first
// zero or at the field's end) into `to` (`toSize` bytes, at least 1) with its
// terminating zero: control characters (C0, DEL, C1), the two non-characters
// U+FFFE and U+FFFF and every byte that does not begin a well-formed UTF-8
// sequence are replaced by U+FFFD; the text is cut before the first character
// that would not fit, never inside one. `to` and `from` may be the same field.
// Returns the length written.
size_t CopyRecordText(char* to, size_t toSize, const char* from, size_t fromSize);

template <size_t N>
void CleanRecordText(char (&field)[N]) {
  CopyRecordText(field, N, field, N);
}
