// The bridge between the two device emulators, all three as real processes
// on loopback: start-up, both directions of a change, pages, banks, a scene
// recall, the status block and the stop.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "e2e/three_devices.h"

namespace {

using Clock = std::chrono::steady_clock;

// Start-up makes about 6,300 query round trips; a second or two on an idle
// machine. The bound only matters when something hangs.
const int kStartupMs = 30000;
const int kSettleMs = 5000;
// The surface sends a fader as 7-bit first + 128 x second over 0..16383; the
// bridge reads (second x 255 + first) / 32636, up to 127 steps off that.
const double kSurfaceFaderStep = 128.0 / 32636.0;

// Polls check until it returns an empty text (no mismatch) or withinMs is
// up; returns the last mismatch, empty on success.
std::string eventually(int withinMs, const std::function<std::string()>& check)
{
    auto deadline = Clock::now() + std::chrono::milliseconds(withinMs);
    for (;;) {
        std::string mismatch = check();
        if (mismatch.empty() || Clock::now() >= deadline) return mismatch;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

std::string twoDigits(int n)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02d", n);
    return text;
}

// Console strips as the surface shows them on the home page.
struct ShownStrip {
    std::string prefix;  // "/ch/01"
    std::string label;   // the display's top line
};

std::vector<ShownStrip> stripRange(const char* family, const char* label, int first)
{
    std::vector<ShownStrip> strips;
    for (int n = first; n < first + 8; ++n)
        strips.push_back({std::string(family) + twoDigits(n), std::string(label) + std::to_string(n)});
    return strips;
}

// What a home-page strip must show: the console's name (cut to the display's
// seven characters), its colour folded into 0..7 plus the inverted flag, its
// fader, and its mute lamp. Empty when the surface shows exactly that.
std::string homeMismatch(ThreeDevices& devices, const std::vector<ShownStrip>& shown)
{
    SurfaceView view;
    if (!readSurface(devices, view)) return "no dump from the surface emulator";
    for (int i = 0; i < 8; ++i) {
        const std::string& p = shown[static_cast<size_t>(i)].prefix;
        // A DCA keeps its fader and switch at the top of its tree.
        const std::string mix = p.rfind("/dca/", 0) == 0 ? p : p + "/mix";
        std::string name;
        int color = 0;
        int on = 0;
        double fader = 0.0;
        if (!consoleText(devices, p + "/config/name", name) || !consoleInt(devices, p + "/config/color", color) ||
            !consoleInt(devices, mix + "/on", on) || !consoleFloat(devices, mix + "/fader", fader))
            return "no answer from the console emulator for " + p;
        std::string where = "strip " + std::to_string(i + 1) + " (" + p + "): ";
        if (view.displayTop[i] != shown[static_cast<size_t>(i)].label)
            return where + "top \"" + view.displayTop[i] + "\", console strip is \"" +
                   shown[static_cast<size_t>(i)].label + "\"";
        if (view.displayBottom[i] != name.substr(0, 7))
            return where + "bottom \"" + view.displayBottom[i] + "\", console name \"" + name + "\"";
        if (view.displayColor[i] != (color & 7) || view.displayInverted[i] != (color >= 8 ? 1 : 0))
            return where + "colour " + std::to_string(view.displayColor[i]) + " inv " +
                   std::to_string(view.displayInverted[i]) + ", console colour " + std::to_string(color);
        // The bridge truncates position x 32636 to whole steps.
        if (std::fabs(view.fader[i] - fader) > 0.0005)
            return where + "fader " + std::to_string(view.fader[i]) + ", console " + std::to_string(fader);
        int wantedLamp = on == 0 ? 127 : 0;
        if (view.lamp[16 + i] != wantedLamp)
            return where + "mute lamp " + std::to_string(view.lamp[16 + i]) + ", console on " + std::to_string(on);
    }
    return "";
}

// The default banks with their scroll steps, as the bank (97) and scroll
// (47) buttons reach them one after the other: every strip of the console.
struct BankStep {
    const char* press;  // nullptr: what start-up shows
    std::vector<ShownStrip> shown;
};

std::vector<BankStep> everyBankStep()
{
    std::vector<ShownStrip> mastersAndMatrices = stripRange("/mtx/", "Mtrix ", 1);
    mastersAndMatrices.resize(6);
    mastersAndMatrices.push_back({"/main/st", "LR"});
    mastersAndMatrices.push_back({"/main/m", "M/C"});
    std::vector<ShownStrip> dcas;
    for (int n = 1; n <= 8; ++n) dcas.push_back({"/dca/" + std::to_string(n), "DCA " + std::to_string(n)});
    return {
        {nullptr, stripRange("/ch/", "Ch ", 1)},        {"press 47", stripRange("/ch/", "Ch ", 9)},
        {"press 47", stripRange("/ch/", "Ch ", 17)},    {"press 47", stripRange("/ch/", "Ch ", 25)},
        {"press 97", stripRange("/auxin/", "Aux ", 1)}, {"press 47", stripRange("/fxrtn/", "Fx rt ", 1)},
        {"press 97", stripRange("/bus/", "Bus ", 1)},   {"press 47", stripRange("/bus/", "Bus ", 9)},
        {"press 97", mastersAndMatrices},               {"press 47", dcas},
    };
}

// Steps through every bank; the first step may take firstWithinMs, each
// later one a few seconds. Empty when every strip showed what the console holds.
std::string walkEveryBank(ThreeDevices& devices, int firstWithinMs)
{
    for (const BankStep& step : everyBankStep()) {
        if (step.press && !surfaceCommand(devices, step.press)) return "surface emulator gone";
        std::string mismatch =
            eventually(step.press ? 3000 : firstWithinMs, [&] { return homeMismatch(devices, step.shown); });
        if (!mismatch.empty()) return std::string(step.press ? step.press : "start") + ": " + mismatch;
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

TEST_F(EndToEnd, StartUpShowsTheFirstBankOfTheConsole)
{
    ASSERT_NO_FATAL_FAILURE(start());
    std::string mismatch = eventually(kSettleMs, [&] { return homeMismatch(devices, stripRange("/ch/", "Ch ", 1)); });
    EXPECT_EQ(mismatch, "");
    SurfaceView view;
    ASSERT_TRUE(readSurface(devices, view));
    EXPECT_EQ(view.lamp[0x33], 127) << "home page lamp";
    EXPECT_EQ(view.lamp[0x2C], 0) << "equaliser page lamp";
    EXPECT_GE(view.heartbeats, 1);
}

// Changes made on the console (as from the desk or the editor) show on the
// surface without any surface action.
TEST_F(EndToEnd, ConsoleChangesReachTheSurface)
{
    struct Case {
        const char* consoleCommand;
        const char* surfaceLine;
    };
    const Case cases[] = {
        {"set /ch/01/mix/fader 0.25", "fader 1 0.2500"},
        {"set /ch/08/mix/fader 0.9", "fader 8 0.9000"},
        {"set /main/st/mix/fader 0.4", "fader 9 0.4000"},
        {"set /ch/03/mix/on 0", "lamp 18 127"},
        {"set /ch/04/config/name Tambourine", "display 4 color 1 inv 0 top \"Ch 4\" bottom \"Tambour\""},
        {"set /ch/05/config/color 10", "display 5 color 2 inv 1 top \"Ch 5\" bottom \"Tom 2\""},
    };
    ASSERT_NO_FATAL_FAILURE(start());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.consoleCommand);
        ASSERT_TRUE(consoleCommand(devices, c.consoleCommand));
        EXPECT_TRUE(surfaceExpect(devices, c.surfaceLine, 2000)) << "expected on the surface: " << c.surfaceLine;
    }
}

std::string fileText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Strip displays 1..8 as "top|bottom", or why they could not be read.
std::string shownDisplays(ThreeDevices& devices)
{
    SurfaceView view;
    if (!readSurface(devices, view)) return "no dump from the surface emulator";
    std::string shown;
    for (int i = 0; i < 8; ++i) shown += view.displayTop[i] + "|" + view.displayBottom[i] + (i < 7 ? " " : "");
    return shown;
}

// A profile holding only the user's own fx5_8.prm: the bridge copies the
// shipped fx1_4.prm, keeps the user's file, and the effects page of a slot
// the console sets to the four-tap delay names its parameters.
TEST_F(EndToEnd, ShippedEffectsDescriptionsNameTheConsolesEffects)
{
    const std::string userFile = "1   # one effect, no parameters\nMINE\n0\n0\n1\n";
    devices.prepareFxFolder = [&](const std::filesystem::path& folder) {
        std::ofstream(folder / "fx5_8.prm", std::ios::binary) << userFile;
    };
    ASSERT_NO_FATAL_FAILURE(start());
    std::filesystem::path fx = devices.profile / "AppData" / "Roaming" / "Velumbra";
    EXPECT_EQ(fileText(fx / "fx1_4.prm"), fileText(std::filesystem::path(VELUMBRA_SOURCE_DIR) / "fxdata" / "fx1_4.prm"));
    EXPECT_EQ(fileText(fx / "fx5_8.prm"), userFile);
    std::vector<std::string> said;
    for (const std::string& line : outputLines(devices.bridge))
        if (line.find(".prm was missing") != std::string::npos) said.push_back(line);
    EXPECT_EQ(said, std::vector<std::string>{"fx1_4.prm was missing: copied the shipped one to " +
                                             (fx / "fx1_4.prm").string()});

    struct Step {
        const char* device;   // "console" or "surface"
        const char* command;
        const char* shown;    // the eight displays afterwards
    };
    const Step steps[] = {
        {"console", "set /fx/2/type 12", nullptr},
        {"surface", "press 71",   // effects slot 2; the new type's parameters come in at 0.5 and 0
         "FX 2|4TAP Page|1/3 Time|+1500.5 Gain|+50.0 Feedbk|+50.0 LoCut|70.7 HiCut|2k00 Spread|+3.0"},
        {"surface", "turn 2 +1",
         "FX 2|4TAP Page|2/3 FactA|1/4 GainA|+50.0 FactB|1/4 GainB|+50.0 FactC|1/4 GainC|+50.0"},
        {"surface", "press 80",   // slot 5 (TEQ2) has no block in the user's own file
         "FX 5|TEQ2 Page|1/0 | | | | | |"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.command);
        ASSERT_TRUE(std::string(step.device) == "console" ? consoleCommand(devices, step.command)
                                                          : surfaceCommand(devices, step.command));
        if (!step.shown) continue;
        std::string shown;
        eventually(3000, [&] {
            shown = shownDisplays(devices);
            return shown == step.shown ? "" : shown;
        });
        EXPECT_EQ(shown, step.shown);
    }
}

// Surface actions change the console's values.
TEST_F(EndToEnd, SurfaceActionsReachTheConsole)
{
    struct Case {
        const char* surfaceCommand;
        const char* address;
        double wanted;
    };
    const Case cases[] = {
        {"fader 2 0.5", "/ch/02/mix/fader", 0.5},
        {"fader 7 0.0", "/ch/07/mix/fader", 0.0},
        {"fader 9 0.3", "/main/st/mix/fader", 0.3},
        {"press 18", "/ch/03/mix/on", 0},  // the mute button of strip 3
    };
    ASSERT_NO_FATAL_FAILURE(start());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.surfaceCommand);
        ASSERT_TRUE(surfaceCommand(devices, c.surfaceCommand));
        std::string mismatch = eventually(3000, [&]() -> std::string {
            std::string value;
            if (!consoleValue(devices, c.address, value)) return "no answer from the console emulator";
            double number = 0.0;
            if (std::sscanf(value.c_str(), "%*c %lf", &number) != 1 || std::fabs(number - c.wanted) > kSurfaceFaderStep)
                return std::string(c.address) + " is " + value;
            return "";
        });
        EXPECT_EQ(mismatch, "") << "wanted " << c.wanted;
    }
}

