// A console that falls silent, reboots with other values or drops out while
// it is being read again: the real bridge between the two emulators.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

#include "robustness/bridge_rig.h"

namespace {

class DeviceFaults : public BridgeRig {};

// Index of the first bridge output line at or after from that starts with
// prefix; -1 when there is none.
int lineIndex(const std::vector<std::string>& lines, const std::string& prefix, int from = 0)
{
    for (size_t i = static_cast<size_t>(from); i < lines.size(); ++i)
        if (lines[i].compare(0, prefix.size(), prefix) == 0) return static_cast<int>(i);
    return -1;
}

TEST_F(DeviceFaults, SilentConsoleIsReportedOnceProbedAndReadAgainWhenBack)
{
    RigOptions options;
    options.bridgeArgs = {"--silence-ms", "700"};
    options.consoleArgs = {"--verbose"};
    ASSERT_TRUE(startRig(options));
    ASSERT_TRUE(surfaceShows(faderLine(1, 0.75), 3000));
    EXPECT_EQ(bridgeLineCount("Mixer not responding"), 0);

    // Changes made while it is silent are not pushed; only reading again
    // brings them to the surface.
    ASSERT_TRUE(consoleCommand("silent on 6500"));
    ASSERT_TRUE(consoleCommand("set /ch/01/mix/fader 0.25"));
    ASSERT_TRUE(consoleCommand("set /ch/02/config/name Silent"));
    auto silentAt = std::chrono::steady_clock::now();
    ASSERT_TRUE(bridgeSays("Mixer not responding", 3000));
    EXPECT_GE(std::chrono::steady_clock::now() - silentAt, std::chrono::milliseconds(500));
    // The surface says so too, naming the console, and its meters drop.
    const std::string at = "127.0.0.1:" + std::to_string(d.consolePort);
    EXPECT_TRUE(surfaceShows("display 1 color 1 inv 0 top \"Mixer\" bottom \"not\"", 2000));
    EXPECT_TRUE(surfaceShows("display 3 color 1 inv 0 top \"" + at.substr(0, 7) + "\" bottom \"ing\"", 100));
    EXPECT_TRUE(surfaceShows("display 4 color 1 inv 0 top \"" + at.substr(7, 7) + "\" bottom \"\"", 100));
    for (int meter = 1; meter <= 8; ++meter) EXPECT_TRUE(surfaceShows("meter " + std::to_string(meter) + " 0", 100));
    std::string line;
    // The keep-alive goes on and the probe asks again, both unanswered.
    EXPECT_TRUE(waitForLine(d.console, "silent, ignored /-stat/keysolo", 3000, line));
    EXPECT_TRUE(waitForLine(d.console, "silent, ignored /xremote", 8000, line));
    EXPECT_TRUE(surfaceShows(faderLine(1, 0.75), 100)) << "nothing may move while it is silent";

    ASSERT_TRUE(bridgeSays("Mixer is back, reading its state again...", 8000));
    EXPECT_TRUE(surfaceShows(faderLine(1, 0.25), 10000));
    EXPECT_TRUE(surfaceShows("display 2 color 1 inv 0 top \"Ch 2\" bottom \"Silent\"", 10000));
    ASSERT_TRUE(bridgeSays("Mixer state read again.", 20000));
    EXPECT_EQ(bridgeLineCount("Mixer not responding"), 1);
    EXPECT_EQ(bridgeLineCount("Mixer is back"), 1);

    // The surface still drives the console afterwards.
    ASSERT_TRUE(surfaceCommand("fader 3 0.6"));
    EXPECT_TRUE(consoleNumberReaches("/ch/03/mix/fader", 0.6, 3000));
}

// Start-up through a console that goes quiet for two seconds mid-sweep:
// what it gave up is asked again after start-up until it is read.
TEST_F(DeviceFaults, ParametersGivenUpDuringAQuietSpellAreReadAfterStartUp)
{
    std::filesystem::path script = profileFolder(d) / "quiet.txt";
    std::ofstream(script) << "wait 700\nsilent on 2000\n";
    RigOptions options;
    options.consoleArgs = {"--delay-ms", "1", "--script", script.string()};
    options.bridgeArgs = {"--sweep-window", "2"};
    ASSERT_TRUE(startRig(options));
    std::vector<std::string> lines = outputLines(d.bridge);
    int summary = -1;
    int given = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (std::sscanf(lines[i].c_str(), "%d of 6551 parameters were not answered", &given) == 1) {
            summary = static_cast<int>(i);
            break;
        }
    }
    ASSERT_GT(given, 0) << "the quiet spell fell outside the sweep";
    ASSERT_GE(summary, 0);
    EXPECT_NE(lines[static_cast<size_t>(summary)].find("they are asked again in the background"), std::string::npos);
    EXPECT_LT(given, 20) << "about one per second of outage and outstanding query";
    EXPECT_EQ(bridgeLineCount("No answer from the mixer"), 0) << "the console had answered before";

    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (bridgeLineCount("Mixer answered ") < given && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(bridgeLineCount("Mixer answered "), given);
    EXPECT_GT(lineIndex(outputLines(d.bridge), "Mixer answered "), summary) << "asked again after the sweep";
}

// A console that never answers one parameter, the very first one asked.
TEST_F(DeviceFaults, AnAddressTheConsoleNeverAnswersDoesNotHoldStartUp)
{
    const std::string first = "/config/amixenable/X";
    RigOptions options;
    // And 80 more the console lacks, asked while it answers others: each
    // costs a few milliseconds, not a second (80 s of start-up once).
    options.consoleArgs = {"--ignore", first, "--ignore", "/-stat/solosw/*"};
    options.startupTimeoutMs = 15000;
    ASSERT_TRUE(startRig(options));
    EXPECT_EQ(bridgeLineCount("The mixer answers, but not " + first + "; going on without it"), 1);
    EXPECT_EQ(bridgeLineCount("No answer from the mixer"), 0);
    EXPECT_EQ(bridgeLineCount("81 of 6551 parameters were not answered by the mixer (" + first +
                              ", /-stat/solosw/01, /-stat/solosw/02, /-stat/solosw/03, ...)"),
              1);

    // After start-up it is asked again, now and then, until answered.
    auto askedCount = [&] {
        int count = 0;
        for (const std::string& l : outputLines(d.console)) count += l == "ignored query " + first;
        return count;
    };
    const int duringStartUp = askedCount();
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (askedCount() <= duringStartUp && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_GT(askedCount(), duringStartUp);
    ASSERT_TRUE(consoleCommand("ignore none"));
    EXPECT_TRUE(bridgeSays("Mixer answered " + first + " at last", 5000));
}

TEST_F(DeviceFaults, RebootedConsoleIsSubscribedAgainAndItsNewValuesReachTheSurface)
{
    RigOptions options;
    options.bridgeArgs = {"--silence-ms", "700"};
    ASSERT_TRUE(startRig(options));
    ASSERT_TRUE(surfaceShows(faderLine(1, 0.75), 3000));

    stopProcess(d.console, 2000);
    ASSERT_TRUE(bridgeSays("Mixer not responding", 3000));
    // The console that comes back starts from other values and knows
    // nothing of the bridge: no keep-alive, no meter subscriptions.
    std::filesystem::path script = profileFolder(d) / "reboot.txt";
    std::ofstream(script) << "set /ch/01/mix/fader 0.25\nset /ch/01/config/name Reboot\n"
                             "set /ch/06/mix/fader 0.1\n";
    ASSERT_TRUE(restartConsole(d, {"--script", script.string()}));
    ASSERT_TRUE(bridgeSays("Mixer is back, reading its state again...", 5000));
    std::string line;
    const std::string bridgeAt = "127.0.0.1:" + std::to_string(bridgeMixerPort);
    EXPECT_TRUE(waitForLine(d.console, "remote client " + bridgeAt, 3000, line));
    for (const char* block : {"/meters/1 as /meter1", "/meters/2 as /meter2", "/meters/3 as /meter3"}) {
        EXPECT_TRUE(waitForLine(d.console, std::string("meters ") + block + " to " + bridgeAt, 3000, line))
            << block;
    }
    EXPECT_TRUE(surfaceShows(faderLine(1, 0.25), 10000));
    EXPECT_TRUE(surfaceShows(faderLine(6, 0.1), 10000));
    EXPECT_TRUE(surfaceShows("display 1 color 1 inv 1 top \"Ch 1\" bottom \"Reboot\"", 10000));
    ASSERT_TRUE(bridgeSays("Mixer state read again.", 20000));
    EXPECT_EQ(bridgeLineCount("Mixer not responding"), 1);
}

TEST_F(DeviceFaults, SilenceDuringTheRereadRestartsItOnceTheConsoleIsBack)
{
    RigOptions options;
    options.bridgeArgs = {"--silence-ms", "700", "--sweep-window", "8"};
    ASSERT_TRUE(startRig(options));
    // Slow answers stretch the re-read to a few seconds.
    ASSERT_TRUE(consoleCommand("delay 5"));
    ASSERT_TRUE(consoleCommand("silent on 1500"));
    ASSERT_TRUE(bridgeSays("Mixer is back, reading its state again...", 5000));
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    ASSERT_EQ(bridgeLineCount("Mixer state read again."), 0) << "the re-read ended too soon for this test";

    ASSERT_TRUE(consoleCommand("silent on 1500"));
    // Read early in every pass, so only a pass from the start brings it.
    ASSERT_TRUE(consoleCommand("set /ch/01/mix/fader 0.3"));
    ASSERT_TRUE(consoleCommand("set /ch/08/mix/fader 0.2"));
    ASSERT_TRUE(bridgeSays("Mixer not responding", 3000));
    ASSERT_TRUE(bridgeSays("Mixer is back, reading its state again...", 5000));
    ASSERT_TRUE(bridgeSays("Mixer state read again.", 30000));
    EXPECT_TRUE(surfaceShows(faderLine(1, 0.3), 1000));
    EXPECT_TRUE(surfaceShows(faderLine(8, 0.2), 1000));

    std::vector<std::string> lines = outputLines(d.bridge);
    int firstBack = lineIndex(lines, "Mixer is back");
    int secondSilence = lineIndex(lines, "Mixer not responding", lineIndex(lines, "Mixer not responding") + 1);
    int secondBack = lineIndex(lines, "Mixer is back", firstBack + 1);
    int done = lineIndex(lines, "Mixer state read again.");
    ASSERT_GE(firstBack, 0);
    ASSERT_GE(secondSilence, 0);
    EXPECT_LT(firstBack, secondSilence);
    EXPECT_LT(secondSilence, secondBack);
    EXPECT_LT(secondBack, done) << "the interrupted pass must not report itself complete";
    EXPECT_EQ(bridgeLineCount("Mixer state read again."), 1);
}

TEST_F(DeviceFaults, SurfaceWorksDuringTheRereadAndAStopEndsItPromptly)
{
    RigOptions options;
    options.bridgeArgs = {"--silence-ms", "700"};
    ASSERT_TRUE(startRig(options));
    // One query at a time, each answered after 20 ms: a re-read of minutes.
    ASSERT_TRUE(consoleCommand("delay 20"));
    ASSERT_TRUE(consoleCommand("silent on 1200"));
    ASSERT_TRUE(bridgeSays("Mixer is back, reading its state again...", 5000));

    ASSERT_TRUE(surfaceCommand("fader 4 0.3"));
    EXPECT_TRUE(consoleNumberReaches("/ch/04/mix/fader", 0.3, 3000));
    ASSERT_TRUE(consoleCommand("set /ch/05/mix/fader 0.45"));
    EXPECT_TRUE(surfaceShows(faderLine(5, 0.45), 3000));
    ASSERT_EQ(bridgeLineCount("Mixer state read again."), 0);

    auto before = std::chrono::steady_clock::now();
    ASSERT_TRUE(writeToProcess(d.bridge, "q\n"));
    ASSERT_TRUE(waitForExit(d.bridge, 3000));
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(2500));
    ASSERT_TRUE(WIFEXITED(d.bridge.exitStatus));
    EXPECT_EQ(WEXITSTATUS(d.bridge.exitStatus), 0);
    EXPECT_EQ(bridgeLineCount("Mixer state read again."), 0);
}

} // namespace
