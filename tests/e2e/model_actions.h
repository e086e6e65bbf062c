// The model-based test's actions: the user banks it writes for the bridge,
// the surface and console actions it draws at random, the commands that
// carry them to the emulators, and what each does to the test's model of the
// surface. Nothing here reads the bridge. POSIX only, like the emulators.
#pragma once

#include <random>
#include <string>
#include <vector>

#include "e2e/model_surface.h"

// The user banks the bridge reads from the preferences file written by the
// test: runs of strips, leading and inner blanks, empty banks, DCAs.
struct BankList {
    std::vector<int> strips;
};
std::vector<BankList> userBanks();
std::string preferencesText();

enum class Kind { Hand, Hold, Release, Mute, Solo, Select, Turn, CentrePan, BankUp, BankDown, ScrollOn, ScrollBack,
                  Home, Page, TopRow, NextStrip, PreviousStrip, PushTurn, DcaStep, SetFader, SetOn, SetName, SetColor, SetPan, SetSolo,
                  SetValue, Outage };

struct Action {
    Kind kind = Kind::Home;
    int a = 0;       // fader 1-9, surface position 0-7 or strip index
    double x = 0.0;  // position or value
    std::string text;
    int unit = 1;    // the surface emulator a surface action goes to
};

Action act(Kind kind, int a = 0, double x = 0.0, const std::string& text = "");
// The line sent to the surface emulator or, for console actions, to the console emulator.
std::string commandOf(const Action& action);
bool onConsole(const Action& action);
std::string describe(const Action& action);
// What the action does to the test's model of the surface.
void apply(const Action& action, Model& m, const Banks& banks);
// The next random action, biased towards the strips on the surface.
Action nextAction(std::mt19937& random, const Model& m);
// A tour of the selected strip's pages that every run starts with.
std::vector<Action> pageTour(std::mt19937& random);
