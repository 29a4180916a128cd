// Reading UTF-8 by its rules: which bytes make a well-formed character, and
// whether a whole text is made of them.
#pragma once

#include <cstddef>
#include <cstdint>

// The length of the well-formed UTF-8 sequence at `s` (`n` bytes available,
// at least 1), with its code point in `codePoint`; 0 when the bytes there
// begin none: a continuation byte, a lead byte without all of its
// continuation bytes, an overlong form, a surrogate or a code point beyond
// U+10FFFF.
size_t DecodeUtf8(const unsigned char* s, size_t n, uint32_t* codePoint);

// Whether the `length` bytes of `text` are well-formed UTF-8 throughout.
bool IsWellFormedUtf8(const char* text, size_t length);
