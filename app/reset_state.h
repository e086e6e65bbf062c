// Returns every piece of process-wide state to its process-start value.
// Tests call it first so that they are independent of order.
#pragma once

void resetAllState();
