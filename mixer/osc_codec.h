// OSC messages: encoding into a caller's buffer, and the parse step that
// checks a received datagram once at the boundary.
#pragma once

#include <cstdint>

// Builds address + type tags + arguments (printf-like, one variadic argument
// per tag; 'b' takes a 32-bit count and a pointer). Returns the length, a
// multiple of four, or -1 (address), -2 (tags), -3 (argument does not fit),
// -4 (unknown tag).
int encodeOscMessage(uint8_t* buffer, int capacity, const char* address, const char* typeTags,
                     ...);

struct ParsedOscMessage {
    char* typeTags;     // first tag character, after the comma
    uint8_t* argCursor; // next argument byte; readers advance it
    char* address;      // start of the datagram (the address, NUL-ended)
    int32_t length;     // bytes received
};

// Fills message from a received datagram; false when it must be dropped
// (no comma, or a tag string not ended inside the datagram). The datagram
// stays owned by the caller and must outlive the message.
bool parseOscMessage(uint8_t* datagram, int length, ParsedOscMessage& message);

// Bounds-checked argument readers: each checks the type tag at the cursor's
// argument position and the bytes left, advances argCursor and the tag
// pointer on success, and leaves both unchanged on failure.
bool readOscInt(ParsedOscMessage& message, int32_t& value);
bool readOscFloat(ParsedOscMessage& message, float& value);
// A string not terminated inside the datagram reads as empty (and succeeds).
bool readOscString(ParsedOscMessage& message, const char*& text, int& textLength);
bool readOscBlob(ParsedOscMessage& message, const uint8_t*& data, int32_t& size);

// Type of the current argument ('\0' when the tags are exhausted).
char currentOscTag(const ParsedOscMessage& message);
