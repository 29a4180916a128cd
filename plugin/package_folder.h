// The package folder of a render: the host's output file path less its
// extension ".DCP", created empty (a folder already there is removed first).
#pragma once

#include <cstddef>

// Writes the package folder of `outputPath` into `folder` (`folderSize`
// bytes). Refuses (false, `folder` emptied) an empty path, a path that does
// not end in ".DCP" (any case), a folder that does not fit, and a folder that
// names no folder of its own: a root, or a last element that is empty, "."
// or "..", which would name a parent of the package.
bool PackageFolderFromOutputPath(const char* outputPath, char* folder, size_t folderSize);

// Creates `folder`; when something of that name exists, removes exactly that
// folder tree and creates the folder anew. False only when the existing
// folder could not be removed. Other creation failures are left to the first
// file written into the folder.
bool CreatePackageFolder(const char* folder);
