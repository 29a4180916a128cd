// SHA-1 digests of asset files as Base64 text, read in 2 MB chunks.
#pragma once

#include <cstdint>
#include <functional>

struct DcpCompositionInfo;

constexpr uint32_t kDigestChunkSize = 0x200000;  // 2 MB
constexpr int kDigestTextSize = 64;              // room for the 28 characters and the zero

// Called after each chunk is read, before it is digested, with the bytes
// read so far and the file's size; returning false stops the digest, which
// then fails.
using DigestProgress = std::function<bool(uint64_t done, uint64_t size)>;

// The digest of the file at `path`, chunk by chunk, into `digest`
// (kDigestTextSize bytes). `size` is the file's size when `measure` is
// false; when it is true the size is measured and stored there. 0 on
// success; -1 when the file cannot be opened or read, the buffer cannot be
// had, or `progress` stopped it. Nothing is written to `digest` on failure.
int DigestFileInChunks(const char* path, uint64_t* size, bool measure, char* digest, const DigestProgress& progress);

// The digest and the size of any file; 0 or -1.
int HashAssetFile(const char* path, char* digest, uint64_t* size);

// The digest of the written playlist file into `info->cplHash`; the
// length (the text's length) plays no part. 0 or -1.
int HashCplFile(const char* path, uint32_t length, DcpCompositionInfo* info);

// A new zero-terminated Base64 text of the bytes, on one line, owned by the
// caller (free it with free()); nullptr when it cannot be made.
char* Base64Encode(const unsigned char* bytes, int count);
