// What a surface command may change on the console, worked out from the
// command, the test's model of the surface and the console's values before
// it, never from the bridge: the oracle that the bridge leaves every other
// console setting as it was.
#pragma once

#include <set>
#include <string>

#include "e2e/model_surface.h"

// The addresses the surface emulator command (one or more lines: "press 16",
// "down 39\nturn 8 +3\nup 39") edits. headAmp is the head amp the console
// names for its selected strip, or -1.
std::set<std::string> surfaceEdits(const std::string& command, const Model& m, const Values& before, int headAmp);

// Reads the console emulator's "changes": the first time its whole state,
// then what changed since. values is updated in place and changed gets
// what moved (address -> old value, "(none)" when new). False when no
// answer came.
bool consoleChanges(ThreeDevices& devices, Values& values, Values& changed);

// Empty when every changed address (old values from consoleChanges) is
// allowed; else each other one with its old and new value.
std::string untouchedMismatch(const Values& changed, const Values& now, const std::set<std::string>& allowed);
