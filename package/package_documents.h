// The package documents driver: measures the picture and sound track files,
// has their digests computed under the progress dialog, then writes the
// composition playlist, the packing list, the asset map and the volume
// index, each only when the step before succeeded.
#pragma once

#include <cstdint>

#include "platform/aesdk/aeio_basic_data.h"
#include "platform/asdcp/KM_error.h"

struct DcpCompositionInfo;

// The driver's result when the user cancelled the digest dialog: no document
// is written, and the package is not finished.
inline constexpr Kumu::Result_t kDigestsCancelled(-100, "The digests were cancelled: no document was written.");

// The package writer's entry at the end of a render: the driver's result.
Kumu::Result_t CreateDcpXml(const AEIO_BasicData* basicData, DcpCompositionInfo* info);
// The driver. Cancel in the digest dialog gives kDigestsCancelled, with no
// document written. A track file that cannot be opened or digested, or a
// digest dialog that cannot be shown, fails it with no document written; a
// document that cannot be written fails it, and the documents it wrote
// before are removed again. Each failure is shown through the basic data's
// message function, naming the file and the system's reason.
Kumu::Result_t WriteDcpXml(const AEIO_BasicData* basicData, DcpCompositionInfo* info);
// Writes `length` bytes of `text` to `path`, creating or emptying it.
Kumu::Result_t WriteXmlFile(const char* text, uint32_t length, const char* path);
