#include "package/asset_digest.h"

#include <openssl/bio.h>
#include <openssl/buffer.h>
#include <openssl/evp.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "plugin/composition_info.h"

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { (void)std::fclose(f); }  // read only: nothing to lose
};
struct DigestContextFree {
  void operator()(EVP_MD_CTX* c) const { EVP_MD_CTX_free(c); }
};

}  // namespace

int DigestFileInChunks(const char* path, uint64_t* size, bool measure, char* digest, const DigestProgress& progress) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path, "rb"));
  if (!file) return -1;
  std::unique_ptr<unsigned char[]> chunk(new (std::nothrow) unsigned char[kDigestChunkSize]);
  std::unique_ptr<EVP_MD_CTX, DigestContextFree> context(EVP_MD_CTX_new());
  if (!chunk || !context || EVP_DigestInit_ex(context.get(), EVP_sha1(), nullptr) != 1) return -1;

  if (measure) {
    if (fseeko(file.get(), 0, SEEK_END) != 0) return -1;
    const off_t end = ftello(file.get());
    if (end < 0 || fseeko(file.get(), 0, SEEK_SET) != 0) return -1;
    *size = static_cast<uint64_t>(end);
  }

  uint64_t done = 0;
  for (;;) {
    const size_t got = std::fread(chunk.get(), 1, kDigestChunkSize, file.get());
    // A read error ends the digest as a failure; only the end of the file
    // ends it as a success.
    if (got < kDigestChunkSize && std::ferror(file.get())) return -1;
    done += got;
    if (progress && !progress(done, *size)) return -1;
    if (EVP_DigestUpdate(context.get(), chunk.get(), got) != 1) return -1;
    if (got < kDigestChunkSize) break;
  }

  unsigned char sha[EVP_MAX_MD_SIZE];
  unsigned int shaLength = 0;
  if (EVP_DigestFinal_ex(context.get(), sha, &shaLength) != 1) return -1;
  char* text = Base64Encode(sha, static_cast<int>(shaLength));
  if (text == nullptr) return -1;
  std::snprintf(digest, kDigestTextSize, "%s", text);
  std::free(text);
  return 0;
}

int HashAssetFile(const char* path, char* digest, uint64_t* size) {
  uint64_t measured = 0;
  char text[kDigestTextSize];
  if (DigestFileInChunks(path, &measured, true, text, nullptr) != 0) return -1;
  std::memcpy(digest, text, sizeof text);
  *size = measured;
  return 0;
}

int HashCplFile(const char* path, uint32_t length, DcpCompositionInfo* info) {
  (void)length;
  uint64_t measured = 0;
  return DigestFileInChunks(path, &measured, true, info->cplHash, nullptr);
}

char* Base64Encode(const unsigned char* bytes, int count) {
  BIO* base64 = BIO_new(BIO_f_base64());
  BIO* sink = BIO_new(BIO_s_mem());
  if (base64 == nullptr || sink == nullptr) {
    BIO_free(base64);
    BIO_free(sink);
    return nullptr;
  }
  BIO* chain = BIO_push(base64, sink);
  char* text = nullptr;
  if (BIO_write(chain, bytes, count) == count && BIO_flush(chain) == 1) {
    BUF_MEM* encoded = nullptr;
    BIO_get_mem_ptr(chain, &encoded);
    if (encoded != nullptr) {
      size_t length = encoded->length;
      if (length > 0 && encoded->data[length - 1] == '\n') --length;  // the filter's last line feed
      text = static_cast<char*>(std::malloc(length + 1));
      if (text != nullptr) {
        std::memcpy(text, encoded->data, length);
        text[length] = '\0';
      }
    }
  }
  BIO_free_all(chain);
  return text;
}
