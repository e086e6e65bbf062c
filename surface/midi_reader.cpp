#include "surface/midi_reader.h"

namespace {

bool isStatus(uint8_t byte) { return byte >= 0x80; }

// Data bytes that follow a status byte; -1 for a status that is not a
// message start of its own (end of exclusive alone).
int dataCountOf(uint8_t status)
{
    if (status < 0xF0) return (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
    switch (status) {
    case 0xF1:
    case 0xF3: return 1;
    case 0xF2: return 2;
    case 0xF7: return -1;
    default: return 0;  // tune request, undefined, real time
    }
}

// Skips to the next status byte, counting what was skipped as one drop.
void dropUntilStatus(MidiReader& reader)
{
    ++reader.dropped;
    while (reader.at < reader.length && !isStatus(reader.bytes[reader.at])) ++reader.at;
}

bool readSysex(MidiReader& reader, MidiMessage& message)
{
    const int start = reader.at++;
    while (reader.at < reader.length && !isStatus(reader.bytes[reader.at])) ++reader.at;
    reader.running = 0;
    if (reader.at >= reader.length || reader.bytes[reader.at] != 0xF7) {
        ++reader.dropped;  // cut by another status byte or by the end
        return false;
    }
    ++reader.at;
    message.status = 0xF0;
    message.dataLength = 0;
    message.sysex = reader.bytes + start;
    message.sysexLength = reader.at - start;
    return true;
}

}  // namespace

MidiReader startMidiReader(const uint8_t* bytes, int length)
{
    MidiReader reader;
    reader.bytes = bytes;
    reader.length = bytes && length > 0 ? length : 0;
    return reader;
}

bool nextMidiMessage(MidiReader& reader, MidiMessage& message)
{
    while (reader.at < reader.length) {
        const uint8_t byte = reader.bytes[reader.at];
        if (byte == 0xF0) {
            if (readSysex(reader, message)) return true;
            continue;
        }
        uint8_t status = reader.running;
        if (isStatus(byte)) {
            status = byte;
            ++reader.at;
            // Only channel messages run on.
            reader.running = byte < 0xF0 ? byte : 0;
        } else if (status == 0) {
            dropUntilStatus(reader);
            continue;
        }
        const int count = dataCountOf(status);
        if (count < 0) {
            ++reader.dropped;
            continue;
        }
        int taken = 0;
        while (taken < count && reader.at < reader.length && !isStatus(reader.bytes[reader.at]))
            message.data[taken++] = reader.bytes[reader.at++];
        if (taken < count) {
            ++reader.dropped;
            continue;
        }
        message.status = status;
        message.dataLength = count;
        message.sysex = nullptr;
        message.sysexLength = 0;
        return true;
    }
    return false;
}
