// The only way text reaches a strip display; a display identical to the last
// one sent to that position is dropped.
#pragma once

// position 1..8, colour 0..7, inverted >= 1 sets the inversion bit.
void writeStripDisplay(int position, int colour, int inverted, const char* top,
                       const char* bottom);

void resetStripDisplayCache();
// Makes the next write to every position go out, whatever it shows.
void forgetSentStripDisplays();
