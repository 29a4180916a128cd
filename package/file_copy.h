// Copying one file to another path, whole or not at all reported as done.
#pragma once

// 0 when every byte of `source` has been written to `destination` (created
// or emptied first) and both files are closed; -1 when the destination
// cannot be created, the source cannot be opened or read, a write comes up
// short, or closing the destination fails. Both files are closed on every
// path; a failed copy leaves the destination incomplete, and errno says why.
int CopyFileTo(const char* source, const char* destination);
