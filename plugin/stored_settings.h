// A record taken over from the host's stored bytes holds whatever those bytes
// hold: its texts are made safe to use, and its settings are checked for
// values the module has no meaning for before anything relies on them.
#pragma once

#include <string>

struct OutputOptions;

// Every text field ends within its field, as valid UTF-8 without control
// characters (CopyRecordText); every path field ends within its field, its
// bytes as they were (CopyRecordPath).
void CleanStoredTexts(OutputOptions& options);

// The first setting that holds a value no dialog can choose, described for the
// user; the empty text when every setting can be used.
std::string StoredSettingsFault(const OutputOptions& options);
