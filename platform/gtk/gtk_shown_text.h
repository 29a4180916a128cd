// What GTK shows of a dialog's text. GTK takes UTF-8 only, while the texts
// of the dialogs are bytes: a path named in Latin-1 or with a broken
// character is still the user's path.
#pragma once

#include <string>

// `text` with each byte that begins no well-formed UTF-8 character shown as
// U+FFFD; the dialog's own text keeps its bytes.
std::string ShownText(const std::string& text);
