#include "package/subtitle_check.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <string>
#include <string_view>

#include "package/subtitle_fit.h"
#include "package/subtitle_images.h"
#include "package/subtitle_names.h"
#include "platform/asdcp/KM_file_reader.h"
#include "platform/asdcp/KM_xml.h"
#include "platform/text/utf8_cut.h"
#include "plugin/output_options.h"

namespace {

constexpr char kNotXml[] = "Not a valid subtitlefile";
constexpr char kNoFont[] = "No font file found next to this subtitlefile";
constexpr char kUnknown[] = "Unknown subtitle file.";
constexpr char kTooLarge[] = "The subtitle file is too large: it must be smaller than 10 MB.";
constexpr char kIdNotUuid[] = "The id of this subtitlefile is not a UUID.";
constexpr char kNoId[] = "This subtitlefile has no %s: it cannot be packaged without its id.";
constexpr char kFontNotPlain[] = "The font of this subtitlefile must be named by a plain file name.";
constexpr char kImageNotPlain[] = "The images of this subtitlefile must be PNG files with plain names (sub1.png).";
constexpr char kNoImage[] = "No image file found next to this subtitlefile: %s";
constexpr char kNoFolder[] = "The folder of this subtitlefile is not known: give its full path.";
constexpr char kNotAssetMapName[] =
    "This subtitlefile names a file that the package's asset map cannot name (only a-z A-Z 0-9 . _ - and at most %zu "
    "characters): %s";
constexpr char kWideText[] =
    "A package carries only UTF-8 subtitle files, and this one is in UTF-16 or UTF-32: save it as UTF-8.";
constexpr char kOtherEncoding[] =
    "A package carries only UTF-8 subtitle files, and this one declares another encoding: %s";
constexpr char kNoUtf8Declaration[] =
    "A package carries a subtitle file as it is, and the readers of packages take one only when it begins with "
    "the XML declaration <?xml version=\"1.0\" encoding=\"UTF-8\"?>, which this one does not: add it, or save the "
    "file again as UTF-8 with it.";
constexpr char kMixedLineEnds[] =
    "A package carries a subtitle file as it is, and the readers of packages take one only when its lines all end "
    "in LF or all in CR LF, which this one's do not: save it again with one kind of line ending.";

void SetMessage(char* message, const char* text) {
  if (message != nullptr) CopyTextCut(message, kSubtitleMessageSize, text);
}

template <size_t N>
void SetField(char (&field)[N], const std::string& text) {
  CopyTextCut(field, N, text.c_str());
}

bool IsRegularFile(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return false;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  (void)std::fclose(file);  // opened only to see that it can be read
  return true;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// A SMPTE font is named by its UUID; the track-file writer also finds it
// under that name with an extension ("<uuid>.ttf"), so the check does too.
bool FontWithExtensionExists(const std::string& folder, const std::string& name) {
  const std::string wanted = Lower(name) + ".";
  std::error_code error;
  std::filesystem::directory_iterator it(folder, error), end;
  for (; !error && it != end; it.increment(error)) {
    const std::string file = Lower(it->path().filename().string());
    if (file.size() > wanted.size() && file.compare(0, wanted.size(), wanted) == 0 &&
        IsRegularFile(it->path().string())) {
      return true;
    }
  }
  return false;
}

void ForgetSubtitle(OutputOptions* options) {
  options->subtitleUuid[0] = '\0';
  options->subtitleHasFont = 0;
  options->fontFile[0] = '\0';
}

// An Interop document's font and images are assets of the package in the
// subtitle folder named by its id (the document itself is named by the id
// there, whatever its own name): the asset map must be able to name each of
// them so. A SMPTE document's are carried inside its track file.
bool AssetMapCanName(const std::string& name, OutputOptions* options, char* message) {
  const std::string folder = std::string(options->subtitleUuid) + "/";
  if (IsAssetMapPath(folder + name)) return true;
  if (message != nullptr) {
    FormatTextCut(message, kSubtitleMessageSize, kNotAssetMapName, kAssetMapPathLimit - folder.size(), name.c_str());
  }
  ForgetSubtitle(options);
  return false;
}

// The font that an accepted id's document names: it must be a plain file
// name and stand beside the subtitle file.
int CheckFont(const std::string& name, const char* path, bool smpte, OutputOptions* options, char* message) {
  if (!name.empty() && (!IsPlainFileName(name) || name.size() > kFontNameLimit)) {
    SetMessage(message, kFontNotPlain);
    ForgetSubtitle(options);
    return 0;
  }
  if (!smpte && !AssetMapCanName(name, options, message)) return 0;
  const std::string folder = FolderOfPath(path);
  if (folder.empty()) {
    SetMessage(message, kNoFolder);
    return 0;
  }
  const bool found = !name.empty() &&
                     (IsRegularFile(folder + name) || (smpte && FontWithExtensionExists(folder, name)));
  if (!found) {
    SetMessage(message, kNoFont);
    ForgetSubtitle(options);
    return 0;
  }
  options->subtitleHasFont = 1;
  SetField(options->fontFile, name);
  return 1;
}

// The image files of the document: plain names ending in ".png" (readers of
// the package look for the name so, without blanks around it), none the
// name of the document's copy or of the font in the subtitle folder, each
// beside the subtitle file, where the render start takes them from.
int CheckImages(const Kumu::XMLElement& root, const char* path, OutputOptions* options, char* message) {
  const std::string folder = FolderOfPath(path);
  const std::string copy = Lower(std::string(options->subtitleUuid) + ".xml");
  const std::string font = options->subtitleHasFont ? Lower(options->fontFile) : std::string();
  for (const std::string& name : InteropImageNames(root)) {
    const bool png = name.size() > 4 && name.compare(name.size() - 4, 4, ".png") == 0;
    if (!png || !IsPlainFileName(name) || name.front() == ' ' || name.back() == ' ' || Lower(name) == copy ||
        Lower(name) == font) {
      SetMessage(message, kImageNotPlain);
      ForgetSubtitle(options);
      return 0;
    }
    if (!AssetMapCanName(name, options, message)) return 0;
    if (folder.empty() || !IsRegularFile(folder + name)) {
      if (message != nullptr) FormatTextCut(message, kSubtitleMessageSize, kNoImage, name.c_str());
      ForgetSubtitle(options);
      return 0;
    }
  }
  return 1;
}

int CheckInterop(const Kumu::XMLElement& root, const char* path, OutputOptions* options, char* message) {
  const Kumu::XMLElement* id = root.GetChildWithName("SubtitleID");
  if (id == nullptr) {
    if (message != nullptr) std::snprintf(message, kSubtitleMessageSize, kNoId, "SubtitleID");
    return 0;
  }
  if (!IsUuidText(id->GetBody())) {
    SetMessage(message, kIdNotUuid);
    return 0;
  }
  SetField(options->subtitleUuid, id->GetBody());
  options->subtitleSmpte = 0;
  const Kumu::XMLElement* font = root.GetChildWithName("LoadFont");
  if (font == nullptr) {
    options->subtitleHasFont = 0;
  } else {
    // Without a URI there is no font to look for: refused as a missing font.
    const char* uri = font->GetAttrWithName("URI");
    if (CheckFont(uri != nullptr ? uri : "", path, false, options, message) == 0) return 0;
  }
  return CheckImages(root, path, options, message);
}

int CheckSmpte(const Kumu::XMLElement& root, const char* path, OutputOptions* options, char* message) {
  const Kumu::XMLElement* id = root.GetChildWithName("Id");
  if (id == nullptr) {
    if (message != nullptr) std::snprintf(message, kSubtitleMessageSize, kNoId, "Id");
    return 0;
  }
  const std::string uuid = AfterUuidPrefix(id->GetBody());
  if (!IsUuidText(uuid)) {
    SetMessage(message, kIdNotUuid);
    return 0;
  }
  // A document timed at another rate would be shown at the wrong times.
  if (!SubtitleEditRateFits(root, options->frameRate, message)) return 0;
  SetField(options->subtitleUuid, uuid);
  options->subtitleSmpte = 1;
  const Kumu::XMLElement* font = root.GetChildWithName("LoadFont");
  if (font == nullptr) {
    options->subtitleHasFont = 0;
    return 1;
  }
  return CheckFont(AfterUuidPrefix(font->GetBody()), path, true, options, message);
}

}  // namespace

int ReadSubtitleText(const char* path, std::unique_ptr<char[]>* text, Kumu::ui32_t* length, char* message) {
  Kumu::FileReader reader;
  if (KM_FAILURE(reader.OpenRead(path))) return 0;
  const Kumu::fpos_t size = reader.Size();
  if (size < 0 || size >= static_cast<Kumu::fpos_t>(kSubtitleFileLimit)) {
    SetMessage(message, kTooLarge);
    return 0;
  }
  *length = static_cast<Kumu::ui32_t>(size);
  text->reset(new (std::nothrow) char[*length + 1]);
  if (*text == nullptr) return 0;
  Kumu::ui32_t got = 0;
  if (*length > 0 &&
      (KM_FAILURE(reader.Read(reinterpret_cast<Kumu::byte_t*>(text->get()), *length, &got)) || got != *length)) {
    return 0;
  }
  (*text)[*length] = '\0';
  return 1;
}

namespace {

// The text after its UTF-8 byte-order mark, if it has one.
std::string_view AfterUtf8Bom(std::string_view text) {
  static constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
  return text.substr(0, kUtf8Bom.size()) == kUtf8Bom ? text.substr(kUtf8Bom.size()) : text;
}

// The encoding that the XML declaration at the start of the text (after a
// UTF-8 byte-order mark) names; empty when it names none, and the text is
// then UTF-8. A declaration that is not well-formed is left to the XML
// parser, which refuses it.
std::string DeclaredEncoding(std::string_view text) {
  static constexpr std::string_view kBlanks = " \t\r\n";
  static constexpr char kBeforeName[] = " \t\r\n=\"'";
  static constexpr char kNameCharacters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789._-";
  text = AfterUtf8Bom(text);
  if (text.substr(0, 5) != "<?xml" || text.size() < 6 || kBlanks.find(text[5]) == std::string_view::npos) return {};
  const size_t close = text.find("?>");
  const size_t name = text.substr(0, close).find("encoding");
  if (close == std::string_view::npos || name == std::string_view::npos) return {};
  const size_t start = text.find_first_not_of(kBeforeName, name + 8);
  return std::string(text.substr(start, text.find_first_not_of(kNameCharacters, start) - start));
}

// The package carries the document as it is, and its readers take subtitle
// documents in UTF-8 only. UTF-16 and UTF-32 show in a byte-order mark or in
// a zero byte among the first two (the document's first character is
// ASCII); any encoding declared but UTF-8 is refused, US-ASCII too: its
// documents are UTF-8 byte for byte, but the declaration goes into the
// package with them, and the checkers of packages take a subtitle document
// only when it declares UTF-8.
bool IsUtf8Text(const char* text, size_t length, char* message) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  const bool utf16Bom = length >= 2 &&
                        ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF));
  if (utf16Bom || (length >= 2 && (bytes[0] == 0 || bytes[1] == 0))) {
    SetMessage(message, kWideText);
    return false;
  }
  const std::string encoding = DeclaredEncoding(std::string_view(text, length));
  if (encoding.empty() || Lower(encoding) == "utf-8") return true;
  if (message != nullptr) FormatTextCut(message, kSubtitleMessageSize, kOtherEncoding, encoding.c_str());
  return false;
}

