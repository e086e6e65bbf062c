// The operator's status block ("i" + Enter): which side is silent, what the
// surface shows, and how the surface queue copes.
#pragma once

#include <string>

std::string linkStatusText();
