// Keyboard input that a stop request can interrupt.
#pragma once

#include <atomic>

enum class KeyStatus { Key, EndOfInput, Stopped, TimedOut };

// Reads one character from standard input; returns Stopped as soon as a stop
// is requested, EndOfInput at end of file or on error.
KeyStatus readConsoleChar(char& c);

// The same, but gives up with TimedOut after about timeoutMs.
KeyStatus readConsoleCharWithin(char& c, int timeoutMs);

// The same, but gives up with TimedOut once done is set by another thread,
// which then calls interruptConsoleInput(). Blocks without waking up while
// nothing happens.
KeyStatus readConsoleCharUntil(char& c, const std::atomic<bool>& done);
void interruptConsoleInput();

// True when standard input is known to be at its end (closed, /dev/null, a
// pipe whose writer is gone): no keyboard will answer a question. Does not
// wait; a key typed ahead is kept for the next read.
bool consoleInputEnded();

// Forgets a pipe on standard input that has ended, so that a new one is read
// (tests that swap standard input).
void resetConsoleInput();

// Reads one line (without its line break) of at most capacity-1 characters;
// the rest of a longer line is consumed and the result marks it with
// *truncated = true.
KeyStatus readConsoleLine(char* buffer, int capacity, bool* truncated);
