// Scripted control of the emulated surface: one command per line (press,
// down, up, turn, fader, touch, raw, restart, wait, dump, expect, help,
// quit), from standard input, a script file or the interactive prompt. A
// "wait" or a pending "expect" holds the lines after it while datagrams
// keep arriving.
// Event-loop thread only.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

struct ScriptState {
    std::deque<std::string> lines;
    int64_t resumeAtMs = 0;
    bool quitRequested = false;
    bool expecting = false;  // an expect waits for its line to appear in the dump
    std::string expected;
    int64_t expectDeadlineMs = 0;
    int failedExpectations = 0;
};

extern ScriptState script;

// How long an expect waits for the state when it gives no "within MS".
constexpr int64_t kDefaultExpectMs = 2000;

// Runs queued lines until they are used up, one holds, or quit.
void runScript(int64_t nowMs);

// Settles a pending expect when its line is in the state or its time is up.
void checkExpectation(int64_t nowMs);

// ms until a wait or an expect runs out; -1 when nothing is held.
int64_t msUntilScriptDue(int64_t nowMs);

// Nothing queued and nothing held.
bool scriptIdle();

extern const char* const kScriptHelp;
