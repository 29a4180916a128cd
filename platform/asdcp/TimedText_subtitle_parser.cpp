#include "platform/asdcp/TimedText_subtitle_parser.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/asdcp/KM_file_reader.h"
#include "platform/asdcp/KM_uuid.h"
#include "platform/asdcp/KM_xml.h"

namespace ASDCP {
namespace TimedText {

namespace {

// Documents and resources larger than these are refused outright.
constexpr Kumu::fpos_t kMaxDocumentSize = 64 << 20;
constexpr Kumu::fpos_t kMaxResourceSize = 1 << 30;
const char kUUIDPrefix[] = "urn:uuid:";
// Bounds that keep the duration arithmetic within 64 bits.
constexpr ui32_t kMaxHours = 999;
constexpr ui32_t kMaxTimeCodeRate = 1000;

std::string Trim(const std::string& text) {
  const char* space = " \t\r\n";
  size_t first = text.find_first_not_of(space);
  if (first == std::string::npos) return std::string();
  size_t last = text.find_last_not_of(space);
  return text.substr(first, last - first + 1);
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// A UUID given as "urn:uuid:" and its text (the prefix in either case).
bool DecodeURN(const std::string& body, byte_t* out) {
  std::string text = Trim(body);
  const size_t prefix = sizeof(kUUIDPrefix) - 1;
  if (text.size() <= prefix || Lower(text.substr(0, prefix)) != kUUIDPrefix) return false;
  Kumu::UUID id;
  if (!id.DecodeHex(text.c_str() + prefix)) return false;
  std::memcpy(out, id.Value(), Kumu::UUID::ValueSize);
  return true;
}

std::string UUIDText(const byte_t* value) {
  char buf[Kumu::UUID::HexTextSize];
  Kumu::UUID(value).EncodeHex(buf, sizeof(buf));
  return buf;
}

// A positive decimal number of at most nine digits.
bool ParseNumber(const std::string& text, ui32_t* out) {
  if (text.empty() || text.size() > 9) return false;
  ui32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<ui32_t>(c - '0');
  }
  *out = value;
  return true;
}

// "HH:MM:SS:EE", EE counted at the time-code rate, as a count of time-code
// units from zero.
bool ParseTimeCode(const std::string& text, ui32_t rate, ui64_t* units) {
  ui32_t part[4];
  size_t start = 0;
  for (int i = 0; i < 4; ++i) {
    size_t end = i < 3 ? text.find(':', start) : text.size();
    if (end == std::string::npos || !ParseNumber(text.substr(start, end - start), &part[i])) return false;
    start = end + 1;
  }
  if (part[0] > kMaxHours || part[1] > 59 || part[2] > 59 || part[3] >= rate) return false;
  *units = ((static_cast<ui64_t>(part[0]) * 60 + part[1]) * 60 + part[2]) * rate + part[3];
  return true;
}

void AddResource(ResourceList_t& list, const byte_t* id, MIMEType_t type) {
  for (const TimedTextResourceDescriptor& entry : list) {
    if (std::memcmp(entry.ResourceID, id, Kumu::UUID::ValueSize) == 0) return;
  }
  TimedTextResourceDescriptor entry;
  std::memcpy(entry.ResourceID, id, Kumu::UUID::ValueSize);
  entry.Type = type;
  list.push_back(entry);
}

// What the walk over the subtitle elements gathers.
struct Scan {
  const char* filename;
  ui32_t timecode_rate;
  ui64_t last_out = 0;  // time-code units
  ResourceList_t* images;
  bool ok = true;
};

void ScanElements(const Kumu::XMLElement& element, Scan& scan) {
  if (!scan.ok) return;
  if (element.HasName("Subtitle")) {
    const char* out = element.GetAttrWithName("TimeOut");
    ui64_t units = 0;
    if (out == nullptr || !ParseTimeCode(Trim(out), scan.timecode_rate, &units)) {
      std::fprintf(stderr, "Subtitle file %s: a Subtitle has %s TimeOut \"%s\" (HH:MM:SS:EE at %u expected)\n",
                   scan.filename, out == nullptr ? "no" : "the", out == nullptr ? "" : out, scan.timecode_rate);
      scan.ok = false;
      return;
    }
    scan.last_out = std::max(scan.last_out, units);
  } else if (element.HasName("Image")) {
    byte_t id[Kumu::UUID::ValueSize];
    if (!DecodeURN(element.GetBody(), id)) {
      std::fprintf(stderr, "Subtitle file %s: an Image names no resource by \"urn:uuid:\" (\"%s\")\n", scan.filename,
                   Trim(element.GetBody()).c_str());
      scan.ok = false;
      return;
    }
    AddResource(*scan.images, id, MT_PNG);
  }
  for (const Kumu::XMLElement* child : element.GetChildren()) ScanElements(*child, scan);
}

}  // namespace

// The default resolver: files beside the document named by the resource's
// UUID text, without or with an extension ("<uuid>" or "<uuid>.ttf").
class DCSubtitleParser::Resolver : public IResourceResolver {
 public:
  explicit Resolver(const std::string& document) {
    std::filesystem::path folder = std::filesystem::path(document).parent_path();
    folder_ = folder.empty() ? std::filesystem::path(".") : folder;
  }

