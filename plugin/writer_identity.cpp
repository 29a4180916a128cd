#include "plugin/writer_identity.h"

#include <cstring>

#include "platform/asdcp/AS_DCP_version.h"

const Kumu::byte_t kLumavoxProductUUID[16] = {0x6c, 0x75, 0x6d, 0x61, 0x76, 0x6f, 0x78, 0x2d,
                                              0x51, 0x75, 0x6f, 0x72, 0x69, 0x78, 0x2d, 0x01};

ASDCP::WriterInfo BuildOutputWriterInfo() {
  ASDCP::WriterInfo info;
  std::memcpy(info.ProductUUID, kLumavoxProductUUID, sizeof info.ProductUUID);
  info.CompanyName = "Quorix";
  info.ProductName = "Lumavox";
  info.ProductVersion = ASDCP::Version();
  return info;
}

const ASDCP::WriterInfo OutputWriterInfo = BuildOutputWriterInfo();
const ASDCP::WriterInfo PackageWriterInfo = BuildOutputWriterInfo();
