// The keyboard read from a pipe, as when the bridge is started by a script:
// lines come through whole, and a waiting read ends at once on a stop or an
// interrupt without losing what is typed after.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <string>

#include "platform/console_input.h"
#include "platform/stop_signal.h"
#include "support/stdin_pipe.h"

namespace {

// Long enough for any machine; a read that is not woken is unblocked by a
// byte after it, and then fails its check instead of hanging the suite.
constexpr auto GIVE_UP = std::chrono::seconds(10);

class PipedKeyboard : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetStopSignal();
        ASSERT_TRUE(replaceStdinWithPipe());
    }
    void TearDown() override
    {
        resetStopSignal();
        closeStdinPipeWriter();
        char c;
        for (int i = 0; i < 100 && readConsoleCharWithin(c, 5000) == KeyStatus::Key; ++i) {
        }
        restoreStdin();
        resetConsoleInput();
    }

    // Runs read on another thread; after wake(), its result.
    KeyStatus wokenRead(const std::function<KeyStatus(char&)>& read, const std::function<void()>& wake)
    {
        std::future<KeyStatus> result = std::async(std::launch::async, [&read] {
            char c;
            return read(c);
        });
        wake();
        if (result.wait_for(GIVE_UP) != std::future_status::ready) writeToStdinPipe("x");
        return result.get();
    }
};

TEST_F(PipedKeyboard, LinesArriveWholeAndTheClosedPipeEndsTheInput)
{
    ASSERT_TRUE(writeToStdinPipe("s\nmixer 192.168.1.20\n"));
    char line[64];
    bool truncated = true;
    ASSERT_EQ(readConsoleLine(line, sizeof line, &truncated), KeyStatus::Key);
    EXPECT_EQ(std::string(line), "s");
    ASSERT_EQ(readConsoleLine(line, sizeof line, &truncated), KeyStatus::Key);
    EXPECT_EQ(std::string(line), "mixer 192.168.1.20");
    EXPECT_FALSE(truncated);
    closeStdinPipeWriter();
    EXPECT_EQ(readConsoleLine(line, sizeof line, &truncated), KeyStatus::EndOfInput);
}

// Asked before a question: an open pipe with nothing in it may still bring a
// keyboard's answer, a key typed ahead is not lost, and an ended one is known.
TEST_F(PipedKeyboard, TheEndOfInputIsKnownWithoutWaitingAndAKeyTypedAheadIsKept)
{
    EXPECT_FALSE(consoleInputEnded());
    ASSERT_TRUE(writeToStdinPipe("q\n"));
    EXPECT_FALSE(consoleInputEnded());
    char c = 0;
    ASSERT_EQ(readConsoleChar(c), KeyStatus::Key);
    EXPECT_EQ(c, 'q');
    ASSERT_EQ(readConsoleChar(c), KeyStatus::Key);
    EXPECT_EQ(c, '\n');
    closeStdinPipeWriter();
    EXPECT_EQ(readConsoleChar(c), KeyStatus::EndOfInput);
    EXPECT_TRUE(consoleInputEnded());
}

TEST_F(PipedKeyboard, AWaitingReadEndsOnAStopOrAnInterruptAndKeepsWhatComesAfter)
{
    std::atomic<bool> done{false};
    EXPECT_EQ(wokenRead([&done](char& c) { return readConsoleCharUntil(c, done); },
                        [&done] {
                            done = true;
                            interruptConsoleInput();
                        }),
              KeyStatus::TimedOut);

    EXPECT_EQ(wokenRead([](char& c) { return readConsoleChar(c); }, [] { requestStop(); }), KeyStatus::Stopped);
    resetStopSignal();

    char c = 0;
    EXPECT_EQ(readConsoleCharWithin(c, 20), KeyStatus::TimedOut);
    ASSERT_TRUE(writeToStdinPipe("q"));
    ASSERT_EQ(readConsoleCharWithin(c, 5000), KeyStatus::Key);
    EXPECT_EQ(c, 'q');
}

}  // namespace
