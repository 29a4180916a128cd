#pragma once
// The packet-header bit writer: bits fill each byte from the top down, and a
// byte after 0xFF carries only 7 bits (its top bit is 0).

#include <cstdint>

struct opj_bio {
  uint8_t* start;  // first byte of the range
  uint8_t* end;    // one past the last usable byte
  uint8_t* bp;     // current byte position
  uint32_t buf;    // bit buffer; only the low 16 bits are used
  int ct;          // free bit positions in the current byte
};

opj_bio* bio_create();
void bio_destroy(opj_bio* bio);  // accepts null
// Bytes emitted so far.
int bio_numbytes(const opj_bio* bio);
// Starts writing at bp with room for len bytes; len <= 0 makes every byte fail.
void bio_init_enc(opj_bio* bio, uint8_t* bp, int len);
// Completes the current byte; returns 1 when the range is exhausted, else 0.
int bio_byteout(opj_bio* bio);

// One bit. When the current byte is full it is emitted first; a failure to
// store it shows only at the flush.
inline void bio_putbit(opj_bio* bio, int b) {
  if (bio->ct == 0) bio_byteout(bio);
  bio->ct--;
  bio->buf |= static_cast<uint32_t>(b & 1) << bio->ct;
}

// Writes the low n bits of v, most significant first: the same as n calls of
// bio_putbit, done as many bits at a time as fit in the current byte.
inline void bio_write(opj_bio* bio, int v, int n) {
  while (n > 0) {
    if (bio->ct == 0) bio_byteout(bio);
    const int k = n < bio->ct ? n : bio->ct;
    const uint32_t bits = (static_cast<uint32_t>(v) >> (n - k)) & ((1u << k) - 1u);
    bio->ct -= k;
    bio->buf |= bits << bio->ct;
    n -= k;
  }
}
// Stores the pending byte (and a 0x00 after a final 0xFF); 1 when it did not fit.
int bio_flush(opj_bio* bio);
