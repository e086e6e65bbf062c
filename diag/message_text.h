// One message of either link as readable text, for the traffic log. Reads
// nothing past length; a message cut short shows what it holds.
#pragma once

#include <cstdint>

// Log lines, without the time stamp and the line break; the result is the
// length written (0 when nothing fits).
int formatOscLogText(char* line, int capacity, const uint8_t* data, int length);
int formatMidiLogText(char* line, int capacity, const uint8_t* data, int length);
