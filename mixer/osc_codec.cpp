#include "mixer/osc_codec.h"

#include <cstdarg>
#include <cstring>

namespace {

void putBigEndian32(uint8_t* at, uint32_t value)
{
    at[0] = static_cast<uint8_t>(value >> 24);
    at[1] = static_cast<uint8_t>(value >> 16);
    at[2] = static_cast<uint8_t>(value >> 8);
    at[3] = static_cast<uint8_t>(value);
}

void putBigEndian64(uint8_t* at, uint64_t value)
{
    putBigEndian32(at, static_cast<uint32_t>(value >> 32));
    putBigEndian32(at + 4, static_cast<uint32_t>(value));
}

uint32_t getBigEndian32(const uint8_t* at)
{
    return (static_cast<uint32_t>(at[0]) << 24) | (static_cast<uint32_t>(at[1]) << 16) |
           (static_cast<uint32_t>(at[2]) << 8) | static_cast<uint32_t>(at[3]);
}

int roundUp4(int n) { return (n + 3) & ~3; }

// Writes one argument at position pos; returns the new position or a
// negative code.
int encodeArgument(uint8_t* buffer, int capacity, int pos, char tag, va_list& args)
{
    switch (tag) {
    case 'i': {
        int32_t v = va_arg(args, int32_t);
        if (pos + 4 > capacity) return -3;
        putBigEndian32(buffer + pos, static_cast<uint32_t>(v));
        return pos + 4;
    }
    case 'f': {
        float v = static_cast<float>(va_arg(args, double));
        if (pos + 4 > capacity) return -3;
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        putBigEndian32(buffer + pos, bits);
        return pos + 4;
    }
    case 's': {
        const char* text = va_arg(args, const char*);
        if (!text) text = "";
        int n = static_cast<int>(std::strlen(text));
        if (pos + n >= capacity) return -3;
        std::memcpy(buffer + pos, text, static_cast<size_t>(n));
        // At least one zero byte ends the string; the buffer is already zero.
        return (pos + n + 4) & ~3;
    }
    case 'b': {
        int32_t count = va_arg(args, int32_t);
        const uint8_t* data = va_arg(args, const uint8_t*);
        if (count < 0 || pos + 4 + count > capacity) return -3;
        putBigEndian32(buffer + pos, static_cast<uint32_t>(count));
        if (count > 0 && data) std::memcpy(buffer + pos + 4, data, static_cast<size_t>(count));
        int end = pos + 4 + count;
        return roundUp4(end) <= capacity ? roundUp4(end) : end;
    }
    case 'd': {
        double v = va_arg(args, double);
        if (pos + 8 > capacity) return -3;
        uint64_t bits;
        std::memcpy(&bits, &v, 8);
        putBigEndian64(buffer + pos, bits);
        return pos + 8;
    }
    case 'h':
    case 't': {
        int64_t v = va_arg(args, int64_t);
        if (pos + 8 > capacity) return -3;
        putBigEndian64(buffer + pos, static_cast<uint64_t>(v));
        return pos + 8;
    }
    case 'm': {
        const uint8_t* bytes = va_arg(args, const uint8_t*);
        if (pos + 4 > capacity) return -3;
        if (bytes) std::memcpy(buffer + pos, bytes, 4);
        return pos + 4;
    }
    case 'F':
    case 'I':
    case 'N':
    case 'T':
        return pos;
    default:
        return -4;
    }
}

} // namespace

int encodeOscMessage(uint8_t* buffer, int capacity, const char* address, const char* typeTags, ...)
{
    if (!buffer || capacity <= 0) return -1;
    std::memset(buffer, 0, static_cast<size_t>(capacity));
    if (!address) return -1;
    int addressLength = static_cast<int>(std::strlen(address));
    if (addressLength >= capacity) return -1;
    std::memcpy(buffer, address, static_cast<size_t>(addressLength));
    int comma = (addressLength + 4) & ~3;

    if (!typeTags) return -2;
    int tagCount = static_cast<int>(std::strlen(typeTags));
    if (comma + 1 + tagCount >= capacity) return -2;
    buffer[comma] = ',';
    std::memcpy(buffer + comma + 1, typeTags, static_cast<size_t>(tagCount));
    int pos = (comma + 1 + tagCount + 4) & ~3;
    if (tagCount == 0) return pos;

    va_list args;
    va_start(args, typeTags);
    for (int t = 0; t < tagCount && pos >= 0; ++t) {
        pos = encodeArgument(buffer, capacity, pos, typeTags[t], args);
    }
    va_end(args);
    return pos;
}

