// The operator's status block ("i" + Enter, or SIGUSR1 without a keyboard):
// which side is silent, what the surface shows, and how the surface queue
// copes.
#pragma once

#include <string>

std::string linkStatusText();

// Prints linkStatusText() on the console output.
void printLinkStatus();
