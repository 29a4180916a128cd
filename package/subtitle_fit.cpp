#include "package/subtitle_fit.h"

#include <cstdio>
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

// A positive decimal number of at most nine digits.
bool ParseCount(const std::string& text, uint32_t* value) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  *value = static_cast<uint32_t>(std::stoul(text));
  return *value > 0;
}

}  // namespace

bool SubtitleEditRateFits(const Kumu::XMLElement& root, uint32_t frameRate, char* message) {
  const Kumu::XMLElement* rate = root.GetChildWithName("EditRate");
  const char* blanks = " \t\r\n";
  const std::string body = rate != nullptr ? rate->GetBody() : std::string();
  const size_t first = body.find_first_not_of(blanks);
  const size_t gap = body.find_first_of(blanks, first);
  const size_t second = body.find_first_not_of(blanks, gap);
  const size_t end = body.find_first_of(blanks, second);
  uint32_t numerator = 0, denominator = 0;
  if (first == std::string::npos || second == std::string::npos ||
      body.find_first_not_of(blanks, end) != std::string::npos ||
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

int CheckSubtitleFitsOutput(const OutputOptions& options, char* message) {
  const bool smptePacking = options.packing != 0;
  // The kind the record keeps is what the render start packages.
  if ((options.subtitleSmpte != 0) != smptePacking) {
    SetMessage(message, smptePacking ? kInteropInSmpte : kSmpteInInterop);
    return 0;
  }
  const std::string path = FieldText(options.subtitlePath, sizeof options.subtitlePath);
  std::unique_ptr<char[]> text;
  Kumu::ui32_t length = 0;
  Kumu::XMLElement root("");
  if (ReadSubtitleText(path.c_str(), &text, &length, nullptr) == 0 || !root.ParseString(text.get(), length) ||
      !(root.HasName("DCSubtitle") || root.HasName("SubtitleReel"))) {
    SetMessage(message, kUnreadable);
    return 0;
  }
  if (root.HasName("SubtitleReel") != smptePacking) {
    SetMessage(message, smptePacking ? kInteropInSmpte : kSmpteInInterop);
    return 0;
  }
  if (smptePacking && !SubtitleEditRateFits(root, options.frameRate, message)) return 0;
  return 1;
}
