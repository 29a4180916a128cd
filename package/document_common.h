// What the package documents share: namespaces, file paths, the creator
// text, the issue date, and rendering a tree into its file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/asdcp/KM_error.h"
#include "platform/asdcp/KM_timestamp.h"
#include "platform/asdcp/KM_xml.h"

struct DcpCompositionInfo;

namespace dcp_namespace {
constexpr const char* kXmlSignature = "http://www.w3.org/2000/09/xmldsig#";
constexpr const char* kCplInterop = "http://www.digicine.com/PROTO-ASDCP-CPL-20040511#";
constexpr const char* kCplSmpte = "http://www.smpte-ra.org/schemas/429-7/2006/CPL";
constexpr const char* kStereoInterop = "http://www.digicine.com/schemas/437-Y/2007/Main-Stereo-Picture-CPL";
constexpr const char* kStereoSmpte = "http://www.smpte-ra.org/schemas/429-10/2008/Main-Stereo-Picture-CPL";
constexpr const char* kPklInterop = "http://www.digicine.com/PROTO-ASDCP-PKL-20040311#";
constexpr const char* kPklSmpte = "http://www.smpte-ra.org/schemas/429-8/2007/PKL";
constexpr const char* kAssetMapInterop = "http://www.digicine.com/PROTO-ASDCP-AM-20040311#";
constexpr const char* kAssetMapSmpte = "http://www.smpte-ra.org/schemas/429-9/2007/AM";
constexpr const char* kVolumeIndexInterop = "http://www.digicine.com/PROTO-ASDCP-VL-20040311#";
}  // namespace dcp_namespace

constexpr const char* kUuidPrefix = "urn:uuid:";

bool IsSmpte(const DcpCompositionInfo& info);

// "Lumavox v_1.5.6".
std::string CreatorText();
// "2024-01-31T09:05:07+00:00".
std::string IssueDateText(const Kumu::Timestamp& when);

// The documents' paths in the package folder.
std::string CplPath(const DcpCompositionInfo& info);
std::string PklPath(const DcpCompositionInfo& info);
std::string AssetMapPath(const DcpCompositionInfo& info);
std::string VolumeIndexPath(const DcpCompositionInfo& info);
// A file of the package folder: "folder/name".
std::string PackagePath(const DcpCompositionInfo& info, const std::string& name);
// An Interop subtitle document in the package: "<uuid>/<uuid>.xml".
std::string InteropSubtitleName(const DcpCompositionInfo& info);
// The image files that document (its copy in the package) names, which stand
// beside it; none when it cannot be read.
std::vector<std::string> InteropSubtitleImages(const DcpCompositionInfo& info);

// A document that lists a file whose digest cannot be computed would be
// wrong: its writer notes the file with the system's reason (errno, 0 when
// none was given) and writes nothing. The first file noted is kept.
void NoteUndigestedFile(const std::string& path, int error);
bool UndigestedFileNoted();
// The file noted since the last call (empty when none) and its reason;
// forgets it.
std::string TakeUndigestedFile(int* error);

// Renders the tree (declaration line, two spaces per level, line feeds)
// and writes it to `path` with WriteXmlFile; the rendered length goes to
// `length` when given.
Kumu::Result_t WriteDocument(const Kumu::XMLElement& root, const std::string& path, uint32_t* length = nullptr);
