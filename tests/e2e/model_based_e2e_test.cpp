// Random, seeded sequences of surface actions (hand moves, held faders,
// buttons, encoders, banks, scrolling) and console-side changes through the
// real bridge between the two device emulators. After each action, once the
// traffic has settled, everything the surface shows must equal what the
// console holds: the expected surface is computed here from the console's
// values and the surface's display rules, never from the bridge. A failing
// sequence is shrunk and printed with its seed.
//   VELUMBRA_MODEL_STEPS=3000 VELUMBRA_MODEL_SEED=7 velumbra_tests --gtest_filter='ModelBased.*'
// 600 steps by default, 300 in a sanitizer build. VELUMBRA_MODEL_SHRINK_S
// bounds the shrinking (default: what the suite's two minutes per test
// leave, at most 60 s).
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "e2e/model_actions.h"
#include "e2e/model_surface.h"
#include "e2e/three_devices.h"

namespace {

using Clock = std::chrono::steady_clock;

const int kStartupMs = 30000;
const int kSettleMs = 3000;
// How long the bridge may take to handle a surface datagram on a loaded machine.
const int kSyncMs = 30000;

// ---- Running a sequence.

struct Outcome {
    std::string setupError;  // the rig did not come up
    size_t failedAt = SIZE_MAX;
    std::string mismatch;
};

struct Rig {
    std::string prefsPath;
    long seed = 1;  // of the console's random start state
    int units = 1;  // surface emulators, each with its own random actions
    Banks banks;
};

// What surface unit must show: its own model, but a fader of a strip that a
// hand holds on the other unit stays where it is until the hand leaves.
Model withOtherHands(const Model& own, const Model& other)
{
    Model m = own;
    for (int j = 0; j < 9; ++j) {
        if (!other.held[j]) continue;
        const int strip = j == 8 ? 70 : (other.heldOn[j] >= 0 ? other.heldOn[j] / 100 : -1);
        for (int i = 0; i < 8; ++i) m.held[i] = m.held[i] || (strip >= 0 && strip != kBlank && own.shown[i] == strip);
        m.held[8] = m.held[8] || strip == 70;
    }
    return m;
}

std::string mismatchOnEvery(ThreeDevices& devices, const Rig& rig, const Model (&models)[2])
{
    if (rig.units == 1) return surfaceMismatch(devices, models[0]);
    for (int unit = 1; unit <= 2; ++unit) {
        const std::string mismatch = surfaceMismatch(devices, withOtherHands(models[unit - 1], models[2 - unit]), unit);
        if (!mismatch.empty()) return "surface " + std::to_string(unit) + ": " + mismatch;
    }
    return "";
}

// The DCA spill banks, from the console's DCA memberships: slot 0 empty,
// then the members in strip order.
bool readSpillBanks(ThreeDevices& devices, Banks& banks)
{
    Values values;
    for (const char* family : {"/ch/", "/auxin/", "/fxrtn/", "/bus/", "/mtx/", "/main/"})
        if (!consoleDump(devices, family, values)) return false;
    for (int d = 0; d < 8; ++d) {
        int* list = banks.table[8 + d];
        for (int k = 0; k < 80; ++k) list[k] = kBlank;
        int n = 0;
        for (int s = 0; s < 72; ++s) {
            double mask = 0.0;
            if (number(values, stripPrefix(s) + "/grp/dca", mask) && (static_cast<int>(mask) >> d & 1)) list[1 + n++] = s;
        }
        banks.count[8 + d] = n;
    }
    return true;
}

// What the action may change on the console: a set its own address, a surface
// action what its control edits (with the head amp the console names for S).
std::set<std::string> editsOf(ThreeDevices& devices, const Action& action, const Model& m, const Values& console)
{
    std::istringstream words(commandOf(action));
    std::string verb, address;
    if (words >> verb >> address && onConsole(action)) return {address};
    double S = -1.0;
    int headAmp = -1;
    if (!number(console, "/-stat/selidx", S) || m.page != 28 || S >= 40 || !consoleInt(devices, "/-ha/" + two(int(S)) + "/index", headAmp))
        headAmp = -1;
    return surfaceEdits(commandOf(action), m, console, headAmp);
}

// The console silent (the emulator already told) until the bridge reports
// it, then back until the bridge has read it again.
bool outage(ThreeDevices& devices)
{
    std::string line;
    return waitForLine(devices.bridge, "Mixer not responding", kSyncMs, line) && consoleCommand(devices, "silent off") &&
           waitForLine(devices.bridge, "Mixer state read again.", kSyncMs * 2, line);
}

// Runs actions from a fresh start; with a generator, first draws steps new
// ones into actions. Stops at the first action after which the surface does
// not come to show the console.
Outcome run(Rig& rig, std::vector<Action>& actions, std::mt19937* generator, size_t steps, int settleMs = kSettleMs)
{
    Outcome outcome;
    ThreeDevices devices;
    devices.units = rig.units;
    std::string why;
    if (!startThreeDevices(devices, kStartupMs, why, {"--seed", std::to_string(rig.seed), "--shuffle"}, {"--prefs", rig.prefsPath})) {
        outcome.setupError = why;
        return outcome;
    }
    if (!readSpillBanks(devices, rig.banks)) {
        outcome.setupError = "no DCA memberships from the console emulator";
        return outcome;
    }
    Model models[2];
    buildBankStrips(models[0], rig.banks);
    models[0].dcaGroup = 0;
    // Start-up keeps the selection the console holds; the first changes are
    // the console's whole state.
    Values console, changed;
    long unknown = 0, unknownBefore = 0;
    if (!consoleChanges(devices, console, changed, unknown)) {
        outcome.setupError = "no changes from the console emulator";
        return outcome;
    }
    double selected = 0.0;
    models[0].selected = number(console, "/-stat/selidx", selected) ? static_cast<int>(selected) : 0;
    models[1] = models[0];
    std::string mismatch = eventually(kSettleMs * 2, [&] { return mismatchOnEvery(devices, rig, models); });
    // Start-up itself writes no setting of the console.
    if (mismatch.empty())
        mismatch = consoleChanges(devices, console, changed, unknown) ? untouchedMismatch(changed, console, {}) : "no dump";
    if (mismatch.empty() && !countLostSurfaceDatagrams(devices)) mismatch = "no status from the bridge";
    std::vector<std::string> startWrites;
    if (mismatch.empty() && !consoleWrites(devices, startWrites)) mismatch = "no write log from the console emulator";
    // Only the console's own fader layer is put on its first bank, to match the surface.
    for (const std::string& write : startWrites)
        if (mismatch.empty() && write.rfind("/-stat/chfaderbank ", 0) != 0) mismatch = "start-up wrote " + write;
    if (mismatch.empty() && unknown != 0) mismatch = "start-up sent addresses the console does not hold";
    if (!mismatch.empty()) {
        outcome.failedAt = 0;
        outcome.mismatch = "after start-up: " + mismatch;
        actions.clear();
        return outcome;
    }
    size_t total = generator ? steps : actions.size();
    bool membership = false;  // the last action may have changed a DCA membership
    const std::vector<Action> tour = generator ? pageTour(*generator) : std::vector<Action>{};
    for (size_t i = 0; i < total; ++i) {
        if (generator) {
            const int unit = i >= tour.size() && rig.units == 2 ? static_cast<int>((*generator)() % 2) + 1 : 1;
            actions.push_back(i < tour.size() ? tour[i] : nextAction(*generator, models[unit - 1]));
            actions.back().unit = unit;
        }
        const Action& action = actions[i];
        Model& m = models[action.unit - 1];
        Model& other = models[2 - action.unit];
        const std::set<std::string> allowed = editsOf(devices, action, m, console);
        // A switch pressed on the surface switches from the console's state.
        const int a = action.a;
        const bool toggles = action.kind == Kind::Page ? a == 86 || a == 89 || a == 90 || (a >= 74 && a <= 79)
                                                       : (action.kind == Kind::Mute || action.kind == Kind::Solo) && m.shown[a] != kBlank;
        bool sent = onConsole(action) ? consoleCommand(devices, commandOf(action))
                                      : surfaceCommand(devices, commandOf(action), action.unit);
        if (sent && action.kind == Kind::Outage && !outage(devices)) {
            outcome.failedAt = i;
            outcome.mismatch = "the bridge did not notice the silence, or did not read the console again after it";
            actions.resize(i + 1);
            return outcome;
        }
        if (!sent) {
            outcome.setupError = "an emulator is gone";
            return outcome;
        }
        // A DCA membership changed from either side re-spills the bank shown.
        // Shown in a user bank, the change may reach the console only after
        // the surface matched: read the banks again before the next action.
        auto followSpillBanks = [&] {
            if (!membership || !readSpillBanks(devices, rig.banks)) return membership;
            for (Model& each : models)
                if (each.bank >= 8) buildBankStrips(each, rig.banks);
            return false;
        };
        if (followSpillBanks()) {
            outcome.setupError = "no DCA memberships from the console emulator";
            return outcome;
        }
        membership = (action.kind == Kind::TopRow && action.a == 6 && m.page == 31) ||
                     (action.kind == Kind::SetValue && action.text.find("/grp/dca") != std::string::npos);
        apply(action, m, rig.banks);
        // The console and its selection are every surface's; a hand let go
        // on one unit is placed by the next refresh of the other only.
        if (rig.units == 2 && onConsole(action)) apply(action, other, rig.banks);
        else other.selected = m.selected;
        // Once the bridge has handled the surface's datagrams, everything the
        // action wrote has reached the console emulator: each write must be
        // to a field the action edits, even one that leaves the value as it
        // was. A console action makes the bridge write nothing.
        mismatch.clear();
        if (!onConsole(action) && !waitForBridgeToHandleSurface(devices, kSyncMs))
            mismatch = "the bridge did not handle the surface's datagrams";
        std::vector<std::string> writes;
        if (mismatch.empty() && !consoleWrites(devices, writes)) mismatch = "no write log from the console emulator";
        for (const std::string& write : writes)
            if (mismatch.empty() && !allowed.count(write.substr(0, write.find(' '))))
                mismatch = "wrote a setting the action does not edit: " + write;
        if (mismatch.empty())
            mismatch = eventually(settleMs, [&] { return followSpillBanks() ? "no DCA memberships" : mismatchOnEvery(devices, rig, models); });
        // Only what the action edits may change on the console.
        unknownBefore = unknown;
        Values moved;
        if (mismatch.empty() && !consoleChanges(devices, console, moved, unknown)) mismatch = "no dump";
        if (mismatch.empty() && toggles && allowed.size() == 1 && !moved.count(*allowed.begin()))
            mismatch = "the press left " + *allowed.begin() + " as it was";
        const std::string untouched = mismatch.empty() ? untouchedMismatch(moved, console, allowed) : "";
        if (!untouched.empty()) mismatch = "settings the action does not edit changed: " + untouched;
        if (mismatch.empty() && unknown != unknownBefore) mismatch = "sent to an address the console does not hold";
        for (ChildProcess* child : {&devices.bridge, &devices.surface, &devices.surface2, &devices.console}) forgetReadLines(*child, 200);
        if (!mismatch.empty()) {
            outcome.failedAt = i;
            outcome.mismatch = mismatch;
            actions.resize(i + 1);
            return outcome;
        }
    }
    return outcome;
}

// Delta debugging: drops chunks of the sequence while it still fails, each
// try from a fresh start, within budgetSeconds.
std::vector<Action> shrink(Rig& rig, std::vector<Action> failing, std::string& mismatch, int budgetSeconds)
{
    auto stop = Clock::now() + std::chrono::seconds(budgetSeconds);
    size_t chunk = failing.size() / 2;
    while (chunk >= 1 && Clock::now() < stop) {
        bool dropped = false;
        for (size_t start = 0; start < failing.size() && Clock::now() < stop;) {
            std::vector<Action> candidate(failing.begin(), failing.begin() + static_cast<long>(start));
            size_t end = std::min(failing.size(), start + chunk);
            candidate.insert(candidate.end(), failing.begin() + static_cast<long>(end), failing.end());
            if (candidate.empty()) {
                start += chunk;
                continue;
            }
            // Only a sequence that still fails at its last action counts, so
            // the shrinking keeps to the fault it started from.
            size_t length = candidate.size();
            // A shorter wait: a candidate that fails costs it in full.
            Outcome outcome = run(rig, candidate, nullptr, 0, kSettleMs / 2);
            if (outcome.setupError.empty() && length > 0 && outcome.failedAt == length - 1) {
                failing = candidate;
                mismatch = outcome.mismatch;
                dropped = true;
            } else {
                start += chunk;
            }
        }
        if (!dropped) chunk /= 2;
    }
    return failing;
}

long environmentNumber(const char* name, long fallback)
{
    const char* text = std::getenv(name);
    return text && *text ? std::strtol(text, nullptr, 10) : fallback;
}

void expectSurfacesShowTheConsole(int units)
{
    const long steps = environmentNumber("VELUMBRA_MODEL_STEPS", SANITIZER_SLOWDOWN > 1 ? 300 : 600);
    const long seed = environmentNumber("VELUMBRA_MODEL_SEED", 1);
    Rig rig;
    rig.units = units;
    rig.prefsPath = (std::filesystem::temp_directory_path() /
                     ("velumbra-model-prefs-" + std::to_string(::getpid()) + ".txt")).string();
    rig.seed = seed;
    {
        std::ofstream prefs(rig.prefsPath);
        prefs << preferencesText();
    }
    std::vector<BankList> lists = userBanks();
    for (int b = 0; b < 8; ++b) {
        for (int k = 0; k < 80; ++k) rig.banks.table[b][k] = kBlank;
        rig.banks.count[b] = static_cast<int>(lists[b].strips.size());
        for (size_t k = 0; k < lists[b].strips.size(); ++k) rig.banks.table[b][k] = lists[b].strips[k];
    }
    const auto started = Clock::now();
    std::mt19937 random(static_cast<uint32_t>(seed));
    std::vector<Action> actions;
    Outcome outcome = run(rig, actions, &random, static_cast<size_t>(steps));
    if (!outcome.setupError.empty()) std::remove(rig.prefsPath.c_str());
    ASSERT_EQ(outcome.setupError, "");
    if (outcome.failedAt != SIZE_MAX) {
        std::string mismatch = outcome.mismatch;
        size_t firstLength = actions.size();
        // By default within the suite's time limit for one test.
        long spent = std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - started).count();
        long budget = environmentNumber("VELUMBRA_MODEL_SHRINK_S", std::min(60L, 90 - spent));
        std::vector<Action> shrunk = actions.empty() || budget <= 0 ? actions
                                                                    : shrink(rig, actions, mismatch, static_cast<int>(budget));
        std::ostringstream text;
        text << "seed " << seed << ", " << units << " surface(s): a surface differs from the console after action " << firstLength << " of "
             << steps << "; shrunk to " << shrunk.size() << " actions:\n";
        for (const Action& action : shrunk) text << "  " << describe(action) << "\n";
        text << "mismatch: " << mismatch;
        ADD_FAILURE() << text.str();
    }
    std::remove(rig.prefsPath.c_str());
}

TEST(ModelBased, SurfaceShowsTheConsoleAfterRandomActions) { expectSurfacesShowTheConsole(1); }

// Two X-Touches, each with its own random actions among the console's.
TEST(ModelBased, TwoSurfacesShowTheConsoleAfterRandomActions) { expectSurfacesShowTheConsole(2); }

}  // namespace
