#include "package/wav_file_check.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr size_t kBytesLooked = 19000;
constexpr size_t kFormatRecordSize = 24;

// The 24 bytes from the "fmt " id on, as they stand in the file.
struct FormatRecord {
  int32_t tag = 0;
  uint32_t length = 0;
  int16_t format_tag = 0;
  int16_t channels = 0;
  uint32_t sample_rate = 0;
  uint32_t bytes_per_second = 0;
  int16_t block_align = 0;
  int16_t bits_per_sample = 0;
};

uint32_t GetU32(const uint8_t* at) {
  return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}

int16_t GetI16(const uint8_t* at) { return static_cast<int16_t>(uint16_t(at[0]) | uint16_t(at[1]) << 8); }

// The first position at or after `from` where the four bytes stand, or
// `size` when they do not.
size_t Find(const uint8_t* bytes, size_t size, size_t from, const char* four) {
  for (size_t i = from; i + 4 <= size; ++i)
    if (std::memcmp(bytes + i, four, 4) == 0) return i;
  return size;
}

// A record cut off by the end of the bytes read has its missing fields 0.
FormatRecord ReadFormatRecord(const uint8_t* bytes, size_t size, size_t at) {
  uint8_t raw[kFormatRecordSize] = {};
  std::memcpy(raw, bytes + at, size - at < kFormatRecordSize ? size - at : kFormatRecordSize);
  FormatRecord r;
  r.tag = static_cast<int32_t>(GetU32(raw + 0));
  r.length = GetU32(raw + 4);
  r.format_tag = GetI16(raw + 8);
  r.channels = GetI16(raw + 10);
  r.sample_rate = GetU32(raw + 12);
  r.bytes_per_second = GetU32(raw + 16);
  r.block_align = GetI16(raw + 20);
  r.bits_per_sample = GetI16(raw + 22);
  return r;
}

void SetMessage(char* message, const char* text) { std::snprintf(message, kWavCheckMessageSize, "%s", text); }

}  // namespace

int FileExists(const char* path) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return 0;
  (void)std::fclose(file);  // opened only to see that it can be read
  return 1;
}

int16_t CheckWavFile(const char* path, char* message, uint32_t* length_frames, uint32_t frame_rate) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) {
    std::printf("Error in opening the file!\n");
    return -1;
  }
  std::vector<uint8_t> bytes(kBytesLooked);
  const size_t size = std::fread(bytes.data(), 1, bytes.size(), file);

  const size_t fmt_at = Find(bytes.data(), size, 0, "fmt ");
  const bool have_format = fmt_at < size;
  FormatRecord format;
  if (have_format) {
    format = ReadFormatRecord(bytes.data(), size, fmt_at);
    std::printf("fmt found!\n");
    std::printf(
        "Tag: %d\nLenght: %d\nFormat Tag: %d\nNum Channels: %d\nSample Rate: %d\nBytes per Sec: %d\n"
        "Bytes per sample: %d\nBits per Sample: %d\n\n",
        format.tag, static_cast<int>(format.length), format.format_tag, format.channels,
        static_cast<int>(format.sample_rate), static_cast<int>(format.bytes_per_second), format.block_align,
        format.bits_per_sample);

    const size_t data_at = Find(bytes.data(), size, fmt_at, "data");
    if (data_at + 8 <= size) {
      const uint32_t data_length = GetU32(bytes.data() + data_at + 4);
      const auto bytes_per_second = static_cast<int32_t>(format.bytes_per_second);
      // A byte rate of 0 (or one past the signed range) measures nothing;
      // such a file is refused below.
      if (bytes_per_second > 0) {
        const float seconds = static_cast<float>(data_length) / static_cast<float>(bytes_per_second);
        const float frames = seconds * static_cast<float>(static_cast<int32_t>(frame_rate));
        // A byte rate far below the data's size gives a length that no frame
        // count holds: like a missing data chunk, it is not written.
        if (frames >= 0.0f && frames < 4294967296.0f) *length_frames = static_cast<uint32_t>(frames);
      }
      std::printf("data part i wav-file found!\n");
      std::printf("wavelen in data part: %ld\n\n", static_cast<long>(data_length));
    }
  }
  (void)std::fclose(file);  // read only

  if (!have_format) {
    SetMessage(message, "Unsupported WAVE file - No format chunk found");
    return -1;
  }
  if (format.channels != 1) {
    SetMessage(message, "Unsupported WAVE file - Channels must be 1");
    return -1;
  }
  if (format.format_tag != 1 && format.format_tag != -2) {
    SetMessage(message, "Unsupported WAVE file - Must be an Signed Integer PCM");
    return -1;
  }
  if (format.sample_rate != 48000 && format.sample_rate != 96000) {
    SetMessage(message, "Unsupported WAVE file - Sample rate has to be 48/96 khz");
    return -1;
  }
  if (format.bits_per_sample != 24) {
    SetMessage(message, "Unsupported WAVE file - Bit depth must be 24");
    return -1;
  }
  if (static_cast<int32_t>(format.bytes_per_second) <= 0) {
    SetMessage(message, "Unsupported WAVE file - Bytes per second must not be 0");
    return -1;
  }
  message[0] = '\0';
  return 0;
}
