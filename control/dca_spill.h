// Stepping through the DCA spill banks with the editor following. Called on
// the surface receive thread, which only queues the editor's clicks.
#pragma once

#include "display/surface_change.h"

// Next (+1) or previous (-1) DCA group: queues the editor's DCA button and,
// 100 ms after it, the group's button (only with an editor), and lays out
// the group's spill bank. Does nothing at either end (groups 1 and 8) or for
// any other direction.
SurfaceChange stepDcaSpill(int direction);
