// The operator's status block ("i" + Enter, or SIGUSR1 without a keyboard):
// which side is silent, what the surface shows, and how the surface queue
// copes.
#pragma once

#include <string>

std::string linkStatusText();

// Prints linkStatusText() on the console output.
void printLinkStatus();

// Where each address came from, for the status block: "found", "learned",
// "configuration file", "command line" or "prompt". The texts must live for
// the whole process (literals).
void setAddressOrigins(const char* mixer, const char* surface);
// False with --no-editor: the block then has no editor line.
void setEditorInStatus(bool shown);
// Both origins empty, the editor line shown.
void resetAddressOrigins();
