// Reading a file in binary: open, size, seek, read, close.
#pragma once

#include <cstdio>
#include <string>

#include "platform/asdcp/KM_error.h"
#include "platform/asdcp/KM_types.h"

namespace Kumu {

enum SeekPos_t { SP_BEGIN = SEEK_SET, SP_POS = SEEK_CUR, SP_END = SEEK_END };

class FileReader {
 public:
  FileReader() = default;
  ~FileReader();
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;

  // RESULT_NOT_FOUND when the file is missing, RESULT_FILEOPEN on any other
  // failure, RESULT_STATE when this reader already has a file open.
  Result_t OpenRead(const std::string& filename);
  Result_t Close();
  bool IsOpen() const { return file_ != nullptr; }
  // The size of the open file, 0 when none is open.
  fpos_t Size() const;
  Result_t Seek(fpos_t position, SeekPos_t whence = SP_BEGIN);
  Result_t Tell(fpos_t* position) const;
  // Reads up to buf_len bytes; the count read goes to read_count when given.
  // A read that gets nothing at the end of the file gives RESULT_ENDOFFILE.
  Result_t Read(byte_t* buf, ui32_t buf_len, ui32_t* read_count = nullptr);

 private:
  std::FILE* file_ = nullptr;
};

}  // namespace Kumu
