#include "package/subtitle_images.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cstring>

#include "platform/asdcp/KM_file_reader.h"
#include "platform/asdcp/KM_uuid.h"
#include "platform/asdcp/KM_xml.h"

namespace {

// Documents read here were accepted by the inspection, which takes none this large.
constexpr Kumu::fpos_t kDocumentLimit = 0xA00000;

void Collect(const Kumu::XMLElement& element, std::vector<std::string>* names) {
  if (element.HasName("Image")) {
    const std::string& name = element.GetBody();
    if (std::find(names->begin(), names->end(), name) == names->end()) names->push_back(name);
  }
  for (const Kumu::XMLElement* child : element.GetChildren()) Collect(*child, names);
}

}  // namespace

std::vector<std::string> InteropImageNames(const Kumu::XMLElement& root) {
  std::vector<std::string> names;
  Collect(root, &names);
  return names;
}

bool ReadInteropImageNames(const std::string& documentPath, std::vector<std::string>* names) {
  Kumu::FileReader reader;
  if (KM_FAILURE(reader.OpenRead(documentPath))) return false;
  const Kumu::fpos_t size = reader.Size();
  if (size < 0 || size >= kDocumentLimit) return false;
  std::string text(static_cast<size_t>(size), '\0');
  Kumu::ui32_t got = 0;
  if (size > 0 &&
      (KM_FAILURE(reader.Read(reinterpret_cast<Kumu::byte_t*>(&text[0]), static_cast<Kumu::ui32_t>(size), &got)) ||
       got != static_cast<Kumu::ui32_t>(size))) {
    return false;
  }
  Kumu::XMLElement root("");
  if (!root.ParseString(text)) return false;
  *names = InteropImageNames(root);
  return true;
}

std::string SubtitleImageUuid(const std::string& subtitleUuid, const std::string& name) {
  Kumu::UUID space;
  if (!space.DecodeHex(subtitleUuid.c_str())) return std::string();
  unsigned char sha[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_MD_CTX* context = EVP_MD_CTX_new();
  const bool ok = context != nullptr && EVP_DigestInit_ex(context, EVP_sha1(), nullptr) == 1 &&
                  EVP_DigestUpdate(context, space.Value(), Kumu::UUID::ValueSize) == 1 &&
                  EVP_DigestUpdate(context, name.data(), name.size()) == 1 &&
                  EVP_DigestFinal_ex(context, sha, &length) == 1;
  EVP_MD_CTX_free(context);
  if (!ok || length < Kumu::UUID::ValueSize) return std::string();
  sha[6] = static_cast<unsigned char>((sha[6] & 0x0f) | 0x50);  // version 5
  sha[8] = static_cast<unsigned char>((sha[8] & 0x3f) | 0x80);  // the RFC 4122 variant
  char text[Kumu::UUID::HexTextSize];
  Kumu::UUID(sha).EncodeHex(text, sizeof text);
  return text;
}
