// The child-process helper that the end-to-end tests rely on.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>

#include "support/process.h"

TEST(ChildProcessHelper, ExchangesLinesAndReportsTheExitStatus)
{
    ChildProcess child;
    ASSERT_TRUE(startProcess(child, "/bin/sh", {"-c", "echo ready; read x; echo \"got $x\" >&2; exit 3"}));
    std::string line;
    ASSERT_TRUE(waitForLine(child, "ready", 2000, line));
    ASSERT_TRUE(writeToProcess(child, "abc\n"));
    ASSERT_TRUE(waitForLine(child, "got ", 2000, line));
    EXPECT_EQ(line, "got abc");
    ASSERT_TRUE(waitForExit(child, 2000));
    ASSERT_TRUE(WIFEXITED(child.exitStatus));
    EXPECT_EQ(WEXITSTATUS(child.exitStatus), 3);
    EXPECT_EQ(outputLines(child), (std::vector<std::string>{"ready", "got abc"}));
}

TEST(ChildProcessHelper, WaitForLineGivesUpAtItsDeadline)
{
    ChildProcess child;
    ASSERT_TRUE(startProcess(child, "/bin/sh", {"-c", "echo one; exec sleep 10"}));
    std::string line;
    ASSERT_TRUE(waitForLine(child, "one", 2000, line));
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(waitForLine(child, "one", 150, line));  // already taken
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(140));
    EXPECT_LT(waited, std::chrono::milliseconds(1500));
    EXPECT_TRUE(stopProcess(child, 2000));
    EXPECT_TRUE(WIFSIGNALED(child.exitStatus));
}

TEST(ChildProcessHelper, KillsAChildThatIgnoresSigterm)
{
    ChildProcess child;
    ASSERT_TRUE(startProcess(child, "/bin/sh", {"-c", "trap '' TERM; echo armed; exec sleep 30"}));
    std::string line;
    ASSERT_TRUE(waitForLine(child, "armed", 2000, line));
    pid_t pid = child.pid;
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(stopProcess(child, 200));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_TRUE(WIFSIGNALED(child.exitStatus));
    EXPECT_EQ(WTERMSIG(child.exitStatus), SIGKILL);
    EXPECT_EQ(kill(pid, 0), -1);
    EXPECT_FALSE(writeToProcess(child, "late\n"));
}

TEST(ChildProcessHelper, ReportsAProgramThatCannotStart)
{
    ChildProcess child;
    EXPECT_FALSE(startProcess(child, "/nonexistent/velumbra-program", {}));
    EXPECT_TRUE(stopProcess(child));
}