// The text after a UTF-8 byte-order mark begins with the declaration that
// the readers of packages take: <?xml version="1.0" encoding="UTF-8"?>, with
// standalone="no" or nothing after the encoding, each blank one character
// and either quote.
bool BeginsWithUtf8Declaration(std::string_view text) {
  text = AfterUtf8Bom(text);
  size_t at = 0;
  const auto take = [&](std::string_view what) {
    if (text.substr(at, what.size()) != what) return false;
    at += what.size();
    return true;
  };
  const auto blank = [&] {
    if (at >= text.size() || std::string_view(" \t\r\n").find(text[at]) == std::string_view::npos) return false;
    ++at;
    return true;
  };
  // name="value" or name='value', after one blank.
  const auto attribute = [&](std::string_view name, std::string_view value) {
    if (!blank() || !take(name)) return false;
    blank();
    if (!take("=")) return false;
    blank();
    const char quote = at < text.size() ? text[at] : '\0';
    return (quote == '"' || quote == '\'') && take(std::string_view(&quote, 1)) && take(value) &&
           take(std::string_view(&quote, 1));
  };
  if (!take("<?xml") || !attribute("version", "1.0") || !attribute("encoding", "UTF-8")) return false;
  const size_t afterEncoding = at;
  if (!attribute("standalone", "no")) at = afterEncoding;
  blank();
  return take("?>");
}