TEST_F(EndToEnd, PageButtonsSwitchTheDisplays)
{
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_EQ(eventually(kSettleMs, [&] { return homeMismatch(devices, stripRange("/ch/", "Ch ", 1)); }), "");
    SurfaceView home;
    ASSERT_TRUE(readSurface(devices, home));

    ASSERT_TRUE(surfaceCommand(devices, "press 44"));  // equaliser of the selected strip
    std::string mismatch = eventually(3000, [&]() -> std::string {
        SurfaceView view;
        if (!readSurface(devices, view)) return "no dump";
        if (view.lamp[0x2C] != 127 || view.lamp[0x33] != 0) return "page lamps unchanged";
        for (int i = 1; i < 8; ++i)
            if (view.displayTop[i] == home.displayTop[i] && view.displayBottom[i] == home.displayBottom[i])
                return "display " + std::to_string(i + 1) + " still shows \"" + view.displayTop[i] + "\" \"" +
                       view.displayBottom[i] + "\"";
        return "";
    });
    EXPECT_EQ(mismatch, "");

    ASSERT_TRUE(surfaceCommand(devices, "press 51"));  // back to the home page
    EXPECT_EQ(eventually(3000, [&] { return homeMismatch(devices, stripRange("/ch/", "Ch ", 1)); }), "");
}

