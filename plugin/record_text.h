// Texts and paths of the options record: the stored bytes of a field are
// read no further than the field. A text goes into documents, so what is not
// a printable character of valid UTF-8 becomes U+FFFD; a path names the
// user's file as the user chose it, so it is carried byte for byte.
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

// Copies the path of the field `from` (`fromSize` bytes; it ends at its first
// zero or at the field's end) into `to` (`toSize` bytes, at least 1) byte for
// byte, with its terminating zero; a path that does not fit is cut at
// `toSize` - 1 bytes. `to` and `from` may be the same field. Returns the
// length written.
size_t CopyRecordPath(char* to, size_t toSize, const char* from, size_t fromSize);

// The path of the field ends within it.
template <size_t N>
void EndRecordPath(char (&field)[N]) {
  CopyRecordPath(field, N, field, N);
}
