// Frame buffering behind the AddFrame callback (declared with the other
// callbacks): rendered frames are converted into the encoding slots as they
// come; when every slot holds a frame, or the last frame has
// come, the host's worker threads encode all of them at once and the
// codestreams are written to the picture track file in frame order.
#pragma once

#include "platform/aesdk/aeio_module.h"

class SuiteHandler;
struct OutputOptions;

// The worker of an encoding batch: call i encodes slot i when it holds a frame.
// 0, or 512 when the encode failed.
A_Err thread_func(void* refconPV, A_long thread_indexL, A_long i, A_long iterationsL);

// Encodes the frames buffered in the slots on the host's worker threads and
// writes them in order. Nothing is written when an encode fails (the frames
// stay buffered); the first failed write stops the writing with 9997.
A_Err EncodeBufferedFrames(AEIO_BasicData* basic, SuiteHandler& suites, OutputOptions& options);
