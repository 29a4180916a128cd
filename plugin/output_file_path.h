// The output file path of a render as 8-bit text (UTF-8).
#pragma once

#include <string>

#include "platform/aesdk/aeio_basic_data.h"
#include "platform/aesdk/mem_handle.h"

class SuiteHandler;

constexpr int kOutputPathSize = 260;

// Converts the zero-terminated UTF-16 text of the handle into `destination`
// (kOutputPathSize bytes). False, with `destination` empty, when the handle is
// null or cannot be locked, when the text is not valid UTF-16, or when its
// UTF-8 form and terminating zero do not fit.
bool MemHandleToUtf8(SuiteHandler& suites, AEGP_MemHandle handle, char* destination);

// Asks the host for the output file path of the output and converts it into
// `destination` (kOutputPathSize bytes). The host's result, or 0; `converted`
// tells whether the path arrived whole. When it did not because it is too
// long (kOutputPathSize bytes or more in UTF-8), `tooLong` (when given) gets
// the whole path; else it is emptied.
A_Err GetOutputFilePath(SuiteHandler& suites, AEIO_OutSpecH outH, char* destination, bool* converted,
                        std::string* tooLong = nullptr);
