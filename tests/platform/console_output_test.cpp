#include <gtest/gtest.h>

#include <string>

#include "platform/console_output.h"

namespace {

class ConsoleOutput : public ::testing::Test {
protected:
    void SetUp() override { setConsoleCapture(&output); }
    void TearDown() override { setConsoleCapture(nullptr); }
    std::string output;
};

// The help and a status block are longer than the usual line buffer.
TEST_F(ConsoleOutput, PrintsATextOfAnyLengthWhole)
{
    for (size_t length : {2047u, 2048u, 2049u, 9000u}) {
        output.clear();
        const std::string text(length, 'x');
        consolePrint("%s|%d\n", text.c_str(), 7);
        EXPECT_EQ(output, text + "|7\n") << length;
    }
}

// A line from another thread while the bar is drawn gets a line of its own,
// and the bar goes on below it; the line that ends the bar stays on it.
TEST_F(ConsoleOutput, ALineDuringTheProgressBarNeverLandsInsideIt)
{
    consoleProgress("[*  ]");
    consolePrint("Found X-Touch at %s\n", "10.0.0.9:10111");
    consoleProgress("[** ]");
    endConsoleProgress();
    consolePrint("done.\n");
    EXPECT_EQ(output, "\r[*  ]\nFound X-Touch at 10.0.0.9:10111\n\r[*  ]\r[** ]done.\n");
}

} // namespace
