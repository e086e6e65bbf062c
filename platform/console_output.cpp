#include "platform/console_output.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "platform/udp.h"

namespace {
std::mutex captureMutex;
std::string* capture = nullptr;
}

void consolePrint(const char* format, ...)
{
    char line[2048];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (n < 0) return;
    std::lock_guard<std::mutex> lock(captureMutex);
    if (capture) {
        capture->append(line);
    } else {
        std::fputs(line, stdout);
        std::fflush(stdout);
    }
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
}
