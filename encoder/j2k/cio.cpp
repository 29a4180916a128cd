// The codestream byte stream writer.

#include "encoder/j2k/cio.h"

#include <cstdio>

int cio_tell(const opj_cio* cio) { return static_cast<int>(cio->bp - cio->start); }

void cio_seek(opj_cio* cio, int pos) { cio->bp = cio->start + pos; }

void cio_skip(opj_cio* cio, int n) { cio->bp += n; }

int cio_numbytesleft(const opj_cio* cio) { return static_cast<int>(cio->end - cio->bp); }

uint8_t* cio_getbp(const opj_cio* cio) { return cio->bp; }

int cio_byteout(opj_cio* cio, uint8_t v) {
  if (cio->bp >= cio->end) {
    std::fputs("write error\n", stderr);
    return 0;
  }
  *cio->bp++ = v;
  return 1;
}

unsigned int cio_write(opj_cio* cio, uint32_t v, int n) {
  for (int i = n - 1; i >= 0; --i) {
    if (!cio_byteout(cio, static_cast<uint8_t>(v >> (i * 8)))) return 0;
  }
  return static_cast<unsigned int>(n);
}
