// Standard input on Windows, read so that a stop request is noticed within a
// tenth of a second while nobody types. A console is waited on with its
// handle and read in the console's own line mode (echo and editing stay the
// system's); a pipe is polled with PeekNamedPipe; anything else is read as
// it is. Line breaks arrive as CR LF here: the CR is dropped, so callers see
// one '\n' per Enter as on every other system.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "platform/console_input.h"
#include "platform/stop_signal.h"

namespace {
enum class ReadStep { Got, Wait, End, Stop };

// True while the console holds the rest of a line already entered: the
// console's handle is no longer signalled for it, so read without waiting.
// Only the console loop thread reads standard input.
bool consoleLinePending = false;

// Drops the queued events that are not typed characters (key releases,
// mouse, focus, resize) so that a signalled handle means a key to read.
bool consoleHasTypedKey(HANDLE input)
{
    INPUT_RECORD records[16];
    DWORD count = 0;
    if (!PeekConsoleInputW(input, records, 16, &count)) return false;
    for (DWORD i = 0; i < count; ++i) {
        const KEY_EVENT_RECORD& key = records[i].Event.KeyEvent;
        if (records[i].EventType == KEY_EVENT && key.bKeyDown && key.uChar.UnicodeChar != 0)
            return true;
    }
    DWORD dropped = 0;
    if (count > 0) ReadConsoleInputW(input, records, count, &dropped);
    return false;
}

ReadStep readConsole(HANDLE input, char& c)
{
    if (!consoleLinePending) {
        DWORD ready = WaitForSingleObject(input, 100);
        if (ready == WAIT_TIMEOUT) return ReadStep::Wait;
        if (ready != WAIT_OBJECT_0) return ReadStep::End;
        if (!consoleHasTypedKey(input)) return ReadStep::Wait;
    }
    // A Ctrl+C aborts the read (or ends it empty) before the control handler
    // has run on its own thread; give the handler a moment to request the stop.
    DWORD n = 0;
    if (!ReadFile(input, &c, 1, &n, nullptr)) {
        consoleLinePending = false;
        if (GetLastError() != ERROR_OPERATION_ABORTED) return ReadStep::End;
        return sleepUnlessStopped(250) ? ReadStep::Stop : ReadStep::Wait;
    }
    if (n == 0) {
        consoleLinePending = false;
        return sleepUnlessStopped(250) ? ReadStep::Stop : ReadStep::End;
    }
    // Ctrl+Z at the start of a line is the console's end of input.
    if (c == 0x1A && !consoleLinePending) return ReadStep::End;
    consoleLinePending = c != '\n';
    return ReadStep::Got;
}

ReadStep readPlain(HANDLE input, char& c)
{
    DWORD n = 0;
    if (!ReadFile(input, &c, 1, &n, nullptr) || n == 0) return ReadStep::End;
    return ReadStep::Got;
}

ReadStep readPipe(HANDLE input, char& c)
{
    DWORD available = 0;
    if (!PeekNamedPipe(input, nullptr, 0, nullptr, &available, nullptr)) {
        DWORD error = GetLastError();
        if (error == ERROR_BROKEN_PIPE || error == ERROR_NO_DATA) return ReadStep::End;
        // A pipe that cannot be peeked at (Wine's view of a Unix pipe) is
        // read blocking: a stop is then seen at the next character.
        return readPlain(input, c);
    }
    if (available == 0) return sleepUnlessStopped(20) ? ReadStep::Stop : ReadStep::Wait;
    return readPlain(input, c);
}

ReadStep readOne(char& c)
{
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    if (input == INVALID_HANDLE_VALUE || input == nullptr) return ReadStep::End;
    DWORD mode = 0;
    if (GetConsoleMode(input, &mode)) return readConsole(input, c);
    if (GetFileType(input) == FILE_TYPE_PIPE) return readPipe(input, c);
    return readPlain(input, c);
}
} // namespace

KeyStatus readConsoleCharWithin(char& c, int timeoutMs)
{
    ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
        if (stopRequested) return KeyStatus::Stopped;
        if (timeoutMs >= 0 && GetTickCount64() >= deadline) return KeyStatus::TimedOut;
        switch (readOne(c)) {
        case ReadStep::Got:
            if (c == '\r') continue;
            return KeyStatus::Key;
        case ReadStep::Wait:
            continue;
        case ReadStep::Stop:
            return KeyStatus::Stopped;
        case ReadStep::End:
            return stopRequested ? KeyStatus::Stopped : KeyStatus::EndOfInput;
        }
    }
}

KeyStatus readConsoleChar(char& c) { return readConsoleCharWithin(c, -1); }

// The console handle is waited on a tenth of a second at a time, so done is
// seen within that; nothing needs waking here.
KeyStatus readConsoleCharUntil(char& c, const std::atomic<bool>& done)
{
    for (;;) {
        if (done) return KeyStatus::TimedOut;
        KeyStatus status = readConsoleCharWithin(c, 100);
        if (status != KeyStatus::TimedOut) return status;
    }
}

void interruptConsoleInput() {}

