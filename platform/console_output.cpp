#include "platform/console_output.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string_view>

#include "platform/udp.h"

namespace {
std::mutex captureMutex;
std::string* capture = nullptr;
// The progress bar on show, drawn without a line break; empty when none.
std::string progressLine;

// Caller holds captureMutex.
void emit(std::string_view text)
{
    if (capture) {
        capture->append(text);
    } else {
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fflush(stdout);
    }
}

// A line printed while a progress bar is on show gets a line of its own,
// and the bar is drawn again under it.
void writeText(std::string_view text)
{
    std::lock_guard<std::mutex> lock(captureMutex);
    if (progressLine.empty()) {
        emit(text);
        return;
    }
    emit("\n");
    emit(text);
    if (!text.empty() && text.back() == '\n') {
        emit("\r");
        emit(progressLine);
    }
}
} // namespace

void consolePrint(const char* format, ...)
{
    // Most lines fit the stack buffer; a longer text (the help, a status
    // block) is formatted again into one of its own size, never cut.
    char line[2048];
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int n = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    std::string longText;
    if (n >= static_cast<int>(sizeof line)) {
        longText.resize(static_cast<size_t>(n) + 1);
        n = std::vsnprintf(longText.data(), longText.size(), format, again);
        longText.resize(n < 0 ? 0 : static_cast<size_t>(n));
    }
    va_end(again);
    if (n < 0) return;
    writeText(longText.empty() ? std::string_view(line, static_cast<size_t>(n)) : std::string_view(longText));
}

void consoleProgress(const char* text)
{
    std::lock_guard<std::mutex> lock(captureMutex);
    progressLine = text ? text : "";
    emit("\r");
    emit(progressLine);
}

void endConsoleProgress()
{
    std::lock_guard<std::mutex> lock(captureMutex);
    progressLine.clear();
}

int formatText(char* buffer, int capacity, const char* format, ...)
{
    if (!buffer || capacity <= 0) return -1;
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(buffer, static_cast<size_t>(capacity), format, args);
    va_end(args);
    if (n < 0 || n >= capacity) return -1;
    return n;
}

void fatalSystemError(const char* tag)
{
    std::string text = UdpSocket::lastErrorText();
    consolePrint("%s: %s\n", tag, text.c_str());
    std::fflush(stdout);
    std::_Exit(1);
}

void flushConsole() { std::fflush(stdout); }

void setConsoleCapture(std::string* text)
{
    std::lock_guard<std::mutex> lock(captureMutex);
    capture = text;
    progressLine.clear();
}