  std::string Where() const { return folder_.string(); }

  Result_t ResolveRID(const byte_t* uuid, FrameBuffer& fb) const override {
    const std::string name = UUIDText(uuid);
    std::error_code error;
    std::filesystem::path found = folder_ / name;
    if (!std::filesystem::is_regular_file(found, error)) {
      std::vector<std::filesystem::path> candidates;
      std::filesystem::directory_iterator it(folder_, error), end;
      for (; !error && it != end; it.increment(error)) {
        std::string file = Lower(it->path().filename().string());
        if (file.size() > name.size() + 1 && file.compare(0, name.size(), name) == 0 && file[name.size()] == '.' &&
            std::filesystem::is_regular_file(it->path(), error)) {
          candidates.push_back(it->path());
        }
      }
      if (candidates.empty()) return Kumu::RESULT_NOT_FOUND;
      std::sort(candidates.begin(), candidates.end());
      found = candidates.front();
    }
    return ReadWhole(found.string(), fb);
  }

 private:
  static Result_t ReadWhole(const std::string& path, FrameBuffer& fb) {
    Kumu::FileReader reader;
    Result_t result = reader.OpenRead(path);
    if (KM_FAILURE(result)) {
      std::fprintf(stderr, "Subtitle resource %s: cannot open: %s\n", path.c_str(), result.Label());
      return result;
    }
    Kumu::fpos_t size = reader.Size();
    if (size < 0 || size > kMaxResourceSize) {
      std::fprintf(stderr, "Subtitle resource %s: too large (%lld bytes)\n", path.c_str(),
                   static_cast<long long>(size));
      return Kumu::RESULT_ALLOC;
    }
    const ui32_t length = static_cast<ui32_t>(size);
    if (fb.Capacity() < length) {
      if (!fb.OwnsData()) {
        std::fprintf(stderr, "Subtitle resource %s: %u bytes do not fit the buffer of %u\n", path.c_str(), length,
                     fb.Capacity());
        return Kumu::RESULT_SMALLBUF;
      }
      result = fb.Capacity(length);
      if (KM_FAILURE(result)) return result;
    }
    ui32_t got = 0;
    if (length > 0 && (KM_FAILURE(reader.Read(fb.Data(), length, &got)) || got != length)) {
      std::fprintf(stderr, "Subtitle resource %s: read error\n", path.c_str());
      return Kumu::RESULT_READFAIL;
    }
    return fb.Size(length);
  }

