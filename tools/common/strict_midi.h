// A MIDI reader as strict as the surface's own: every byte with its top bit
// set is a status byte wherever it stands, so a data byte >= 0x80 cuts the
// message it sits in, and the bytes after it are read as what they now
// look like. Data bytes after a complete channel message repeat its status
// (running status). A cut message, a stray end of exclusive and a run of
// data bytes with no status are each counted as one malformed message.
// Header-only and free of system calls: the surface emulator reads every
// datagram with it, and tests use it to check what the bridge sends.
#pragma once

#include <cstddef>
#include <cstdint>

struct StrictMidiMessage {
    uint8_t status = 0;
    uint8_t data[2] = {};
    size_t dataLength = 0;
    const uint8_t* sysex = nullptr;  // F0 .. F7 as received, for exclusive messages
    size_t sysexLength = 0;
};

// Data bytes a status byte takes; -1 for one that starts nothing (F7).
inline int strictMidiDataCount(uint8_t status)
{
    switch (status & 0xF0) {
    case 0xC0:
    case 0xD0: return 1;
    case 0xF0: break;
    default: return 2;
    }
    if (status == 0xF1 || status == 0xF3) return 1;
    if (status == 0xF2) return 2;
    return status == 0xF7 ? -1 : 0;
}

// Calls onMessage(const StrictMidiMessage&) for every complete message of
// the datagram, in order; returns how many malformed messages it held.
template <class OnMessage>
size_t readStrictMidi(const uint8_t* bytes, size_t length, OnMessage&& onMessage)
{
    size_t malformed = 0;
    StrictMidiMessage current;
    int need = 0;             // data bytes the current status takes
    size_t have = 0;
    bool partial = false;     // a status or data bytes wait for the rest
    bool inSysex = false;
    bool straying = false;    // inside a run of data bytes with no status
    size_t sysexStart = 0;
    for (size_t i = 0; i < length; ++i) {
        const uint8_t byte = bytes[i];
        if (byte < 0x80) {
            if (inSysex) continue;
            if (current.status == 0) {
                if (!straying) ++malformed;
                straying = true;
                continue;
            }
            current.data[have++] = byte;
            partial = have < static_cast<size_t>(need);
            if (partial) continue;
            current.dataLength = have;
            onMessage(current);
            have = 0;
            if (current.status >= 0xF0) current.status = 0;  // only channel messages run on
            continue;
        }
        straying = false;
        if (inSysex) {
            inSysex = false;
            if (byte == 0xF7) {
                StrictMidiMessage sysex;
                sysex.status = 0xF0;
                sysex.sysex = bytes + sysexStart;
                sysex.sysexLength = i - sysexStart + 1;
                onMessage(sysex);
                continue;
            }
            ++malformed;  // exclusive cut by another status byte
        } else if (partial) {
            ++malformed;  // channel or system message cut
        }
        partial = false;
        have = 0;
        current = StrictMidiMessage{};
        if (byte == 0xF0) {
            inSysex = true;
            sysexStart = i;
            continue;
        }
        need = strictMidiDataCount(byte);
        if (need < 0) {
            ++malformed;  // end of exclusive with no exclusive open
            continue;
        }
        current.status = byte;
        if (need == 0) {
            onMessage(current);
            current.status = 0;
            continue;
        }
        partial = true;
    }
    if (inSysex || partial) ++malformed;  // cut by the end of the datagram
    return malformed;
}
