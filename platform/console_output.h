// Operator console output. Everything the bridge prints goes through here,
// so tests can capture it.
#pragma once

#include <string>

// Lets GCC and Clang check the format arguments; MSVC has no such attribute.
// MinGW names the archetype of the printf it links (its own C99 one or the
// system's), so the check matches what runs.
#if defined(__MINGW32__)
#include <cstdio>
#define VELUMBRA_PRINTF_FORMAT(formatIndex, firstArgument) \
    __attribute__((format(__MINGW_PRINTF_FORMAT, formatIndex, firstArgument)))
#elif defined(__GNUC__) || defined(__clang__)
#define VELUMBRA_PRINTF_FORMAT(formatIndex, firstArgument) \
    __attribute__((format(printf, formatIndex, firstArgument)))
#else
#define VELUMBRA_PRINTF_FORMAT(formatIndex, firstArgument)
#endif

// printf to standard output (or to the capture, when one is set), whole
// whatever its length.
void consolePrint(const char* format, ...) VELUMBRA_PRINTF_FORMAT(1, 2);

// A progress bar drawn over itself ("\r[***     ]"), without a line break.
// Until endConsoleProgress(), any other text printed starts on a line of
// its own, and the bar is drawn again below it. The next text after
// endConsoleProgress() continues the bar's line ("done.").
void consoleProgress(const char* text);
void endConsoleProgress();

// Bounded format into buffer; -1 when it does not fit or fails.
int formatText(char* buffer, int capacity, const char* format, ...)
    VELUMBRA_PRINTF_FORMAT(3, 4);

// Prints "<tag>: <system error text>" and ends the process with exit code 1.
[[noreturn]] void fatalSystemError(const char* tag);

void flushConsole();

// Tests: collect output in text instead of printing it; nullptr restores stdout.
void setConsoleCapture(std::string* text);
