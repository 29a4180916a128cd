// Texts cut to fit a bounded field or buffer, on character boundaries: a text
// is UTF-8, and a cut inside a character would leave a broken one at its end.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>

// The length of the longest start of `text` (`length` bytes) that is at most
// `limit` bytes long and does not end inside a UTF-8 character: `length`
// when the text fits, else `limit` moved back to the start of the character
// that crosses it. Bytes that are not UTF-8 count as characters of their own.
size_t Utf8CutLength(const char* text, size_t length, size_t limit);

// Copies the zero-terminated `text` into `to` (`size` bytes, at least 1),
// with its terminating zero, cut on a character boundary when it does not
// fit. Returns the length copied.
size_t CopyTextCut(char* to, size_t size, const char* text);

// `text` cut on a character boundary to at most `limit` bytes.
std::string TextCut(const std::string& text, size_t limit);

// Formats into `to` (`size` bytes, at least 1) as snprintf does; a text that
// does not fit is cut on a character boundary. False when it was cut.
bool FormatTextCut(char* to, size_t size, const char* format, ...) __attribute__((format(printf, 3, 4)));
bool FormatTextCutV(char* to, size_t size, const char* format, va_list args) __attribute__((format(printf, 3, 0)));
