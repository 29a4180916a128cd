#pragma once
// The byte stream into which one codestream is written. The record and its
// buffer live in host memory handles owned by the output module; the
// pointers are valid while both are locked.

#include <cstdint>

struct opj_cinfo;

enum { OPJ_STREAM_WRITE = 2 };  // the only open mode

struct opj_cio {
  opj_cinfo* cinfo;     // the compressor writing into this stream
  int32_t openmode;     // OPJ_STREAM_WRITE
  uint8_t* buffer;      // the codestream buffer; valid while buffer_handle is locked
  int32_t length;       // buffer size in bytes
  uint8_t* start;       // first byte of the stream (= buffer)
  uint8_t* end;         // one past the last usable byte (= buffer + length)
  uint8_t* bp;          // current write position
  void* buffer_handle;  // host memory handle "cio_bufferH" holding the buffer
};

// Bytes written so far: bp - start.
int cio_tell(const opj_cio* cio);
// Position = start + pos; no bound check.
void cio_seek(opj_cio* cio, int pos);
// Position += n; no bound check.
void cio_skip(opj_cio* cio, int n);
// end - bp.
int cio_numbytesleft(const opj_cio* cio);
// The current write pointer.
uint8_t* cio_getbp(const opj_cio* cio);
// Stores one byte and returns 1; at the end of the buffer prints "write error\n"
// to stderr, stores nothing and returns 0.
int cio_byteout(opj_cio* cio, uint8_t v);
// Writes the low n bytes (1 to 4) of v, most significant first. Returns n, or
// 0 as soon as one byte does not fit (the bytes before it stay written).
unsigned int cio_write(opj_cio* cio, uint32_t v, int n);
