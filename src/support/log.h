// One printf-style log line per call.
//
// Lines go to the file named by the environment variable SAA7146_LOG when it
// is set (appended), else to the debugger output on Windows and to standard
// error elsewhere. A test may take the lines instead with setLogSink.
#pragma once

#include <functional>
#include <string>

#if defined(__GNUC__)
#define SAA_PRINTF_LIKE(f, a) __attribute__((format(printf, f, a)))
#else
#define SAA_PRINTF_LIKE(f, a)
#endif

int Log(const char* format, ...) SAA_PRINTF_LIKE(1, 2);

// Receives every line (without its line end) instead of the default
// destination; an empty function restores the default.
void setLogSink(std::function<void(const std::string&)> sink);
