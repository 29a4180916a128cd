#include "platform/asdcp/KM_file_writer.h"

namespace Kumu {

FileWriter::~FileWriter() { Close(); }

Result_t FileWriter::OpenWrite(const std::string& filename) {
  if (file_ != nullptr) return RESULT_STATE;
  if (filename.empty()) return RESULT_NULL_STR;
  file_ = std::fopen(filename.c_str(), "wb");
  return file_ != nullptr ? RESULT_OK : RESULT_FILEOPEN;
}

Result_t FileWriter::Close() {
  if (file_ == nullptr) return RESULT_FALSE;
  int status = std::fclose(file_);
  file_ = nullptr;
  return status == 0 ? RESULT_OK : RESULT_WRITEFAIL;
}

Result_t FileWriter::Seek(fpos_t position, SeekPos_t whence) {
  if (file_ == nullptr) return RESULT_INIT;
  return fseeko(file_, static_cast<off_t>(position), whence) == 0 ? RESULT_OK : RESULT_BADSEEK;
}

Result_t FileWriter::Tell(fpos_t* position) const {
  if (position == nullptr) return RESULT_PTR;
  if (file_ == nullptr) return RESULT_INIT;
  off_t here = ftello(file_);
  if (here < 0) return RESULT_BADSEEK;
  *position = static_cast<fpos_t>(here);
  return RESULT_OK;
}

Result_t FileWriter::Write(const byte_t* buf, ui32_t buf_len, ui32_t* write_count) {
  if (write_count != nullptr) *write_count = 0;
  if (buf == nullptr && buf_len > 0) return RESULT_PTR;
  if (file_ == nullptr) return RESULT_INIT;
  size_t done = buf_len > 0 ? std::fwrite(buf, 1, buf_len, file_) : 0;
  if (write_count != nullptr) *write_count = static_cast<ui32_t>(done);
  return done == buf_len ? RESULT_OK : RESULT_WRITEFAIL;
}

}  // namespace Kumu
