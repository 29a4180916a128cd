// The package folder of a render: the host's output file path less its
// extension ".DCP", created empty. A folder already there is removed first,
// but only when it holds nothing but what a render writes into it.
#pragma once

#include <cstddef>
#include <string>

// Writes the package folder of `outputPath` into `folder` (`folderSize`
// bytes). Refuses (false, `folder` emptied) an empty path, a path that does
// not end in ".DCP" (any case), a folder that does not fit, and a folder that
// names no folder of its own: a root, or a last element that is empty, "."
// or "..", which would name a parent of the package.
bool PackageFolderFromOutputPath(const char* outputPath, char* folder, size_t folderSize);

// The first entry of the existing folder `folder` that no render writes, as a
// path below the folder ("notes.txt", "<uuid>/draft.doc"); empty when the
// folder holds only a render's files or nothing. A render writes plain files
// only: track files "j2c_", "pcm_" or "sub_" + UUID + ".mxf", documents
// "cpl_" or "pkl_" + UUID + ".xml", "ASSETMAP", "ASSETMAP.xml", "VOLINDEX",
// "VOLINDEX.xml", the temporary sound files "tmpL.wav" and "tmpR.wav", and
// the Interop subtitle folder named by a UUID, holding "<uuid>.xml", its
// font (a TrueType or OpenType file) and the PNG images of image subtitles. Anything that cannot be read counts as
// not a render's; "." stands for the folder itself when it cannot be read.
std::string ForeignPackageEntry(const char* folder);

// True when `path` names the folder `folder` or something below it, as
// written (made absolute) or once the links in either are followed.
bool LiesInFolder(const std::string& path, const char* folder);

// Creates `folder`; when something of that name exists and is a folder that
// holds nothing but a render's files (or nothing), removes exactly that folder
// tree and creates the folder anew. False when the existing folder is not
// removed: it holds other files (`foreign`, when given, gets the first), or is
// no folder, or cannot be removed; and false when the folder cannot be
// created (a parent that is missing, read-only or no folder): then
// `creationError`, when given, gets the system's error number (errno), which
// is 0 in every other case.
bool CreatePackageFolder(const char* folder, std::string* foreign = nullptr, int* creationError = nullptr);
