// The debug log: written to "C:\\Lumavox_Log.txt" only while the guard file
// "C:\\logmetofile.txt" exists. Drive paths are mapped by the Windows layer.
#pragma once

#include "platform/aesdk/ae_errors.h"

constexpr const char* kLogGuardFile = "C:\\logmetofile.txt";
constexpr const char* kLogFile = "C:\\Lumavox_Log.txt";

// Empties the log when the guard file exists.
void LogReset();

// Appends the text's bytes (no newline added) when the guard file exists;
// the second argument is not used. Always 0.
A_Err LogMessage(const char* text, A_long unused = 0);

// Writes the text to the standard error stream and appends it to the log.
void LogBoth(const char* text);
