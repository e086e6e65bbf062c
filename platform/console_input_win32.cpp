// Standard input on Windows. A console is waited on with its handle together
// with a wake-up event that a stop request or interruptConsoleInput() sets,
// so nobody typing costs no wake-ups, and read in the console's own line
// mode (echo and editing stay the system's). A pipe cannot be waited on with
// an event, so a reader thread blocks in ReadFile and hands each byte over
// with an event of its own; anything else is read as it is. Line breaks
// arrive as CR LF here: the CR is dropped, so callers see one '\n' per Enter
// as on every other system.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/console_input.h"
#include "platform/stop_signal.h"

namespace {
enum class ReadStep { Got, Wait, End, Stop };

// Manual-reset: a reader that sees it set resets it before it looks again at
// what it waits for, so no wake-up is lost.
HANDLE wakeEvent()
{
    static HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return event;
}

void setWakeEvent(void*) { SetEvent(wakeEvent()); }

// True while the console holds the rest of a line already entered: the
// console's handle is no longer signalled for it, so read without waiting.
// Only the console loop thread reads standard input.
bool consoleLinePending = false;

// Set once a read met the end of the input.
std::atomic<bool> inputEnded{false};

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

ReadStep readConsole(HANDLE input, char& c, DWORD waitMs)
{
    if (!consoleLinePending) {
        HANDLE handles[2] = {input, wakeEvent()};
        DWORD ready = WaitForMultipleObjects(handles[1] ? 2 : 1, handles, FALSE, waitMs);
        if (ready == WAIT_OBJECT_0 + 1) {
            ResetEvent(handles[1]);
            return ReadStep::Wait;
        }
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

// One byte at a time from the reader thread, which waits until it is taken
// before it reads the next, so nothing is read ahead of the caller.
struct PipeReader {
    std::mutex mutex;
    std::condition_variable taken;
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);  // a byte or the end waits
    bool running = false;
    bool full = false;
    bool ended = false;
    char byte = 0;
};

// Never destroyed: the thread may still block in ReadFile when the process ends.
PipeReader& pipeReader()
{
    static PipeReader* reader = new PipeReader;
    return *reader;
}

void pipeReaderLoop(HANDLE input)
{
    PipeReader& r = pipeReader();
    for (;;) {
        char c = 0;
        DWORD n = 0;
        const bool got = ReadFile(input, &c, 1, &n, nullptr) && n == 1;
        std::unique_lock<std::mutex> lock(r.mutex);
        if (!got) {
            r.ended = true;
            r.running = false;
            SetEvent(r.ready);
            return;
        }
        r.byte = c;
        r.full = true;
        SetEvent(r.ready);
        r.taken.wait(lock, [&r] { return !r.full; });
    }
}

ReadStep readPipe(HANDLE input, char& c, DWORD waitMs)
{
    PipeReader& r = pipeReader();
    if (!r.ready) return readPlain(input, c);
    {
        std::lock_guard<std::mutex> lock(r.mutex);
        if (r.full) {
            c = r.byte;
            r.full = false;
            ResetEvent(r.ready);
            r.taken.notify_one();
            return ReadStep::Got;
        }
        if (r.ended) return ReadStep::End;
        if (!r.running) {
            try {
                std::thread(pipeReaderLoop, input).detach();
            } catch (const std::system_error&) {
                return readPlain(input, c);  // no thread to spare: read blocking
            }
            r.running = true;
        }
        // The reader sets it under the same lock, so no byte is missed.
        ResetEvent(r.ready);
    }
    HANDLE handles[2] = {r.ready, wakeEvent()};
    const DWORD woke = WaitForMultipleObjects(handles[1] ? 2 : 1, handles, FALSE, waitMs);
    if (woke == WAIT_OBJECT_0 + 1) ResetEvent(handles[1]);
    return ReadStep::Wait;
}

ReadStep readOne(char& c, DWORD waitMs)
{
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    if (input == INVALID_HANDLE_VALUE || input == nullptr) return ReadStep::End;
    DWORD mode = 0;
    if (GetConsoleMode(input, &mode)) return readConsole(input, c, waitMs);
    if (GetFileType(input) == FILE_TYPE_PIPE) return readPipe(input, c, waitMs);
    return readPlain(input, c);
}
KeyStatus readLoop(char& c, int timeoutMs, const std::atomic<bool>* done, bool stopWakes)
{
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
        if (stopRequested) return KeyStatus::Stopped;
        if (done && *done) return KeyStatus::TimedOut;
        DWORD wait = INFINITE;
        if (timeoutMs >= 0) {
            const ULONGLONG now = GetTickCount64();
            if (now >= deadline) return KeyStatus::TimedOut;
            wait = static_cast<DWORD>(deadline - now);
        }
        // Without a stop waker, look at the stop request now and then.
        if (!stopWakes && (wait == INFINITE || wait > 100)) wait = 100;
        switch (readOne(c, wait)) {
        case ReadStep::Got:
            if (c == '\r') continue;
            return KeyStatus::Key;
        case ReadStep::Wait:
            continue;
        case ReadStep::Stop:
            return KeyStatus::Stopped;
        case ReadStep::End:
            if (stopRequested) return KeyStatus::Stopped;
            inputEnded = true;
            return KeyStatus::EndOfInput;
        }
    }
}

KeyStatus readConsoleCharWaking(char& c, int timeoutMs, const std::atomic<bool>* done)
{
    const int waker = addStopWaker(setWakeEvent, nullptr);
    KeyStatus status = readLoop(c, timeoutMs, done, waker >= 0 && wakeEvent() != nullptr);
    removeStopWaker(waker);
    return status;
}
} // namespace

KeyStatus readConsoleCharWithin(char& c, int timeoutMs) { return readConsoleCharWaking(c, timeoutMs, nullptr); }

KeyStatus readConsoleChar(char& c) { return readConsoleCharWaking(c, -1, nullptr); }

KeyStatus readConsoleCharUntil(char& c, const std::atomic<bool>& done) { return readConsoleCharWaking(c, -1, &done); }

void interruptConsoleInput() { SetEvent(wakeEvent()); }

bool consoleInputEnded()
{
    if (inputEnded) return true;
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    if (input == INVALID_HANDLE_VALUE || input == nullptr) return true;
    DWORD mode = 0;
    if (GetConsoleMode(input, &mode)) return false;
    if (GetFileType(input) != FILE_TYPE_PIPE) return false;
    PipeReader& r = pipeReader();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.ended && !r.full;
}

void resetConsoleInput()
{
    consoleLinePending = false;
    inputEnded = false;
    PipeReader& r = pipeReader();
    std::lock_guard<std::mutex> lock(r.mutex);
    // A reader still blocked in ReadFile keeps its pipe; one that has seen
    // the end is forgotten, so the next pipe gets a reader of its own.
    if (!r.running) {
        r.ended = false;
        r.full = false;
    }
}
