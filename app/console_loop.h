// The operator's keyboard loop, on the entry thread, until a stop.
#pragma once

#include <string>

struct AddressPair;

// Serves q / s until stopRequested. At end of standard input it keeps the
// bridge running until a signal stops it.
void runConsoleLoop(const std::string& configPath, AddressPair& addresses);

// One key of the operator: i prints the status block, q stops, s asks for
// both addresses, rewrites the configuration file and stops. Other keys do
// nothing. False when the input ended or a stop came in the middle of s.
bool handleConsoleKey(char c, const std::string& configPath, AddressPair& addresses);
