#include "host/png_frame_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

#include <libdeflate.h>

#include "host/png_row_conversion.h"
#include "host/png_unfilter.h"

namespace lumavox_host {

namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr size_t kHeaderBytes = 8 + 8 + 13 + 4;  // signature, then IHDR with its length, type and CRC

uint32_t Big32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 |
         p[3];
}

bool IsType(const uint8_t* type, const char* name) { return std::memcmp(type, name, 4) == 0; }

std::string TypeName(const uint8_t* type) {
  std::string name;
  for (int k = 0; k < 4; ++k) name += type[k] >= 0x20 && type[k] < 0x7F ? static_cast<char>(type[k]) : '?';
  return name;
}

[[noreturn]] void Damaged(const std::string& path, const std::string& what) {
  throw std::runtime_error("picture '" + path + "' is damaged: " + what);
}

int Channels(int colour_type) { return colour_type == 0 ? 1 : colour_type == 2 ? 3 : colour_type == 4 ? 2 : 4; }

// The header in IHDR's 13 bytes, when it is one of the kind read here.
std::optional<PngHeader> TakenHeader(const uint8_t* ihdr) {
  PngHeader h;
  const uint32_t width = Big32(ihdr), height = Big32(ihdr + 4);
  if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) return std::nullopt;
  h.width = static_cast<int>(width);
  h.height = static_cast<int>(height);
  h.bit_depth = ihdr[8];
  h.colour_type = ihdr[9];
  h.interlaced = ihdr[12] != 0;
  const bool kind = h.colour_type == 0 || h.colour_type == 2 || h.colour_type == 4 || h.colour_type == 6;
  if (!kind || (h.bit_depth != 8 && h.bit_depth != 16) || ihdr[10] != 0 || ihdr[11] != 0 || h.interlaced)
    return std::nullopt;
  return h;
}

// Reads up to `count` bytes from `fd` into `to`; the number read (fewer at
// the file's end or on an error).
size_t ReadUpTo(int fd, uint8_t* to, size_t count) {
  size_t done = 0;
  while (done < count) {
    const ssize_t got = ::read(fd, to + done, count - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<size_t>(got);
  }
  return done;
}

// Reads all of `path` into `bytes`; false when it cannot be read.
bool ReadWholeFile(const std::string& path, FrameBytes& bytes) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st = {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (ok) {
    bytes.clear();  // nothing of the last file is kept when the buffer grows
    bytes.resize(static_cast<size_t>(st.st_size));
    ok = ReadUpTo(fd, bytes.data(), bytes.size()) == bytes.size();
  }
  ::close(fd);
  return ok;
}

}  // namespace

std::optional<PngHeader> ReadPngHeader(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  uint8_t head[kHeaderBytes];
  const size_t done = ReadUpTo(fd, head, sizeof head);
  ::close(fd);
  if (done < sizeof head || std::memcmp(head, kSignature, 8) != 0 || Big32(head + 8) != 13 ||
      !IsType(head + 12, "IHDR") || libdeflate_crc32(0, head + 12, 4 + 13) != Big32(head + 29))
    return std::nullopt;
  return TakenHeader(head + 16);
}

PngFrameReader::PngFrameReader() : inflater_(libdeflate_alloc_decompressor()) {
  if (!inflater_) throw std::bad_alloc();
}

PngFrameReader::~PngFrameReader() { libdeflate_free_decompressor(inflater_); }

bool PngFrameReader::Read(const std::string& path, HostFrame& out) {
  if (!ReadWholeFile(path, file_) || file_.size() < 8 || std::memcmp(file_.data(), kSignature, 8) != 0) return false;
  uint8_t* const bytes = file_.data();
  const size_t size = file_.size();
  // The chunks, each checked against its CRC; the image data is gathered
  // from its chunks to the start of the buffer, behind what has been read.
  std::optional<PngHeader> header;
  size_t data_bytes = 0;
  bool ended = false;
  for (size_t at = 8; !ended;) {
    if (size - at < 12) {
      Damaged(path, at == size ? "it ends before its IEND chunk (the file is cut short)"
                               : "it ends inside a chunk at byte " + std::to_string(at) + " (the file is cut short)");
    }
    const uint32_t length = Big32(bytes + at);
    const uint8_t* type = bytes + at + 4;
    if (length > 0x7FFFFFFF) Damaged(path, "the chunk at byte " + std::to_string(at) + " has an impossible length");
    if (size - at - 12 < length)
      Damaged(path, "its " + TypeName(type) + " chunk at byte " + std::to_string(at) +
                        " runs past the end of the file (the file is cut short)");
    uint8_t* data = bytes + at + 8;
    if (libdeflate_crc32(0, type, 4 + length) != Big32(data + length))
      Damaged(path, "the CRC of its " + TypeName(type) + " chunk at byte " + std::to_string(at) + " does not match");
    if (!header) {
      if (!IsType(type, "IHDR") || length != 13) Damaged(path, "it does not begin with an IHDR chunk");
      header = TakenHeader(data);
      if (!header || header->width != out.width || header->height != out.height) return false;
      // The 16-bit samples FFmpeg's scaler narrows to 8 bits are left to it.
      if (out.depth == 8 && header->bit_depth != 8) return false;
    } else if (IsType(type, "IDAT")) {
      std::memmove(bytes + data_bytes, data, length);
      data_bytes += length;
    } else if (IsType(type, "IEND")) {
      ended = true;
    } else if (IsType(type, "PLTE") || IsType(type, "tRNS") || IsType(type, "acTL") || !(type[0] & 0x20)) {
      return false;  // a palette, a transparent colour, an animation or a chunk that changes what the rest means
    }
    at += 12 + static_cast<size_t>(length);
  }
  if (data_bytes == 0) Damaged(path, "it holds no image data (IDAT)");

  const PngHeader& h = *header;
  const size_t channels = static_cast<size_t>(Channels(h.colour_type));
  const size_t bpp = channels * static_cast<size_t>(h.bit_depth / 8);
  const size_t row_bytes = bpp * static_cast<size_t>(h.width);
  const size_t height = static_cast<size_t>(h.height);
  rows_.resize((row_bytes + 1) * height);
  switch (libdeflate_zlib_decompress(inflater_, bytes, data_bytes, rows_.data(), rows_.size(), nullptr)) {
    case LIBDEFLATE_SUCCESS: break;
    case LIBDEFLATE_SHORT_OUTPUT: Damaged(path, "its image data ends before its last row");
    case LIBDEFLATE_INSUFFICIENT_SPACE:
      Damaged(path, "its image data holds more than its " + std::to_string(h.width) + "x" + std::to_string(h.height) +
                        " pixels");
    default: Damaged(path, "its image data cannot be inflated");
  }
  // Every row's filter type is checked first, so that a damaged file leaves
  // the frame as it was.
  for (size_t y = 0; y < height; ++y)
    if (rows_[y * (row_bytes + 1)] > 4)
      Damaged(path,
              "row " + std::to_string(y) + " has an unknown filter type " + std::to_string(rows_[y * (row_bytes + 1)]));
  zero_row_.assign(row_bytes, 0);
  const uint8_t* above = zero_row_.data();
  for (size_t y = 0; y < height; ++y) {
    uint8_t* row = rows_.data() + y * (row_bytes + 1);
    UnfilterPngRow(row[0], row + 1, above, row_bytes, bpp);
    above = row + 1;
    ConvertPngRow(above, out.Row(static_cast<int>(y)), h.width, static_cast<int>(channels), h.bit_depth, out.depth);
  }
  return true;
}

}  // namespace lumavox_host
