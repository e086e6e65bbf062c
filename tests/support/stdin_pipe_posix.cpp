#include <cstring>
#include <unistd.h>

#include "support/stdin_pipe.h"

namespace {
int savedStdin = -1;
int writer = -1;
}

bool replaceStdinWithPipe()
{
    int fds[2];
    if (::pipe(fds) != 0) return false;
    savedStdin = ::dup(STDIN_FILENO);
    const bool swapped = savedStdin >= 0 && ::dup2(fds[0], STDIN_FILENO) == STDIN_FILENO;
    ::close(fds[0]);
    writer = fds[1];
    return swapped;
}

bool writeToStdinPipe(const char* text)
{
    const size_t length = std::strlen(text);
    return writer >= 0 && ::write(writer, text, length) == static_cast<ssize_t>(length);
}

void closeStdinPipeWriter()
{
    if (writer >= 0) ::close(writer);
    writer = -1;
}

void restoreStdin()
{
    closeStdinPipeWriter();
    if (savedStdin >= 0) {
        ::dup2(savedStdin, STDIN_FILENO);
        ::close(savedStdin);
    }
    savedStdin = -1;
}