bool parseOscMessage(uint8_t* datagram, int length, ParsedOscMessage& message)
{
    if (!datagram || length <= 0) return false;
    const uint8_t* end = datagram + length;
    const uint8_t* zero = static_cast<const uint8_t*>(std::memchr(datagram, 0, static_cast<size_t>(length)));
    // An address must be terminated inside the datagram, else the handlers
    // would read past it.
    if (!zero) return false;
    const uint8_t* comma = static_cast<const uint8_t*>(
        std::memchr(zero, ',', static_cast<size_t>(end - zero)));
    if (!comma) return false;
    const uint8_t* tagEnd = static_cast<const uint8_t*>(
        std::memchr(comma, 0, static_cast<size_t>(end - comma)));
    if (!tagEnd) return false;
    int tagEndIndex = static_cast<int>(tagEnd - datagram);
    int argStart = (tagEndIndex + 4) & ~3;
    message.typeTags = reinterpret_cast<char*>(const_cast<uint8_t*>(comma + 1));
    message.argCursor = datagram + (argStart <= length ? argStart : length);
    message.address = reinterpret_cast<char*>(datagram);
    message.length = length;
    return true;
}

char currentOscTag(const ParsedOscMessage& message)
{
    return message.typeTags ? *message.typeTags : '\0';
}

namespace {

int bytesLeft(const ParsedOscMessage& m)
{
    const uint8_t* end = reinterpret_cast<const uint8_t*>(m.address) + m.length;
    return static_cast<int>(end - m.argCursor);
}

bool readWord(ParsedOscMessage& m, char tag, uint32_t& word)
{
    if (currentOscTag(m) != tag || bytesLeft(m) < 4) return false;
    word = getBigEndian32(m.argCursor);
    m.argCursor += 4;
    ++m.typeTags;
    return true;
}

} // namespace

bool readOscInt(ParsedOscMessage& message, int32_t& value)
{
    uint32_t word;
    if (!readWord(message, 'i', word)) return false;
    value = static_cast<int32_t>(word);
    return true;
}

bool readOscFloat(ParsedOscMessage& message, float& value)
{
    uint32_t word;
    if (!readWord(message, 'f', word)) return false;
    std::memcpy(&value, &word, 4);
    return true;
}

bool readOscString(ParsedOscMessage& message, const char*& text, int& textLength)
{
    if (currentOscTag(message) != 's') return false;
    int left = bytesLeft(message);
    const char* start = reinterpret_cast<const char*>(message.argCursor);
    const void* zero = left > 0 ? std::memchr(start, 0, static_cast<size_t>(left)) : nullptr;
    ++message.typeTags;
    if (!zero) {
        // Not terminated inside the datagram: an empty string, cursor at the end.
        text = "";
        textLength = 0;
        message.argCursor += left > 0 ? left : 0;
        return true;
    }
    textLength = static_cast<int>(static_cast<const char*>(zero) - start);
    text = start;
    int advance = (textLength + 4) & ~3;
    message.argCursor += advance < left ? advance : left;
    return true;
}

bool readOscBlob(ParsedOscMessage& message, const uint8_t*& data, int32_t& size)
{
    if (currentOscTag(message) != 'b') return false;
    int left = bytesLeft(message);
    if (left < 4) return false;
    uint32_t count = getBigEndian32(message.argCursor);
    if (count > static_cast<uint32_t>(left - 4)) return false;
    data = message.argCursor + 4;
    size = static_cast<int32_t>(count);
    int advance = 4 + roundUp4(static_cast<int>(count));
    message.argCursor += advance < left ? advance : left;
    ++message.typeTags;
    return true;
}
