// Frame buffering behind the AddFrame callback (declared with the other
// callbacks): each rendered frame is converted into the next free encoding
// slot and handed to the plug-in's encoding threads, one per host worker
// thread, while the host's thread goes on with the next frames; encoded
// frames are written to the picture track file in frame order as they are
// done, and when every slot is taken the host's thread waits for the oldest.
// A failure found this way is returned by the AddFrame or EndAdding call that
// finds it.
#pragma once

#include "platform/aesdk/aeio_module.h"

struct OutputOptions;

// The encoding of one slot: call i encodes slot i when it holds a frame.
// 0, or 512 when the encode failed.
A_Err thread_func(void* refconPV, A_long thread_indexL, A_long i, A_long iterationsL);

// Waits for the frames still being encoded, writes every frame held, in
// order, and ends the encoding threads; every slot is unlocked then. A frame
// whose encode failed (a failure an earlier call returned has been tried
// again) and the frames after it are not written, and that error is
// returned; the first failed write stops the writing with 9997.
A_Err EncodeBufferedFrames(AEIO_BasicData* basic, OutputOptions& options);

// The same for a render that never reached its end, before its track file is
// closed: its frames are written to it.
void FinishEncodingLeftOpen(AEIO_BasicData* basic);
