// Steady clock helpers.
#pragma once

#include <cstdint>

int64_t steadyNanoseconds();
int64_t steadyMilliseconds();
