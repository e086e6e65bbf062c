// Child processes for end-to-end tests: start a program with its standard
// input and output connected to the test, read its output lines with a
// deadline, write lines to it, and stop it (SIGTERM, then SIGKILL).
//
// Standard output and standard error arrive merged, as lines, collected by a
// reader thread so the child never blocks on a full pipe. Standard input is
// a socket pair end, so writing to a child that has ended fails instead of
// raising SIGPIPE in the test. A ChildProcess stops its child when it goes
// out of scope, so a failed assertion never leaves a process behind.
// POSIX only.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Sanitized builds run several times slower, and their processes take long
// to exit; deadlines that check promptness scale with it.
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
constexpr int SANITIZER_SLOWDOWN = 4;
#else
constexpr int SANITIZER_SLOWDOWN = 1;
#endif

struct ChildProcess {
    pid_t pid = -1;
    int inputFd = -1;   // the test's end of the child's standard input
    int outputFd = -1;  // the test's end of the child's standard output and error
    std::thread reader;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> lines;  // every complete output line so far
    size_t nextLine = 0;             // where waitForLine goes on looking
    bool outputClosed = false;
    std::atomic<bool> stopReading{false};  // set once the child is reaped
    bool exited = false;
    int exitStatus = 0;  // waitpid status, valid once exited

    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();
};

// Starts program with arguments (argv[0] is program). False when it cannot
// be started; the child is then not running.
bool startProcess(ChildProcess& child, const std::string& program, const std::vector<std::string>& arguments);

// Writes text as it is (add the '\n' yourself). False if the child's input is closed.
bool writeToProcess(ChildProcess& child, const std::string& text);

// Ends the child's standard input (it reads end of file).
void closeProcessInput(ChildProcess& child);

// Waits up to timeoutMs for an output line, after the last one this returned,
// that starts with prefix; returns it in line and moves past it. Lines passed
// over stay in lines.
bool waitForLine(ChildProcess& child, const std::string& prefix, int timeoutMs, std::string& line);

// Drops the lines waitForLine has moved past, but the last keep of them:
// a long run reads its children's answers without keeping them all.
void forgetReadLines(ChildProcess& child, size_t keep);

// The output lines so far, all of them.
std::vector<std::string> outputLines(ChildProcess& child);

// Waits up to timeoutMs for the child to end by itself; false if still running.
bool waitForExit(ChildProcess& child, int timeoutMs);

// SIGTERM, up to graceMs for the child to end, then SIGKILL. Idempotent.
// Returns true when the child ended within the grace time.
bool stopProcess(ChildProcess& child, int graceMs = 3000);

// "listening on 127.0.0.1:41234" among the first lines gives 41234; 0 if none
// arrived within timeoutMs.
int waitForListeningPort(ChildProcess& child, int timeoutMs);
