// The model-based test's view of the surface: which strips and page the
// surface shows, as the test tracks them from its own actions, and the
// surface expected from the console's values by the surface's display
// rules. Nothing here reads the bridge.
#pragma once

#include <map>
#include <set>
#include <string>

#include "e2e/three_devices.h"

using Values = std::map<std::string, std::string>;

constexpr int kBlank = 80;

// Console strips by strip index: 0-31 channels, 32-39 aux inputs, 40-47
// effects returns, 48-63 buses, 64-69 matrices, 70 LR, 71 mono, 72-79 DCAs.
std::string stripPrefix(int s);   // "/ch/01", "/main/st", "/dca/1"
std::string mixPath(int s);       // where its fader and on switch live
std::string stripLabel(int s);    // "Ch 1", "Fx rt 3", "M/C"
std::string two(int n);           // "07"
// Strips whose pan the bridge reads from the console at start-up.
bool panKnown(int s);
// A dumped number ("f 0.5", "i 1"); false when absent.
bool number(const Values& values, const std::string& address, double& out);

struct Banks {
    int table[16][80];
    int count[16] = {};
};

struct Model {
    int bank = 0;
    int scroll = 0;
    int skip[10] = {};
    int shown[8] = {};
    int dcaGroup = 0;
    int page = 0;
    int eqLayer = 0;
    int chosenDca = 0;       // assignment page: the DCA group and mute group its buttons toggle
    int chosenMute = 0;         // equaliser page: 0 gain and frequency, 1 Q and type
    bool lowerBank = false;  // a user bank with strips lies below: the bank-down lamp is lit
    int selected = 0;        // the selected strip; -1 where the rules leave it open
    bool held[9] = {};       // a hand rests on the fader
    // What a held fader 1-8 writes: strip x 100 + page as the hand took
    // hold; -1 once either changed under the hand (it then writes nothing).
    int heldOn[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
    bool unchecked[9] = {};  // the hand left it; the host has not placed it since
};

// The strips a bank and scroll step put on the surface.
void buildBankStrips(Model& m, const Banks& banks);

// Empty when surface emulator unit shows what the console holds; else what
// differs.
std::string surfaceMismatch(ThreeDevices& devices, const Model& m, int unit = 1);

// The oracle for untouched settings: the console addresses a surface command
// ("press 16", "down 39\nturn 8 +3\nup 39") edits, from the command, the
// model and the console's values before it, never from the bridge. headAmp:
// the head amp the console names for its selected strip, or -1.
std::set<std::string> surfaceEdits(const std::string& command, const Model& m, const Values& before, int headAmp);

// The console emulator's "changes" (first its whole state) into values; changed:
// the moved addresses' old values; unknown: messages to addresses it lacks.
bool consoleChanges(ThreeDevices& devices, Values& values, Values& changed, long& unknown);

// Empty when every changed address is allowed, else each other one.
std::string untouchedMismatch(const Values& changed, const Values& now, const std::set<std::string>& allowed);
