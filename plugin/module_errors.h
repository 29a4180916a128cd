// The output module's own error codes, returned to the host beside the host's
// errors.
#pragma once

#include "platform/aesdk/ae_errors.h"

enum : A_Err {
  kErrEncodeFailed = 512,           // a thread_func encode failed (to the iterate suite)
  kErrOpenPictureTrack = 9986,      // opening the picture track file failed
  kErrFinalizePictureTrack = 9988,  // finalising the picture track file failed
  kErrNotSupported = 9992,          // a callback the module does not support
  kErrStartCheck = 9993,            // a render-start check failed
  kErrUnsupportedOutput = 9995,     // unsupported size, rate, depth, or a failed encoder set-up
  kErrWrite = 9997,                 // writing a frame, the sound or the documents failed, or no package can be made
};
