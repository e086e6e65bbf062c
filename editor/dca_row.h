// Where the editor shows its row of DCA group buttons, from the window's
// geometry and its monitor. Read on the click thread, right before a click.
#pragma once

// Screen point of DCA group 0..7's button for the current geometry and
// monitor (the target of the click that follows the DCA button).
void dcaGroupClickPoint(int group, int& x, int& y);
