// Texts for the user during a render, bounded: a report is formatted into the
// host's 256-byte report buffer and cut when it does not fit, never overflowed.
#pragma once

#include <cstddef>

#include "platform/aesdk/aeio_basic_data.h"

class SuiteHandler;

constexpr size_t kReportSize = 256;

// Formats the report and shows it with the host's report function under the
// basic data's plug-in id. Returns the host's result.
A_Err ReportFormatted(AEIO_BasicData* basic, SuiteHandler& suites, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// Shows a plain message through the basic data's message function.
void ShowMessage(AEIO_BasicData* basic, const char* text);

// Formats into a fixed buffer; false (the buffer then holds the cut text) when
// the text does not fit.
bool FormatBounded(char* buffer, size_t size, const char* format, ...) __attribute__((format(printf, 3, 4)));
