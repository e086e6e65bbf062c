// The operator's keyboard loop, on the entry thread, until a stop.
#pragma once

#include <string>

struct AddressPair;

// Serves q / s until stopRequested. At end of standard input it keeps the
// bridge running until a signal stops it.
void runConsoleLoop(const std::string& configPath, AddressPair& addresses);
