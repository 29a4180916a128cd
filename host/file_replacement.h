// Replacing a file's contents whole, so that a write that fails leaves the
// file as it was.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lumavox_host {

// Gives `path` the contents `bytes`. Where `path` is a symbolic link (or a
// chain of them) the file it leads to is replaced and the links stay; a
// file that does not exist yet is made. The bytes are written to a file of a
// new name in the same folder, which no existing file holds, and renamed
// over the file: a file that exists keeps its permissions. False, with the
// reason in `error`, when the file cannot be replaced; it is then as it was,
// and no scratch file is left.
bool ReplaceFileContents(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error);

}  // namespace lumavox_host
