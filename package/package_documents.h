// The package documents driver: measures the picture and sound track files,
// has their digests computed under the progress dialog, then writes the
// composition playlist, the packing list, the asset map and the volume
// index, each only when the step before succeeded.
#pragma once

#include <cstdint>

#include "platform/aesdk/aeio_basic_data.h"
#include "platform/asdcp/KM_error.h"

struct DcpCompositionInfo;

// The package writer's entry at the end of a render: the driver's result.
Kumu::Result_t CreateDcpXml(const AEIO_BasicData* basicData, DcpCompositionInfo* info);
// The driver. Success also after Cancel in the digest dialog (no document
// is written then). A track file that cannot be opened or digested fails it
// with no document written; a document that cannot be written fails it, and
// the documents it wrote before are removed again. Each failure is shown
// through the basic data's message function, naming the file and the
// system's reason.
Kumu::Result_t WriteDcpXml(const AEIO_BasicData* basicData, DcpCompositionInfo* info);
// Writes `length` bytes of `text` to `path`, creating or emptying it.
Kumu::Result_t WriteXmlFile(const char* text, uint32_t length, const char* path);
