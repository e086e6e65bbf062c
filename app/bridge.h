// The whole program: configuration, sockets, threads, start-up, console
// loop and an orderly stop. Returns the process's exit code.
#pragma once

// The exit code for "nothing usable to run with": a bad option, no addresses
// and no one to ask, or a surface address that points back at the bridge.
// Starting again would fail the same way, so a service does not retry it.
constexpr int EXIT_NO_USABLE_CONFIGURATION = 2;

int runBridge(int argc, const char* const* argv);
