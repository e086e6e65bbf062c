// What every fuzz target shares: a quiet process that never reaches a real
// desktop or network, the running bridge's state to start each input from,
// and the invariants that hold after any input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Ends the run with a message; libFuzzer then saves the input as a crash.
#define FUZZ_CHECK(condition)                                                    \
    do {                                                                         \
        if (!(condition)) fuzzsupport::fail(__FILE__, __LINE__, #condition);     \
    } while (0)

namespace fuzzsupport {

[[noreturn]] void fail(const char* file, int line, const char* condition);

// Once per process (every target's LLVMFuzzerInitialize): console output
// captured, no mixer or surface link, the sample effects descriptions loaded
// and kept for resetToRunningState.
void initialiseProcess();

// The surface page a byte chooses, among the pages in use.
int usedPage(uint8_t choice);

// Process-start state plus what start-up leaves behind: null desktop, the
// effects descriptions, the default banks on the surface, refreshes on and
// startupComplete as given. The surface queue is empty afterwards.
void resetToRunningState(bool startupDone);

// Empties the surface queue (nothing sends it) and checks every message.
void drainSurfaceQueue();
// Empties the captured console output.
void forgetConsoleOutput();

// Surface-side state that indexes arrays: banks, bankStrips, page,
// selection, scroll and DCA group within their ranges.
void checkSurfaceState();
// Every effects description within its fixed arrays and the look-up pool.
void checkFxDescriptions();

// Writes data to this process's scratch file and returns its path.
const std::string& writeScratchFile(const uint8_t* data, size_t size);

} // namespace fuzzsupport
