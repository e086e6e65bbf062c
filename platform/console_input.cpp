#include "platform/console_input.h"

// Built on the platform's readConsoleChar; a carriage return before the line
// break is dropped.
KeyStatus readConsoleLine(char* buffer, int capacity, bool* truncated)
{
    int length = 0;
    bool cut = false;
    for (;;) {
        char c;
        KeyStatus status = readConsoleChar(c);
        if (status != KeyStatus::Key) {
            if (status == KeyStatus::EndOfInput && length > 0) break;
            if (capacity > 0) buffer[0] = '\0';
            return status;
        }
        if (c == '\n') break;
        if (c == '\r') continue;
        if (length < capacity - 1) {
            buffer[length++] = c;
        } else {
            cut = true;
        }
    }
    if (capacity > 0) buffer[length] = '\0';
    if (truncated) *truncated = cut;
    return KeyStatus::Key;
}
