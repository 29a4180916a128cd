// Writing a file in binary: create (or truncate), write, seek back to
// rewrite, close.
#pragma once

#include <cstdio>
#include <string>

#include "platform/asdcp/KM_error.h"
#include "platform/asdcp/KM_file_reader.h"
#include "platform/asdcp/KM_types.h"

namespace Kumu {

class FileWriter {
 public:
  FileWriter() = default;
  ~FileWriter();
  FileWriter(const FileWriter&) = delete;
  FileWriter& operator=(const FileWriter&) = delete;

  // Creates the file or empties an existing one. RESULT_FILEOPEN when it
  // cannot be created, RESULT_STATE when this writer already has a file open.
  Result_t OpenWrite(const std::string& filename);
  // Flushes and closes; RESULT_WRITEFAIL when buffered data could not reach
  // the file.
  Result_t Close();
  bool IsOpen() const { return file_ != nullptr; }
  Result_t Seek(fpos_t position, SeekPos_t whence = SP_BEGIN);
  Result_t Tell(fpos_t* position) const;
  // Writes all buf_len bytes or fails with RESULT_WRITEFAIL; the count
  // written goes to write_count when given.
  Result_t Write(const byte_t* buf, ui32_t buf_len, ui32_t* write_count = nullptr);

 private:
  std::FILE* file_ = nullptr;
};

}  // namespace Kumu
