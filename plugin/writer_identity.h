// The identification stamped into every track file the module writes:
// company "Quorix", product "Lumavox", the track-file library's version and
// one fixed product UUID. Built once at load, never changed; each writer
// takes a copy and sets on it what belongs to one file.
#pragma once

#include "platform/asdcp/AS_DCP_writer_info.h"

// The product UUID, the same in every file.
extern const Kumu::byte_t kLumavoxProductUUID[16];

// What the library's constructor gives, with the product UUID, company,
// product and version set.
ASDCP::WriterInfo BuildOutputWriterInfo();

// The instance the picture path copies.
extern const ASDCP::WriterInfo OutputWriterInfo;
// The instance the sound and subtitle track-file writers copy.
extern const ASDCP::WriterInfo PackageWriterInfo;