// Bank and scroll buttons put other console strips on the surface, and the
// faders then move those strips.
TEST_F(EndToEnd, BankButtonsPutOtherStripsUnderTheFaders)
{
    struct Step {
        const char* press;
        std::vector<ShownStrip> shown;
        const char* faderOneAddress;
    };
    const Step steps[] = {
        {"press 47", stripRange("/ch/", "Ch ", 9), "/ch/09/mix/fader"},           // scroll right
        {"press 46", stripRange("/ch/", "Ch ", 1), "/ch/01/mix/fader"},           // scroll left
        {"press 97", stripRange("/auxin/", "Aux ", 1), "/auxin/01/mix/fader"},    // next bank
        {"press 47", stripRange("/fxrtn/", "Fx rt ", 1), "/fxrtn/01/mix/fader"},  // its second half
    };
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_EQ(eventually(kSettleMs, [&] { return homeMismatch(devices, stripRange("/ch/", "Ch ", 1)); }), "");
    double position = 0.1;
    for (const Step& step : steps) {
        SCOPED_TRACE(std::string(step.press) + " then fader 1 to " + std::to_string(position));
        ASSERT_TRUE(surfaceCommand(devices, step.press));
        EXPECT_EQ(eventually(3000, [&] { return homeMismatch(devices, step.shown); }), "");
        ASSERT_TRUE(surfaceCommand(devices, "fader 1 " + std::to_string(position)));
        std::string mismatch = eventually(3000, [&]() -> std::string {
            double value = -1.0;
            if (!consoleFloat(devices, step.faderOneAddress, value)) return "no answer from the console emulator";
            return std::fabs(value - position) <= kSurfaceFaderStep ? "" : step.faderOneAddress + (" is " + std::to_string(value));
        });
        EXPECT_EQ(mismatch, "");
        position += 0.2;
    }
}

