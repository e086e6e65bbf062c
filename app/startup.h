// The start-up synchronisation with the console: fills the model, lays out
// the first bank and sets startupComplete. Runs once on the entry thread.
#pragma once

struct BridgeOptions;

void runStartupSynchronisation(const BridgeOptions& options);
