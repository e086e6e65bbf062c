// The whole program: configuration, sockets, threads, start-up, console
// loop and an orderly stop. Returns the process's exit code.
#pragma once

int runBridge(int argc, const char* const* argv);
