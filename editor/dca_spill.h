// Stepping through the DCA spill banks with the editor following. Called on
// the surface receive thread. The editor's second click is made 100 ms after
// the first by a small helper thread, so the surface is never held up.
#pragma once

// Next (+1) or previous (-1) DCA group: clicks the editor's DCA button,
// schedules the click on the group 100 ms later (only with an editor), and
// shows the group's spill bank on the surface at once. Does nothing at
// either end (groups 1 and 8) or for any other direction.
void stepDcaSpill(int direction);

// Screen point of the group's button in the editor for the current
// geometry and monitor (the target of the delayed click).
void dcaGroupClickPoint(int group, int& x, int& y);

// Blocks until every scheduled editor click has been made.
void waitForDelayedEditorClicks();
// Drops the clicks not yet made and stops the helper thread (shutdown).
void stopDelayedEditorClicks();

// Back to process-start values: no click pending, no helper thread.
void resetDcaSpillState();
