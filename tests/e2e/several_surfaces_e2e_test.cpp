// Several X-Touches on one console, each a surface emulator of its own:
// banks kept apart, the console shown on every unit, a write from each, a
// restart that leaves the other unit alone, a strip held on one unit, and
// up to four units learned from their probes.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "e2e/model_surface.h"
#include "e2e/three_devices.h"
#include "tools/device_probe.h"

namespace {

const int kStartupMs = 30000;
const int kSettleMs = 5000;

// The home page of unit with the strips first..first+7 against the console.
std::string homeMismatch(ThreeDevices& devices, int first, int unit)
{
    Model m;
    m.selected = -1;
    for (int i = 0; i < 8; ++i) m.shown[i] = first + i;
    m.lowerBank = first >= 32;
    return surfaceMismatch(devices, m, unit);
}

// What a unit shows, without the counters and meters that move by themselves.
std::vector<std::string> shownLines(ThreeDevices& devices, int unit)
{
    std::vector<std::string> shown;
    for (const std::string& line : surfaceDumpLines(devices, unit))
        if (line.rfind("display", 0) == 0 || line.rfind("fader", 0) == 0 || line.rfind("ring", 0) == 0 ||
            line.rfind("lamp", 0) == 0 || line.rfind("probes", 0) == 0)
            shown.push_back(line);
    return shown;
}

double faderOf(ThreeDevices& devices, int unit, int fader)
{
    SurfaceView view;
    return readSurface(devices, view, unit) ? view.fader[fader - 1] : -1.0;
}

class SeveralSurfaces : public ::testing::Test {
protected:
    void startPair()
    {
        devices.units = 2;
        std::string why;
        ASSERT_TRUE(startThreeDevices(devices, kStartupMs, why)) << why;
        ASSERT_TRUE(countLostSurfaceDatagrams(devices));
    }
    ThreeDevices devices;
};

TEST_F(SeveralSurfaces, AListedPairKeepsItsBanksApartAndBothShowTheConsole)
{
    ASSERT_NO_FATAL_FAILURE(startPair());
    EXPECT_EQ(eventually(kSettleMs, [&] { return homeMismatch(devices, 0, 1) + homeMismatch(devices, 0, 2); }), "");

    // Bank up on unit 2 only: aux inputs there, channels 1-8 on unit 1.
    ASSERT_TRUE(surfaceCommand(devices, "press 97", 2));
    EXPECT_EQ(eventually(kSettleMs, [&] { return homeMismatch(devices, 32, 2); }), "");
    EXPECT_EQ(homeMismatch(devices, 0, 1), "");

    // A write from each unit, to the strip that unit shows, and no other.
    std::vector<std::string> writes;
    ASSERT_TRUE(consoleWrites(devices, writes));
    ASSERT_TRUE(surfaceCommand(devices, "fader 1 0.25", 1));
    ASSERT_TRUE(surfaceCommand(devices, "press 16", 2));
    ASSERT_TRUE(waitForBridgeToHandleSurface(devices, kStartupMs));
    double level = 0.0;
    int on = -1;
    ASSERT_TRUE(consoleFloat(devices, "/ch/01/mix/fader", level));
    EXPECT_NEAR(level, 0.25, 0.0001);
    ASSERT_TRUE(consoleInt(devices, "/auxin/01/mix/on", on));
    EXPECT_EQ(on, 0);
    ASSERT_TRUE(consoleWrites(devices, writes));
    EXPECT_EQ(writes.size(), 2u) << "the two actions wrote more than their two fields";

    // A console change of what both show (LR on the master fader) reaches both.
    ASSERT_TRUE(consoleCommand(devices, "set /main/st/mix/fader 0.3"));
    EXPECT_TRUE(surfaceExpect(devices, faderLine(9, 0.3), kSettleMs, 1));
    EXPECT_TRUE(surfaceExpect(devices, faderLine(9, 0.3), kSettleMs, 2));

    // Unit 2 restarts: it gets its own bank back; unit 1 is sent nothing new.
    EXPECT_EQ(eventually(kSettleMs, [&] { return homeMismatch(devices, 0, 1) + homeMismatch(devices, 32, 2); }), "");
    const std::vector<std::string> before = shownLines(devices, 1);
    ASSERT_FALSE(before.empty());
    ASSERT_TRUE(surfaceCommand(devices, "restart", 2));
    EXPECT_EQ(eventually(kSettleMs * 2, [&] { return homeMismatch(devices, 32, 2); }), "");
    EXPECT_EQ(shownLines(devices, 1), before);

    const std::string status = bridgeStatus(devices);
    EXPECT_NE(status.find("surface 1 127.0.0.1:" + std::to_string(devices.surfacePort) + " (command line)"),
              std::string::npos) << status;
    EXPECT_NE(status.find("surface 2 127.0.0.1:" + std::to_string(devices.surface2Port) + " (command line)"),
              std::string::npos) << status;
    EXPECT_NE(status.find("bank 2  scroll 0"), std::string::npos) << status;
}

// Both units on channels 1-8: a hand on unit 1's fader 1 keeps unit 2's
// motor still, whatever the console does meanwhile, until the hand leaves.
TEST_F(SeveralSurfaces, AStripHeldOnOneUnitStaysStillOnTheOtherUntilTheHandLeaves)
{
    ASSERT_NO_FATAL_FAILURE(startPair());
    ASSERT_EQ(eventually(kSettleMs, [&] { return homeMismatch(devices, 0, 1) + homeMismatch(devices, 0, 2); }), "");
    const double resting = faderOf(devices, 2, 1);
    ASSERT_TRUE(surfaceCommand(devices, "touch 1 1", 1));
    ASSERT_TRUE(surfaceCommand(devices, "fader 1 0.2", 1));
    ASSERT_TRUE(waitForBridgeToHandleSurface(devices, kStartupMs));
    // A console change on another strip is drawn on unit 2: its refresh ran.
    ASSERT_TRUE(consoleCommand(devices, "set /ch/02/mix/fader 0.4"));
    ASSERT_TRUE(surfaceExpect(devices, faderLine(2, 0.4), kSettleMs, 2));
    EXPECT_NEAR(faderOf(devices, 2, 1), resting, 0.0001);

    ASSERT_TRUE(surfaceCommand(devices, "touch 1 0", 1));
    EXPECT_TRUE(surfaceExpect(devices, faderLine(1, 0.2), kSettleMs, 2));
}

// "--surface auto": the first four X-Touches that probe are served, each
// named once with its number; a fifth is named once and left unanswered.
TEST(SeveralSurfacesLearned, FourAreServedAndAFifthIsNamedOnce)
{
    ThreeDevices devices;
    std::string why;
    ASSERT_TRUE(startThreeDevices(devices, kStartupMs, why, {}, {"--surface", "auto"})) << why;
    std::string line;
    // The rig's own emulator first, so that the fifth is one of the four below.
    ASSERT_EQ(eventually(kStartupMs, [&] {
                  for (const std::string& printed : outputLines(devices.bridge))
                      if (printed.find(" (surface 1)") != std::string::npos) return std::string();
                  return std::string("no surface 1 yet");
              }),
              "");
    ChildProcess extra[4];
    for (ChildProcess& unit : extra) ASSERT_NE(startSurfaceSim(unit, devices.bridgePort, {"--script"}), 0);
    ASSERT_TRUE(waitForLine(devices.bridge, "Ignoring another X-Touch at ", kStartupMs, line)) << bridgeTail(devices);
    for (int n = 1; n <= 4; ++n) {
        int found = 0;
        for (const std::string& printed : outputLines(devices.bridge))
            found += printed.rfind("Found X-Touch at 127.0.0.1:", 0) == 0 &&
                     printed.find(" (surface " + std::to_string(n) + ")") != std::string::npos;
        EXPECT_EQ(found, 1) << "surface " << n;
    }

    // Each emulator's probes and the answers it got.
    auto probesOf = [](ChildProcess& unit, long& probes, long& answered) {
        std::string dumped;
        if (!writeToProcess(unit, "dump\n") || !waitForLine(unit, "probes ", 3000, dumped)) return false;
        return std::sscanf(dumped.c_str(), "probes %ld answered %ld", &probes, &answered) == 2;
    };
    int unanswered = -1;
    long probes = 0, answered = 0;
    for (int k = 0; k < 4; ++k) {
        ASSERT_TRUE(probesOf(extra[k], probes, answered));
        if (answered == 0) unanswered = k;
    }
    ASSERT_GE(unanswered, 0) << "every extra emulator was answered";
    // It goes on probing every 2 s; the bridge names it no more.
    const long seen = probes;
    for (int polls = 0; polls < 300 && probes < seen + 2; ++polls) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ASSERT_TRUE(probesOf(extra[unanswered], probes, answered));
    }
    EXPECT_GE(probes, seen + 2);
    EXPECT_EQ(answered, 0);
    int named = 0;
    for (const std::string& printed : outputLines(devices.bridge)) named += printed.rfind("Ignoring another X-Touch", 0) == 0;
    EXPECT_EQ(named, 1);
    for (ChildProcess& unit : extra) stopProcess(unit, 2000);
}

}  // namespace
