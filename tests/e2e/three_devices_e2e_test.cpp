// The bridge between the two device emulators, all three as real processes
// on loopback: what the model-based test does not reach. Every strip of the
// default banks, a full scene recall, the status block and the stop.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <string>

#include "e2e/model_surface.h"
#include "e2e/three_devices.h"

namespace {

// Start-up makes about 6,300 query round trips; a second or two on an idle
// machine. The bound only matters when something hangs.
const int kStartupMs = 30000;
const int kSettleMs = 5000;

// The home page with the strips first..first+7 against the console, faders
// to the bridge's own step (no hand has moved them).
std::string homeMismatch(ThreeDevices& devices, int first)
{
    Model m;
    m.selected = -1;  // the bank buttons move the selection; not checked here
    for (int i = 0; i < 8; ++i) m.shown[i] = first + i;
    std::string mismatch = surfaceMismatch(devices, m);
    SurfaceView view;
    if (!mismatch.empty() || !readSurface(devices, view)) return mismatch.empty() ? "no dump" : mismatch;
    for (int i = 0; i < 8; ++i) {
        double fader = -1.0;
        if (!consoleFloat(devices, mixPath(first + i) + "/fader", fader)) return "no answer for " + mixPath(first + i);
        // The nearest of 16384 steps, shown to four decimals.
        if (std::fabs(view.fader[i] - fader) > 0.0001)
            return "fader " + std::to_string(i + 1) + " at " + std::to_string(view.fader[i]) + ", console " +
                   std::to_string(fader);
    }
    return "";
}

// The default banks hold every strip in order, eight at a time, as the
// scroll (47) and bank (97) buttons reach them one after the other. The
// first step may take firstWithinMs, each later one a few seconds.
std::string walkEveryBank(ThreeDevices& devices, int firstWithinMs)
{
    const char* const presses[10] = {nullptr, "47", "47", "47", "97", "47", "97", "47", "97", "47"};
    for (int k = 0; k < 10; ++k) {
        if (presses[k] && !surfaceCommand(devices, std::string("press ") + presses[k])) return "surface emulator gone";
        std::string mismatch = eventually(k ? 3000 : firstWithinMs, [&] { return homeMismatch(devices, 8 * k); });
        if (!mismatch.empty()) return "strips from " + stripLabel(8 * k) + ": " + mismatch;
    }
    return "";
}

class EndToEnd : public ::testing::Test {
protected:
    void start(const std::vector<std::string>& consoleArguments = {})
    {
        std::string why;
        ASSERT_TRUE(startThreeDevices(devices, kStartupMs, why, consoleArguments)) << why;
    }
    ThreeDevices devices;
};

TEST_F(EndToEnd, DefaultBanksShowEveryConsoleStrip)
{
    ASSERT_NO_FATAL_FAILURE(start());
    EXPECT_EQ(walkEveryBank(devices, kSettleMs), "");
}

// A full scene recall pushes nearly every parameter at once. However long
// the surface takes to catch up, no change may be lost on the way.
TEST_F(EndToEnd, FullSceneRecallLosesNoChange)
{
    ASSERT_NO_FATAL_FAILURE(start({"--seed", "5"}));
    ASSERT_EQ(eventually(kSettleMs, [&] { return homeMismatch(devices, 0); }), "");
    ASSERT_TRUE(consoleCommand(devices, "scene 6000"));
    std::string line;
    ASSERT_TRUE(waitForLine(devices.console, "scene: ", 3000, line));
    EXPECT_EQ(walkEveryBank(devices, 20000), "") << "the bridge's status:\n" << bridgeStatus(devices);
}

// A surface that restarts shows nothing and probes for a host; the bridge
// answers and draws everything again at once, not at the next heartbeat
// (4 s, and then without displays or rings), and no hand is held any more.
TEST_F(EndToEnd, ARestartedSurfaceIsRedrawnAtOnce)
{
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_EQ(eventually(kSettleMs, [&] { return homeMismatch(devices, 0); }), "");
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(surfaceCommand(devices, "touch 2 1"));
        ASSERT_TRUE(surfaceCommand(devices, "restart"));
        EXPECT_EQ(eventually(2000, [&] { return homeMismatch(devices, 0); }), "");
    }
}

// The stop must not wait on a receive loop busy with meters and heartbeats.
TEST_F(EndToEnd, StopsOnQWhileTrafficFlows)
{
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_TRUE(surfaceCommand(devices, "fader 3 0.2"));
    ASSERT_TRUE(writeToProcess(devices.bridge, "q\n"));
    ASSERT_TRUE(waitForExit(devices.bridge, 3000)) << bridgeTail(devices);
    ASSERT_TRUE(WIFEXITED(devices.bridge.exitStatus));
    EXPECT_EQ(WEXITSTATUS(devices.bridge.exitStatus), 0);
    std::string line;
    EXPECT_TRUE(waitForLine(devices.bridge, "Cleanining up and stopping...", 100, line));
}

} // namespace