// A scene recall is a burst of pushed changes; once it is over the surface
// shows what the console holds.
TEST_F(EndToEnd, SceneRecallEndsWithTheSurfaceShowingTheConsole)
{
    const std::vector<ShownStrip> shown = stripRange("/ch/", "Ch ", 1);
    ASSERT_NO_FATAL_FAILURE(start({"--seed", "5"}));
    ASSERT_EQ(eventually(kSettleMs, [&] { return homeMismatch(devices, shown); }), "");
    auto snapshot = [&] {
        std::string text;
        for (const ShownStrip& s : shown)
            for (const char* field : {"/config/name", "/config/color", "/mix/on", "/mix/fader"}) {
                std::string value;
                consoleValue(devices, s.prefix + field, value);
                text += value + "\n";
            }
        return text;
    };
    std::string before = snapshot();
    ASSERT_TRUE(consoleCommand(devices, "scene 300"));
    std::string line;
    ASSERT_TRUE(waitForLine(devices.console, "scene: ", 3000, line));
    // Without a change among the compared values the test would prove nothing.
    ASSERT_NE(snapshot(), before) << "the scene left strips 1-8 alone; choose another seed";
    EXPECT_EQ(eventually(kSettleMs, [&] { return homeMismatch(devices, shown); }), "")
        << "the bridge's status:\n" << bridgeStatus(devices);
}

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
    ASSERT_EQ(eventually(kSettleMs, [&] { return homeMismatch(devices, stripRange("/ch/", "Ch ", 1)); }), "");
    ASSERT_TRUE(consoleCommand(devices, "scene 6000"));
    std::string line;
    ASSERT_TRUE(waitForLine(devices.console, "scene: ", 3000, line));
    EXPECT_EQ(walkEveryBank(devices, 20000), "") << "the bridge's status:\n" << bridgeStatus(devices);
}

// Both devices have been heard from within the last 10 s, so the status
// block says so for both addresses.
TEST_F(EndToEnd, StatusBlockNamesBothDevicesAndThatTheyAnswered)
{
    ASSERT_NO_FATAL_FAILURE(start());
    const std::string mixer = "127.0.0.1:" + std::to_string(devices.consolePort);
    const std::string surface = "127.0.0.1:" + std::to_string(devices.surfacePort);
    ASSERT_TRUE(surfaceCommand(devices, "touch 1 1"));  // the surface only sends when touched
    ASSERT_TRUE(surfaceCommand(devices, "touch 1 0"));
    std::string mismatch = eventually(3000, [&]() -> std::string {
        std::string status = bridgeStatus(devices);
        if (status.empty()) return "no status block";
        // The line of a device names its address and ends in "yes" when it
        // was heard from in the last 10 s.
        auto answered = [&](const std::string& device, const std::string& address) -> std::string {
            size_t start = status.find("\n" + device + " ");
            if (start == std::string::npos) return "no " + device + " line in:\n" + status;
            std::string line = status.substr(start + 1, status.find('\n', start + 1) - start - 1);
            bool named = line.find(" " + address + " ") != std::string::npos;
            bool yes = line.size() >= 5 && line.compare(line.size() - 5, 5, ": yes") == 0;
            return named && yes ? "" : "\"" + line + "\"";
        };
        std::string wrong = answered("mixer", mixer);
        return wrong.empty() ? answered("surface", surface) : wrong;
    });
    EXPECT_EQ(mismatch, "") << "wanted the mixer at " << mixer << " and the surface at " << surface
                            << " both answered";
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
