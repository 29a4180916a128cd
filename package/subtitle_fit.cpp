#include "package/subtitle_fit.h"

#include <strings.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "package/subtitle_check.h"
#include "package/subtitle_names.h"
#include "platform/asdcp/KM_xml.h"
#include "plugin/output_options.h"

namespace {

constexpr char kUnreadable[] = "The subtitle file cannot be read as a subtitle document.";
constexpr char kNoEditRate[] = "The subtitle file has no valid EditRate.";

void SetMessage(char* message, const char* text) {
  if (message != nullptr) std::snprintf(message, kSubtitleMessageSize, "%s", text);
}

// The white space that may surround an element's text.
constexpr const char* kBlanks = " \t\r\n";

// Non-empty digits only, at most nine of them.
bool ParseDigits(const std::string& text, uint64_t* value) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  *value = std::stoull(text);
  return true;
}

// A positive decimal number of at most nine digits.
bool ParseCount(const std::string& text, uint32_t* value) {
  uint64_t digits = 0;
  if (!ParseDigits(text, &digits) || digits == 0) return false;
  *value = static_cast<uint32_t>(digits);
  return true;
}

}  // namespace

bool SubtitleEditRateFits(const Kumu::XMLElement& root, uint32_t frameRate, char* message) {
  const Kumu::XMLElement* rate = root.GetChildWithName("EditRate");
  const std::string body = rate != nullptr ? rate->GetBody() : std::string();
  const size_t first = body.find_first_not_of(kBlanks);
  const size_t gap = body.find_first_of(kBlanks, first);
  const size_t second = body.find_first_not_of(kBlanks, gap);
  const size_t end = body.find_first_of(kBlanks, second);
  uint32_t numerator = 0, denominator = 0;
  if (first == std::string::npos || second == std::string::npos ||
      body.find_first_not_of(kBlanks, end) != std::string::npos ||
      !ParseCount(body.substr(first, gap - first), &numerator) ||
      !ParseCount(body.substr(second, end == std::string::npos ? std::string::npos : end - second), &denominator)) {
    SetMessage(message, kNoEditRate);
    return false;
  }
  if (uint64_t{numerator} == uint64_t{frameRate} * denominator) return true;
  if (message != nullptr) {
    std::snprintf(message, kSubtitleMessageSize,
                  "The subtitle file's EditRate is %u %u, but the composition's is %u 1 (%u fps).", numerator,
                  denominator, frameRate, frameRate);
  }
  return false;
}

namespace {

// The document at `options.subtitlePath`, parsed into `root`; false with the
// reason in `message` when it cannot be read as one of either kind.
bool ReadSubtitleRoot(const OutputOptions& options, Kumu::XMLElement* root, char* message) {
  const std::string path = FieldText(options.subtitlePath, sizeof options.subtitlePath);
  std::unique_ptr<char[]> text;
  Kumu::ui32_t length = 0;
  if (ReadSubtitleText(path.c_str(), &text, &length, nullptr) == 0 || !root->ParseString(text.get(), length) ||
      !(root->HasName("DCSubtitle") || root->HasName("SubtitleReel"))) {
    SetMessage(message, kUnreadable);
    return false;
  }
  return true;
}

// The document's kind against the packing, and a SMPTE document's edit rate
// against the frame rate.
bool DocumentFitsOutput(const OutputOptions& options, const Kumu::XMLElement& root, char* message) {
  const bool smptePacking = options.packing != 0;
  if (root.HasName("SubtitleReel") != smptePacking) {
    SetMessage(message, smptePacking ? kInteropInSmpte : kSmpteInInterop);
    return false;
  }
  return !smptePacking || SubtitleEditRateFits(root, options.frameRate, message);
}

// The kind the record keeps for the file against the packing: the kind the
// render start packages.
bool RecordedKindFits(const OutputOptions& options, char* message) {
  const bool smptePacking = options.packing != 0;
  if ((options.subtitleSmpte != 0) == smptePacking) return true;
  SetMessage(message, smptePacking ? kInteropInSmpte : kSmpteInInterop);
  return false;
}

}  // namespace

int CheckSubtitleFitsOutput(const OutputOptions& options, char* message) {
  Kumu::XMLElement root("");
  return RecordedKindFits(options, message) && ReadSubtitleRoot(options, &root, message) &&
                 DocumentFitsOutput(options, root, message)
             ? 1
             : 0;
}

