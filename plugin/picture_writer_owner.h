// Which output's render the picture track-file writer belongs to. There is
// one writer in the process, so one picture track file is open at a time:
// a render start while another output's render writes its file is refused,
// and the frames and the end of a render touch only the file that its own
// start opened. An output is known by its options record, the handle that the
// host keeps for it and hands to every callback of its render.
#pragma once

#include "platform/aesdk/aeio_basic_data.h"
#include "platform/aesdk/mem_handle.h"

// At the top of a render start of the output whose record is `record`. 0, and
// the writer is this record's from now on, when no picture track file is
// open, when this record's own earlier render never reached its end, or when
// the record whose render opened it has been disposed of (that render can no
// longer end): the start then releases what such a render left open. 9993,
// after a message that names the other package, when another output's render
// is writing its track file; nothing of that render is touched.
A_Err TakePictureWriter(AEIO_BasicData* basic, AEIO_Handle record);

// True while a picture track file is open that this record's render opened.
bool HoldsPictureWriter(AEIO_Handle record);

// For a frame or a sound chunk (`what`) of the output whose record is
// `record`: 0 while its render runs (it holds the writer); else 9997 after a
// message that no render of this output is running, and nothing is written.
A_Err RefuseUnlessRendering(AEIO_BasicData* basic, AEIO_Handle record, const char* what);

// The host disposes of an options record: a render of it can never end.
void PictureWriterRecordDisposed(AEIO_Handle record);

// The set-up gives the output a new record in place of `previous`: a render
// of the output stays the output's.
void PictureWriterRecordReplaced(AEIO_Handle previous, AEIO_Handle replacement);
