// Stepping through the DCA spill banks with the editor following. Called on
// the surface receive thread, which only queues the editor's clicks.
#pragma once

// Next (+1) or previous (-1) DCA group: queues the editor's DCA button and,
// 100 ms after it, the group's button (only with an editor), and shows the
// group's spill bank on the surface at once. Does nothing at either end
// (groups 1 and 8) or for any other direction.
void stepDcaSpill(int direction);

// Screen point of the group's button in the editor for the current
// geometry and monitor (the target of the delayed click).
void dcaGroupClickPoint(int group, int& x, int& y);
