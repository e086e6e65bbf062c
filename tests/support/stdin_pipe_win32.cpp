#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstring>

#include "support/stdin_pipe.h"

namespace {
HANDLE savedStdin = nullptr;
HANDLE reader = nullptr;
HANDLE writer = nullptr;
}

bool replaceStdinWithPipe()
{
    if (!CreatePipe(&reader, &writer, nullptr, 0)) return false;
    savedStdin = GetStdHandle(STD_INPUT_HANDLE);
    return SetStdHandle(STD_INPUT_HANDLE, reader) != 0;
}

bool writeToStdinPipe(const char* text)
{
    const DWORD length = static_cast<DWORD>(std::strlen(text));
    DWORD written = 0;
    return writer && WriteFile(writer, text, length, &written, nullptr) && written == length;
}

void closeStdinPipeWriter()
{
    if (writer) CloseHandle(writer);
    writer = nullptr;
}

void restoreStdin()
{
    closeStdinPipeWriter();
    SetStdHandle(STD_INPUT_HANDLE, savedStdin);
    if (reader) CloseHandle(reader);
    reader = nullptr;
}
#endif
