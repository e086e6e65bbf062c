// Splits one datagram from the surface into MIDI messages, the way a MIDI
// parser reads a byte stream: a byte with its top bit set always starts a
// new message, data bytes after a complete channel message repeat its
// status (running status), and a message cut short by the next status byte
// or by the end of the datagram is dropped and counted. Pure; any thread.
#pragma once

#include <cstdint>

struct MidiMessage {
    uint8_t status;          // 0x80..0xFF
    uint8_t data[2];         // channel and system-common data bytes
    int dataLength;          // 0..2
    const uint8_t* sysex;    // system exclusive: F0 .. F7 inside the datagram
    int sysexLength;         // including F0 and F7; 0 for other messages
};

struct MidiReader {
    const uint8_t* bytes;
    int length;
    int at = 0;
    uint8_t running = 0;     // status that data bytes without one repeat
    int dropped = 0;         // cut messages and data bytes without a status
};

MidiReader startMidiReader(const uint8_t* bytes, int length);
// The next complete message; false once the datagram is used up.
bool nextMidiMessage(MidiReader& reader, MidiMessage& message);
