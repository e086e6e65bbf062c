// The traffic log and its counters as empty functions. Linked instead of
// diag/ into a second bridge, so that a benchmark can compare the real one
// (log off) with one whose calls do nothing at all.
#include "diag/link_stats.h"
#include "diag/message_text.h"
#include "diag/traffic_log.h"

void setTrafficLogLevel(int) {}
void noteMixerDatagram(LinkDirection, const uint8_t*, int) {}
void noteSurfaceDatagram(LinkDirection, const uint8_t*, int) {}
void countLinkDatagram(LinkDirection) {}

int formatOscLogText(char* line, int capacity, const uint8_t*, int)
{
    if (capacity > 0) line[0] = '\0';
    return 0;
}

int formatMidiLogText(char* line, int capacity, const uint8_t*, int)
{
    if (capacity > 0) line[0] = '\0';
    return 0;
}

bool isBackgroundOsc(const uint8_t*, int) { return false; }
bool isBackgroundMidi(const uint8_t*, int) { return false; }
LinkActivity linkActivity(LinkDirection) { return {0, 0, 0.0}; }
void resetLinkStats() {}
void resetTrafficLog() {}
