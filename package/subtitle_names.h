// The names that a subtitle document gives and that become parts of paths in
// the package: its id (the name of the Interop subtitle folder and of the
// document in it) and its font's file name; and the paths that an asset map
// can give them.
#pragma once

#include <cstddef>
#include <string>

// True for 36 characters of hexadecimal in the groups 8-4-4-4-12 separated
// by dashes (either case).
bool IsUuidText(const std::string& text);

// A SMPTE id's text from after its first "urn:uuid:", or the whole text.
std::string AfterUuidPrefix(const std::string& body);

// True for a name of one file in one folder: not empty, not ".", no '/' or
// '\\', no "..", no control character.
bool IsPlainFileName(const std::string& name);

// The longest path that an asset map gives an asset, its folders included.
constexpr size_t kAssetMapPathLimit = 100;

// True for a path that an asset map can give an asset: at most
// kAssetMapPathLimit characters, each an ASCII letter or digit, '.', '_',
// '-' or '/' (readers and checkers of packages take no others).
bool IsAssetMapPath(const std::string& path);

// The folder part of a file path: everything up to and including its last
// '/' or '\\'; empty when the path has none.
std::string FolderOfPath(const std::string& path);

// A fixed-width text field of a record as text: up to its first zero, or the
// whole field when it holds none.
std::string FieldText(const char* field, size_t size);
