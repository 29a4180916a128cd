// Windows drive paths on this system: a path that starts with a drive letter
// ("C:\\Lumavox_Log.txt") names a file below one folder that stands for the
// drives: $LUMAVOX_DRIVE_ROOT when set and not empty, else the user's home.
#pragma once

#include <string>

// The folder that stands for the drives, without a trailing slash.
std::string DriveRoot();

// "X:\\a\\b" or "X:/a/b" becomes DriveRoot() + "/a/b"; any other path is
// returned unchanged.
std::string MapDrivePath(const std::string& path);