// Every line ends in LF, or every line in CR LF.
bool HasOneKindOfLineEnd(std::string_view text) {
  bool lf = false, crlf = false;
  for (size_t k = 0; k < text.size(); ++k) {
    if (text[k] == '\r') {
      if (k + 1 >= text.size() || text[k + 1] != '\n') return false;
      crlf = true;
      ++k;
    } else if (text[k] == '\n') {
      lf = true;
    }
  }
  return !(lf && crlf);
}

// A subtitle document of the packing's kind goes into the package as it is:
// its declaration and line ends must be those the readers of packages take.
bool IsCarriedAsItIs(std::string_view text, char* message) {
  if (!BeginsWithUtf8Declaration(text)) {
    SetMessage(message, kNoUtf8Declaration);
    return false;
  }
  if (!HasOneKindOfLineEnd(text)) {
    SetMessage(message, kMixedLineEnds);
    return false;
  }
  return true;
}

int CheckSubtitleText(const char* path, OutputOptions* options, char* message) {
  std::unique_ptr<char[]> text;
  Kumu::ui32_t length = 0;
  if (ReadSubtitleText(path, &text, &length, message) == 0) return 0;
  if (!IsUtf8Text(text.get(), length, message)) return 0;

  if (!Kumu::StringIsXML(text.get(), length)) {
    SetMessage(message, kNotXml);
    return 0;
  }
  Kumu::XMLElement root("");
  const bool parsed = root.ParseString(text.get(), length);

  const std::string_view whole(text.get(), length);
  if (options->packing == 0) {
    if (parsed && root.HasName("DCSubtitle")) {
      return IsCarriedAsItIs(whole, message) ? CheckInterop(root, path, options, message) : 0;
    }
    SetMessage(message, parsed && root.HasName("SubtitleReel") ? kSmpteInInterop : kUnknown);
    options->subtitleUuid[0] = '\0';
    return 0;
  }
  if (!parsed || !root.HasName("SubtitleReel")) {
    SetMessage(message, parsed && root.HasName("DCSubtitle") ? kInteropInSmpte : kUnknown);
    return 0;
  }
  return IsCarriedAsItIs(whole, message) ? CheckSmpte(root, path, options, message) : 0;
}

}  // namespace

int CheckSubtitleFile(const char* path, OutputOptions* options, char* message) {
  if (path == nullptr || options == nullptr) return 0;
  return CheckSubtitleText(path, options, message);
}

int InspectSubtitleFile(const char* path, OutputOptions* options, char* message) {
  char reason[kSubtitleMessageSize] = "";
  const int accepted = CheckSubtitleFile(path, options, reason);
  if (accepted == 0 && reason[0] == '\0') SetMessage(reason, kUnreadableSubtitle);
  if (accepted == 0) SetMessage(message, reason);
  return accepted;
}