namespace {

// A point of time as `units` of 1/`rate` second.
struct SubtitleTime {
  uint64_t units = 0;
  uint64_t rate = 1;
};

// Whether a / aRate > b / bRate, without overflow for any nine-digit fields.
bool IsLater(uint64_t a, uint64_t aRate, uint64_t b, uint64_t bRate) {
  return static_cast<unsigned __int128>(a) * bRate > static_cast<unsigned __int128>(b) * aRate;
}

// "HH:MM:SS:EE" with EE in units of 1/`rate` second; with `decimal`, also
// "HH:MM:SS.sss" (one to three decimals). Hours, minutes and seconds have one
// or two digits.
bool ParseTimeOut(const std::string& text, uint64_t rate, bool decimal, SubtitleTime* time) {
  const size_t first = text.find(':');
  const size_t second = first == std::string::npos ? first : text.find(':', first + 1);
  if (second == std::string::npos) return false;
  const size_t third = text.find_first_of(":.", second + 1);
  const bool dotted = third != std::string::npos && text[third] == '.';
  if (third == std::string::npos || (dotted && !decimal)) return false;
  uint64_t h = 0, m = 0, s = 0, part = 0;
  const std::string tail = text.substr(third + 1);
  if (!ParseDigits(text.substr(0, first), &h) || !ParseDigits(text.substr(first + 1, second - first - 1), &m) ||
      !ParseDigits(text.substr(second + 1, third - second - 1), &s) || !ParseDigits(tail, &part)) {
    return false;
  }
  if (first > 2 || second - first > 3 || third - second > 3) return false;  // two digits each at most
  if (dotted) {
    if (tail.size() > 3) return false;
    rate = tail.size() == 1 ? 10 : tail.size() == 2 ? 100 : 1000;
  }
  time->rate = rate;
  time->units = ((h * 60 + m) * 60 + s) * rate + part;
  return true;
}

// The Subtitle element under `element` that ends last, and its TimeOut text.
void FindLastEnd(const Kumu::XMLElement& element, uint64_t rate, bool decimal, SubtitleTime* last,
                 std::string* lastText) {
  if (element.HasName("Subtitle")) {
    const char* out = element.GetAttrWithName("TimeOut");
    SubtitleTime time;
    if (out != nullptr && ParseTimeOut(out, rate, decimal, &time) &&
        (lastText->empty() || IsLater(time.units, time.rate, last->units, last->rate))) {
      *last = time;
      *lastText = out;
    }
  }
  for (const Kumu::XMLElement* child : element.GetChildren()) FindLastEnd(*child, rate, decimal, last, lastText);
}

// Whether every subtitle of `root` ends by the composition's last frame.
bool SubtitlesEndInComposition(const OutputOptions& options, const Kumu::XMLElement& root, char* message) {
  const bool smpte = root.HasName("SubtitleReel");
  uint64_t rate = 250;  // DCSubtitle ticks
  if (smpte) {
    uint32_t timeCodeRate = 0;
    const Kumu::XMLElement* given = root.GetChildWithName("TimeCodeRate");
    std::string body = given != nullptr ? given->GetBody() : std::string();
    body.erase(0, body.find_first_not_of(kBlanks));
    body.erase(body.find_last_not_of(kBlanks) + 1);
    rate = ParseCount(body, &timeCodeRate) ? timeCodeRate : options.frameRate;
  }
  SubtitleTime last;
  std::string lastText;
  FindLastEnd(root, rate, !smpte, &last, &lastText);
  const uint64_t frames = static_cast<uint64_t>(options.durationFrames);
  if (lastText.empty() || !IsLater(last.units, last.rate, frames, options.frameRate)) return true;
  if (message != nullptr) {
    std::snprintf(message, kSubtitleMessageSize,
                  "A subtitle of the subtitle file ends at %s, after the end of the composition (%llu frames at %u "
                  "fps).",
                  lastText.c_str(), static_cast<unsigned long long>(frames), options.frameRate);
  }
  return false;
}

// A document is packaged as it was when it was chosen: an Interop one under
// the id kept then (the subtitle folder, the copy's name and the documents'
// entries), a SMPTE one with the font its inspection found. A document
// exported again since has a new id. Empty when the ids are the same UUID,
// when the kept id is no UUID, or when it is no longer the document's: a
// SMPTE render keeps its track file's id in its place ("sub_" + id + ".mxf").
std::string DocumentIdChange(const OutputOptions& options, const Kumu::XMLElement& root) {
  const bool smpte = root.HasName("SubtitleReel");
  const char* idName = smpte ? "Id" : "SubtitleID";
  const std::string kept = FieldText(options.subtitleUuid, sizeof options.subtitleUuid);
  if (smpte && FieldText(options.subtitleFileName, sizeof options.subtitleFileName) == "sub_" + kept + ".mxf")
    return std::string();
  const Kumu::XMLElement* id = root.GetChildWithName(idName);
  const std::string body = id != nullptr ? id->GetBody() : std::string();
  const std::string now = smpte ? AfterUuidPrefix(body) : body;
  if (!IsUuidText(kept) || strcasecmp(now.c_str(), kept.c_str()) == 0) return std::string();
  return "The subtitle file " + FieldText(options.subtitlePath, sizeof options.subtitlePath) +
         (id != nullptr ? " has the " + std::string(idName) + " " + now : " has no " + std::string(idName)) +
         ", but it had " + kept +
         " when it was chosen: it was exported again since. Choose it again on the "
         "Subtitle page.";
}

}  // namespace

int CheckSubtitleFitsRender(OutputOptions& options, std::string* message) {
  // The document as the Subtitle page inspects it, under the render's
  // settings: a path typed, or a file changed since its choice, is taken or
  // refused as a browsed one would be.
  const std::string path = FieldText(options.subtitlePath, sizeof options.subtitlePath);
  auto inspected = std::make_unique<OutputOptions>(options);
  char reason[kSubtitleMessageSize] = "";
  if (InspectSubtitleFile(path.c_str(), inspected.get(), reason) == 0) {
    *message = "The subtitle file " + path + " cannot be used: " + reason;
    return 0;
  }
  Kumu::XMLElement root("");
  if (ReadSubtitleRoot(options, &root, reason)) {
    *message = DocumentIdChange(options, root);
    if (!message->empty()) return 0;
    if (SubtitlesEndInComposition(options, root, reason)) {
      std::memcpy(options.subtitleUuid, inspected->subtitleUuid, sizeof options.subtitleUuid);
      options.subtitleSmpte = inspected->subtitleSmpte;
      options.subtitleHasFont = inspected->subtitleHasFont;
      std::memcpy(options.fontFile, inspected->fontFile, sizeof options.fontFile);
      return 1;
    }
  }
  *message = reason;
  return 0;
}
