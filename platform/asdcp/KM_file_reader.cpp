#include "platform/asdcp/KM_file_reader.h"

#include <sys/stat.h>

#include <cerrno>

namespace Kumu {

FileReader::~FileReader() { Close(); }

Result_t FileReader::OpenRead(const std::string& filename) {
  if (file_ != nullptr) return RESULT_STATE;
  if (filename.empty()) return RESULT_NULL_STR;
  struct stat info;
  if (stat(filename.c_str(), &info) != 0) return errno == ENOENT ? RESULT_NOT_FOUND : RESULT_FILEOPEN;
  if (S_ISDIR(info.st_mode)) return RESULT_FILEOPEN;
  file_ = std::fopen(filename.c_str(), "rb");
  return file_ != nullptr ? RESULT_OK : RESULT_FILEOPEN;
}

Result_t FileReader::Close() {
  if (file_ == nullptr) return RESULT_FALSE;
  int status = std::fclose(file_);
  file_ = nullptr;
  return status == 0 ? RESULT_OK : RESULT_FAIL;
}

fpos_t FileReader::Size() const {
  if (file_ == nullptr) return 0;
  struct stat info;
  if (fstat(fileno(file_), &info) != 0) return 0;
  return static_cast<fpos_t>(info.st_size);
}

Result_t FileReader::Seek(fpos_t position, SeekPos_t whence) {
  if (file_ == nullptr) return RESULT_INIT;
  return fseeko(file_, static_cast<off_t>(position), whence) == 0 ? RESULT_OK : RESULT_BADSEEK;
}

Result_t FileReader::Tell(fpos_t* position) const {
  if (position == nullptr) return RESULT_PTR;
  if (file_ == nullptr) return RESULT_INIT;
  off_t here = ftello(file_);
  if (here < 0) return RESULT_BADSEEK;
  *position = static_cast<fpos_t>(here);
  return RESULT_OK;
}

Result_t FileReader::Read(byte_t* buf, ui32_t buf_len, ui32_t* read_count) {
  if (read_count != nullptr) *read_count = 0;
  if (buf == nullptr) return RESULT_PTR;
  if (file_ == nullptr) return RESULT_INIT;
  size_t got = std::fread(buf, 1, buf_len, file_);
  if (read_count != nullptr) *read_count = static_cast<ui32_t>(got);
  if (got == 0 && buf_len > 0) return std::ferror(file_) ? RESULT_READFAIL : RESULT_ENDOFFILE;
  return RESULT_OK;
}

}  // namespace Kumu
