// The bridge between the two device emulators, all three as real processes
// on loopback: what the model-based test does not reach. Every strip of the
// default banks, a full scene recall, the status block and the stop.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <string>

#include "e2e/model_surface.h"
#include "e2e/three_devices.h"
#include "fxdefs/fx_files.h"
#include "platform/console_output.h"

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
    m.selected = -1;  // not checked here
    for (int i = 0; i < 8; ++i) m.shown[i] = first + i;
    m.lowerBank = first >= 32;  // past the first default bank (channels 1-32)
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

// A console locked before the bridge starts is locked on the surface from
// the first moment: it says so and writes nothing; unlocked on the desk, the
// same hand move reaches the console.
TEST_F(EndToEnd, AConsoleLockedBeforeStartUpTakesNoSurfaceAction)
{
    const std::filesystem::path script = profileFolder(devices) / "locked.txt";
    std::ofstream(script) << "set /-stat/lock 1\n";
    ASSERT_NO_FATAL_FAILURE(start({"--script", script.string()}));
    auto shows = [&](const std::string& top) {
        return eventually(kSettleMs, [&]() -> std::string {
            SurfaceView view;
            if (!readSurface(devices, view)) return "no dump";
            return view.displayTop[0] == top ? "" : "display 1 shows \"" + view.displayTop[0] + "\"";
        });
    };
    ASSERT_EQ(shows("Console"), "");
    ASSERT_TRUE(countLostSurfaceDatagrams(devices));
    std::vector<std::string> writes;
    ASSERT_TRUE(consoleWrites(devices, writes));  // start-up's, left out
    double before = -1.0, after = -1.0;
    ASSERT_TRUE(consoleFloat(devices, "/ch/01/mix/fader", before));
    ASSERT_TRUE(surfaceCommand(devices, "fader 1 0.1234"));
    ASSERT_TRUE(waitForBridgeToHandleSurface(devices, kStartupMs));
    ASSERT_TRUE(consoleWrites(devices, writes));
    EXPECT_EQ(writes, std::vector<std::string>{});
    ASSERT_TRUE(consoleFloat(devices, "/ch/01/mix/fader", after));
    EXPECT_EQ(after, before);

    ASSERT_TRUE(consoleCommand(devices, "set /-stat/lock 0"));
    ASSERT_EQ(shows("Ch 1"), "");
    ASSERT_TRUE(surfaceCommand(devices, "fader 1 0.1234"));
    ASSERT_TRUE(waitForBridgeToHandleSurface(devices, kStartupMs));
    ASSERT_TRUE(consoleWrites(devices, writes));
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].rfind("/ch/01/mix/fader f 0.12", 0), 0u) << writes[0];
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
    EXPECT_TRUE(waitForLine(devices.bridge, "Cleaning up and stopping...", 100, line));
}

std::string fileText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The program copied alone into an empty folder, with a profile that holds
// no effects files: what it carries in itself must name the effects.
TEST_F(EndToEnd, ProgramCopiedAloneNamesTheEffectParameters)
{
    const std::filesystem::path alone = profileFolder(devices) / "alone";
    std::filesystem::create_directories(alone);
    ASSERT_TRUE(std::filesystem::copy_file(VELUMBRA_BINARY, alone / "velumbra"));
    devices.bridgeProgram = (alone / "velumbra").string();
    devices.seedFxFiles = false;
    ASSERT_NO_FATAL_FAILURE(start());
    int builtIn = 0;
    for (const std::string& l : outputLines(devices.bridge))
        builtIn += l.find("was missing: wrote the built-in one to ") != std::string::npos;
    EXPECT_EQ(builtIn, 2) << bridgeTail(devices, 40);
    const std::filesystem::path written = devices.profile / "AppData" / "Roaming" / "Velumbra" / "fx1_4.prm";
    const std::filesystem::path shipped = std::filesystem::path(VELUMBRA_SOURCE_DIR) / "fxdata" / "fx1_4.prm";
    EXPECT_TRUE(fileText(written) == fileText(shipped)) << written << " differs from " << shipped;

    // What the effects page of slot 1 must show, read from the source tree's
    // file for the type the console holds.
    int type = -1;
    ASSERT_TRUE(consoleInt(devices, "/fx/1/type", type));
    ASSERT_TRUE(type >= 0 && type < FX_TYPES_1TO4) << type;
    resetFxDescriptions();
    std::string readerOutput;
    setConsoleCapture(&readerOutput);
    const bool read = readFxDescriptionFile(shipped.string(), fxDescriptions1to4, FX_TYPES_1TO4, FX_LINE_CAPACITY_1TO4);
    setConsoleCapture(nullptr);
    ASSERT_TRUE(read) << readerOutput;
    const FxDescription& fx = fxDescriptions1to4[type];
    std::string expected[6];
    int named = 0;
    for (int q = 0; q < fx.paramCount && fx.params[q].kind >= 0; ++q) {
        const FxParamDescription& p = fx.params[q];
        if (p.page == 1 && p.position >= 1 && p.position <= 6 && expected[p.position - 1].empty()) {
            expected[p.position - 1] = std::string(p.name).substr(0, 7);
            ++named;
        }
    }
    ASSERT_GT(named, 0) << "the shipped file names nothing on page 1 of type " << type;

    ASSERT_TRUE(surfaceCommand(devices, "press 70"));
    EXPECT_EQ(eventually(kSettleMs, [&]() -> std::string {
                  SurfaceView view;
                  if (!readSurface(devices, view)) return "no dump";
                  if (view.displayBottom[0] != fx.name) return "effect shown as \"" + view.displayBottom[0] + "\"";
                  for (int i = 0; i < 6; ++i) {
                      if (!expected[i].empty() && view.displayTop[i + 2] != expected[i])
                          return "display " + std::to_string(i + 3) + " shows \"" + view.displayTop[i + 2] +
                                 "\", not \"" + expected[i] + "\"";
                  }
                  return "";
              }),
              "");
    resetFxDescriptions();
}

} // namespace