  std::filesystem::path folder_;
};

DCSubtitleParser::DCSubtitleParser() = default;
DCSubtitleParser::~DCSubtitleParser() = default;

Result_t DCSubtitleParser::OpenRead(const std::string& filename) {
  open_ = false;
  filename_ = filename;
  document_.clear();
  desc_ = TimedTextDescriptor();
  const char* name = filename.c_str();

  Kumu::FileReader reader;
  Result_t result = reader.OpenRead(filename);
  if (KM_FAILURE(result)) {
    std::fprintf(stderr, "Subtitle file %s: cannot open: %s\n", name,
                 result == Kumu::RESULT_NOT_FOUND ? "no such file" : result.Label());
    return result;
  }
  Kumu::fpos_t size = reader.Size();
  if (size <= 0 || size > kMaxDocumentSize) {
    std::fprintf(stderr, "Subtitle file %s: %s (%lld bytes)\n", name, size <= 0 ? "empty" : "too large",
                 static_cast<long long>(size));
    return Kumu::RESULT_RAW_FORMAT;
  }
  std::string text(static_cast<size_t>(size), '\0');
  ui32_t got = 0;
  if (KM_FAILURE(reader.Read(reinterpret_cast<byte_t*>(&text[0]), static_cast<ui32_t>(size), &got)) ||
      got != static_cast<ui32_t>(size)) {
    std::fprintf(stderr, "Subtitle file %s: read error\n", name);
    return Kumu::RESULT_READFAIL;
  }

  Kumu::XMLElement root("");
  if (!root.ParseString(text)) {
    std::fprintf(stderr, "Subtitle file %s: not a well-formed XML document\n", name);
    return Kumu::RESULT_XML_PARSE;
  }
  if (!root.HasName("SubtitleReel")) {
    std::fprintf(stderr, "Subtitle file %s: the root element is %s, not SubtitleReel\n", name, root.GetName().c_str());
    return Kumu::RESULT_RAW_FORMAT;
  }

  TimedTextDescriptor desc;
  const Kumu::XMLElement* id = root.GetChildWithName("Id");
  if (id == nullptr) {
    std::fprintf(stderr, "Subtitle file %s: the SubtitleReel has no Id\n", name);
    return Kumu::RESULT_RAW_FORMAT;
  }
  if (!DecodeURN(id->GetBody(), desc.AssetID)) {
    std::fprintf(stderr, "Subtitle file %s: the Id \"%s\" is not \"urn:uuid:\" and a UUID\n", name,
                 Trim(id->GetBody()).c_str());
    return Kumu::RESULT_RAW_FORMAT;
  }

  const Kumu::XMLElement* rate = root.GetChildWithName("EditRate");
  std::string rate_text = rate != nullptr ? Trim(rate->GetBody()) : std::string();
  size_t gap = rate_text.find_first_of(" \t\r\n");
  ui32_t numerator = 0, denominator = 0;
  if (gap == std::string::npos || !ParseNumber(rate_text.substr(0, gap), &numerator) ||
      !ParseNumber(Trim(rate_text.substr(gap)), &denominator) || numerator == 0 || denominator == 0) {
    std::fprintf(stderr, "Subtitle file %s: %s EditRate \"%s\" (two positive numbers expected)\n", name,
                 rate == nullptr ? "no" : "the", rate_text.c_str());
    return Kumu::RESULT_RAW_FORMAT;
  }
  desc.EditRate = Rational(static_cast<i32_t>(numerator), static_cast<i32_t>(denominator));

  // Time codes count at TimeCodeRate; without one, at the edit rate.
  ui32_t timecode_rate = (numerator + denominator / 2) / denominator;
  if (const Kumu::XMLElement* tcr = root.GetChildWithName("TimeCodeRate")) {
    if (!ParseNumber(Trim(tcr->GetBody()), &timecode_rate) || timecode_rate == 0 || timecode_rate > kMaxTimeCodeRate) {
      std::fprintf(stderr, "Subtitle file %s: the TimeCodeRate \"%s\" is not a number from 1 to 1000\n", name,
                   Trim(tcr->GetBody()).c_str());
      return Kumu::RESULT_RAW_FORMAT;
    }
  }
  timecode_rate = std::min(std::max(timecode_rate, 1u), kMaxTimeCodeRate);

  for (const Kumu::XMLElement* child : root.GetChildren()) {
    if (!child->HasName("LoadFont")) continue;
    byte_t font[Kumu::UUID::ValueSize];
    if (!DecodeURN(child->GetBody(), font)) {
      std::fprintf(stderr, "Subtitle file %s: a LoadFont names no font by \"urn:uuid:\" (\"%s\")\n", name,
                   Trim(child->GetBody()).c_str());
      return Kumu::RESULT_RAW_FORMAT;
    }
    AddResource(desc.ResourceList, font, MT_OPENTYPE);
  }

  Scan scan{name, timecode_rate, 0, &desc.ResourceList};
  ScanElements(root, scan);
  if (!scan.ok) return Kumu::RESULT_RAW_FORMAT;
  // The end of the last subtitle in edit units, rounded up.
  const ui64_t top = scan.last_out * numerator;
  const ui64_t bottom = static_cast<ui64_t>(timecode_rate) * denominator;
  const ui64_t duration = (top + bottom - 1) / bottom;
  desc.ContainerDuration = duration > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<ui32_t>(duration);

  desc.NamespaceName = root.GetNamespace();
  desc.EncodingName = "UTF-8";
  if (const Kumu::XMLElement* language = root.GetChildWithName("Language")) {
    desc.RFC5646LanguageTagList = Trim(language->GetBody());
  }

  desc_ = desc;
  document_.swap(text);
  open_ = true;
  return RESULT_OK;
}

Result_t DCSubtitleParser::FillTimedTextDescriptor(TimedTextDescriptor& desc) const {
  if (!open_) return Kumu::RESULT_INIT;
  desc = desc_;
  return RESULT_OK;
}

Result_t DCSubtitleParser::ReadTimedTextResource(std::string& text) const {
  if (!open_) return Kumu::RESULT_INIT;
  text = document_;
  return RESULT_OK;
}

Result_t DCSubtitleParser::ReadAncillaryResource(const byte_t* uuid, FrameBuffer& fb,
                                                 const IResourceResolver* resolver) const {
  if (!open_) return Kumu::RESULT_INIT;
  if (uuid == nullptr) return Kumu::RESULT_PTR;
  const std::string text = UUIDText(uuid);
  const TimedTextResourceDescriptor* entry = nullptr;
  for (const TimedTextResourceDescriptor& candidate : desc_.ResourceList) {
    if (std::memcmp(candidate.ResourceID, uuid, Kumu::UUID::ValueSize) == 0) entry = &candidate;
  }
  if (entry == nullptr) {
    std::fprintf(stderr, "Subtitle file %s: names no resource urn:uuid:%s\n", filename_.c_str(), text.c_str());
    return Kumu::RESULT_PARAM;
  }
  Resolver local(filename_);
  Result_t result = resolver != nullptr ? resolver->ResolveRID(uuid, fb) : local.ResolveRID(uuid, fb);
  if (result == Kumu::RESULT_NOT_FOUND) {
    std::fprintf(stderr, "Subtitle file %s: resource urn:uuid:%s (%s) not found%s%s\n", filename_.c_str(), text.c_str(),
                 MIME2str(entry->Type), resolver != nullptr ? "" : " in ",
                 resolver != nullptr ? "" : local.Where().c_str());
  }
  if (KM_FAILURE(result)) return result;
  fb.AssetID(uuid);
  fb.MIMEType(MIME2str(entry->Type));
  return RESULT_OK;
}

}  // namespace TimedText
}  // namespace ASDCP
