// The start-up synchronisation with the console: fills the model, lays out
// the first bank and sets startupComplete. Runs once on the entry thread.
#pragma once

#include <string>

struct BridgeOptions;

void runStartupSynchronisation(const BridgeOptions& options);

// Its last part: finds the editor, reads its banks, brings it to the front
// and lays out bank 0, clicking the editor to match.
void findEditorAndLayOutFirstBank(bool lookForEditor);

// The step start-up is in, for the status block ("reading the strips
// (strip 12 of 80)"); any thread.
std::string startupStepText();
