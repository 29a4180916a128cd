// The packet-header bit writer with 0xFF bit stuffing.

#include "encoder/j2k/bio.h"

#include <cstdlib>

opj_bio* bio_create() { return static_cast<opj_bio*>(std::calloc(1, sizeof(opj_bio))); }

void bio_destroy(opj_bio* bio) { std::free(bio); }

int bio_numbytes(const opj_bio* bio) { return static_cast<int>(bio->bp - bio->start); }

void bio_init_enc(opj_bio* bio, uint8_t* bp, int len) {
  bio->start = bp;
  bio->bp = bp;
  bio->end = len > 0 ? bp + len : bp;
  bio->buf = 0;
  bio->ct = 8;
}

int bio_byteout(opj_bio* bio) {
  bio->buf = (bio->buf << 8) & 0xFFFF;
  // A completed 0xFF leaves only 7 bits for the next byte.
  bio->ct = bio->buf == 0xFF00 ? 7 : 8;
  if (bio->bp >= bio->end) return 1;
  *bio->bp++ = static_cast<uint8_t>(bio->buf >> 8);
  return 0;
}

int bio_flush(opj_bio* bio) {
  bio->ct = 0;
  if (bio_byteout(bio)) return 1;
  if (bio->ct == 7) {  // the pending byte was 0xFF: never end on it
    bio->ct = 0;
    if (bio_byteout(bio)) return 1;
  }
  return 0;
}
