#include "support/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>

extern char** environ;

namespace {

// Collects output lines until end of file, or until the child has been
// reaped and its output has gone quiet (a grandchild may still hold the pipe).
void readOutput(ChildProcess* child)
{
    std::string pending;
    char buffer[4096];
    for (;;) {
        pollfd ready{child->outputFd, POLLIN, 0};
        int polled = poll(&ready, 1, 50);
        if (polled < 0 && errno == EINTR) continue;
        if (polled == 0 && !child->stopReading) continue;
        ssize_t count = 0;
        if (polled > 0) {
            count = read(child->outputFd, buffer, sizeof buffer);
            if (count < 0 && errno == EINTR) continue;
        }
        std::lock_guard<std::mutex> lock(child->mutex);
        if (count <= 0) {
            if (!pending.empty()) child->lines.push_back(pending);
            child->outputClosed = true;
            child->changed.notify_all();
            return;
        }
        pending.append(buffer, static_cast<size_t>(count));
        size_t start = 0;
        for (size_t end; (end = pending.find('\n', start)) != std::string::npos; start = end + 1)
            child->lines.push_back(pending.substr(start, end - start));
        pending.erase(0, start);
        child->changed.notify_all();
    }
}

// The first line from child.nextLine on that starts with prefix; caller holds the mutex.
bool takeLine(ChildProcess& child, const std::string& prefix, std::string& line)
{
    for (size_t i = child.nextLine; i < child.lines.size(); ++i) {
        if (child.lines[i].compare(0, prefix.size(), prefix) == 0) {
            line = child.lines[i];
            child.nextLine = i + 1;
            return true;
        }
    }
    return false;
}

void closeFd(int& fd)
{
    if (fd >= 0) close(fd);
    fd = -1;
}

// Reaps the child if it has ended; true once it has.
bool reap(ChildProcess& child, bool block)
{
    if (child.exited) return true;
    if (child.pid <= 0) return true;
    int status = 0;
    pid_t result = waitpid(child.pid, &status, block ? 0 : WNOHANG);
    if (result == child.pid || (result < 0 && errno == ECHILD)) {
        child.exited = true;
        child.exitStatus = status;
        return true;
    }
    return false;
}

bool waitUntilExited(ChildProcess& child, int timeoutMs)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!reap(child, false)) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        usleep(2000);
    }
    return true;
}

void finish(ChildProcess& child)
{
    closeFd(child.inputFd);
    child.stopReading = true;
    if (child.reader.joinable()) child.reader.join();
    closeFd(child.outputFd);
}

}  // namespace

ChildProcess::~ChildProcess() { stopProcess(*this); }

bool startProcess(ChildProcess& child, const std::string& program, const std::vector<std::string>& arguments)
{
    int input[2];
    int output[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, input) != 0) return false;
    if (pipe2(output, O_CLOEXEC) != 0) {
        close(input[0]);
        close(input[1]);
        return false;
    }
    std::vector<std::string> words = arguments;
    words.insert(words.begin(), program);
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[1], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDERR_FILENO);
    pid_t pid = -1;
    int failed = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(input[1]);
    close(output[1]);
    if (failed != 0) {
        close(input[0]);
        close(output[0]);
        return false;
    }
    child.pid = pid;
    child.inputFd = input[0];
    child.outputFd = output[0];
    child.exited = false;
    child.stopReading = false;
    child.reader = std::thread(readOutput, &child);
    return true;
}

bool writeToProcess(ChildProcess& child, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        if (child.inputFd < 0) return false;
        ssize_t sent = send(child.inputFd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return false;
        done += static_cast<size_t>(sent);
    }
    return true;
}

void closeProcessInput(ChildProcess& child)
{
    if (child.inputFd >= 0) shutdown(child.inputFd, SHUT_WR);
}

bool waitForLine(ChildProcess& child, const std::string& prefix, int timeoutMs, std::string& line)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::unique_lock<std::mutex> lock(child.mutex);
    for (;;) {
        if (takeLine(child, prefix, line)) return true;
        if (child.outputClosed) return false;
        if (child.changed.wait_until(lock, deadline) == std::cv_status::timeout)
            return takeLine(child, prefix, line);
    }
}

void forgetReadLines(ChildProcess& child, size_t keep)
{
    std::lock_guard<std::mutex> lock(child.mutex);
    if (child.nextLine <= keep) return;
    const size_t drop = child.nextLine - keep;
    child.lines.erase(child.lines.begin(), child.lines.begin() + static_cast<long>(drop));
    child.nextLine -= drop;
}

std::vector<std::string> outputLines(ChildProcess& child)
{
    std::lock_guard<std::mutex> lock(child.mutex);
    return child.lines;
}

bool waitForExit(ChildProcess& child, int timeoutMs)
{
    if (child.pid <= 0) return true;
    if (!waitUntilExited(child, timeoutMs)) return false;
    finish(child);
    return true;
}

bool stopProcess(ChildProcess& child, int graceMs)
{
    if (child.pid <= 0) return true;
    bool ended = true;
    if (!reap(child, false)) {
        kill(child.pid, SIGTERM);
        ended = waitUntilExited(child, graceMs);
        if (!ended) {
            kill(child.pid, SIGKILL);
            reap(child, true);
        }
    }
    finish(child);
    return ended;
}

int waitForListeningPort(ChildProcess& child, int timeoutMs)
{
    std::string line;
    if (!waitForLine(child, "listening on ", timeoutMs, line)) return 0;
    size_t colon = line.rfind(':');
    if (colon == std::string::npos) return 0;
    return std::atoi(line.c_str() + colon + 1);
}
