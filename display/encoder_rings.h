// The eight encoder rings: on every page the ring above an encoder shows the
// value that encoder edits there, or is dark where it edits nothing. Read by
// the refresh on whichever thread refreshes the surface; the ring cache of
// the output queue drops rings that did not change.
#pragma once

// What one ring shows: a value 0..1 on the dot pattern, or nothing.
struct RingValue {
    bool lit;
    double value;
};

// Ring pattern pairs for a value 0..1 (26 positions): dots 0..6 are bits of
// the first value, dots 7..13 bits of the second.
extern const int ringDotPattern[26][2];
// The ringDotPattern entry for a value: value / 0.04 truncated, held to 0..25.
int ringPatternIndex(double value);

// Ring of encoder position 0..7 on the page (0..34; any other page is dark).
RingValue encoderRingValue(int page, int position);

// Queues the ring of one position for the page.
void showEncoderRing(int page, int position);
