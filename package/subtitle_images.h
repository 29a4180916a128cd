// The image subtitles of an Interop subtitle document: the PNG files that its
// Image elements name, which travel beside the document in its folder of the
// package, each an asset of the package.
#pragma once

#include <string>
#include <vector>

namespace Kumu {
class XMLElement;
}

// The bodies of the document's Image elements, as they stand (readers of
// the package take them so), each name once, in the order they first appear.
std::vector<std::string> InteropImageNames(const Kumu::XMLElement& root);

// The same from a document file; false when it cannot be read or parsed.
bool ReadInteropImageNames(const std::string& documentPath, std::vector<std::string>* names);

// The asset id of an image of the package: the name-based UUID (version 5,
// SHA-1) of its file name under the subtitle's id, so that every document
// that lists the image gives it the same id. Empty when `subtitleUuid` is
// not a UUID text.
std::string SubtitleImageUuid(const std::string& subtitleUuid, const std::string& name);
