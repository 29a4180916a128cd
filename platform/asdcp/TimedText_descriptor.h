// What a timed-text track file holds: the document's identity, edit rate,
// length, namespace and language, and the ancillary resources (fonts,
// images) that go with it.
#pragma once

#include <list>
#include <string>

#include "platform/asdcp/AS_DCP_rational.h"
#include "platform/asdcp/KM_types.h"
#include "platform/asdcp/KM_uuid.h"

namespace ASDCP {
namespace TimedText {

enum MIMEType_t {
  MT_BIN,       // anything else
  MT_PNG,       // a subtitle image
  MT_OPENTYPE,  // a font
};

// The MIME type text that names a resource of this kind.
const char* MIME2str(MIMEType_t type);

struct TimedTextResourceDescriptor {
  byte_t ResourceID[Kumu::UUID::ValueSize] = {};
  MIMEType_t Type = MT_BIN;
};

typedef std::list<TimedTextResourceDescriptor> ResourceList_t;

struct TimedTextDescriptor {
  Rational EditRate;
  ui32_t ContainerDuration = 0;                // edit units up to the last subtitle's end
  byte_t AssetID[Kumu::UUID::ValueSize] = {};  // the document's own Id
  std::string NamespaceName;                   // the namespace of the document's root element
  std::string EncodingName;
  ResourceList_t ResourceList;  // in the order the document names them, each once
  std::string RFC5646LanguageTagList;
};

}  // namespace TimedText
}  // namespace ASDCP
