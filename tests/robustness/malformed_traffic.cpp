#include "robustness/malformed_traffic.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace {

void appendPadded(Bytes& out, const std::string& text)
{
    out.insert(out.end(), text.begin(), text.end());
    do out.push_back(0);
    while (out.size() % 4 != 0);
}

void appendWord(Bytes& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

} // namespace

Bytes oscWithFloat(const std::string& address, float value)
{
    Bytes out;
    appendPadded(out, address);
    appendPadded(out, ",f");
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    appendWord(out, bits);
    return out;
}

Bytes oscWithInt(const std::string& address, int32_t value)
{
    Bytes out;
    appendPadded(out, address);
    appendPadded(out, ",i");
    appendWord(out, static_cast<uint32_t>(value));
    return out;
}

Bytes oscWithString(const std::string& address, const std::string& value)
{
    Bytes out;
    appendPadded(out, address);
    appendPadded(out, ",s");
    appendPadded(out, value);
    return out;
}

namespace {

uint8_t randomByte(std::mt19937& random) { return static_cast<uint8_t>(random() & 0xFF); }

Bytes randomBytes(std::mt19937& random, size_t length)
{
    Bytes out(length);
    for (uint8_t& b : out) b = randomByte(random);
    return out;
}

// Addresses of the right shape whose numbers lie outside every model array,
// with an argument of the type the address would take.
const char* const kOutOfRangeFloat[] = {
    "/ch/00/mix/fader",    "/ch/33/mix/fader",      "/ch/99/mix/fader",     "/ch/4294967297/mix/fader",
    "/ch/-1/mix/fader",    "/auxin/09/mix/fader",   "/fxrtn/00/mix/fader",  "/bus/17/mix/fader",
    "/mtx/07/mix/fader",   "/dca/9/fader",          "/dca/0/fader",         "/headamp/128/gain",
    "/headamp/999/gain",   "/ch/01/mix/17/level",   "/ch/01/mix/00/level",  "/ch/01/eq/5/g",
    "/bus/01/mix/07/level", "/fx/9/par/01",         "/fx/1/par/65",         "/fx/0/par/01",
};
const char* const kOutOfRangeInt[] = {
    "/-ha/80/index",  "/-ha/99/index",     "/fx/9/type",         "/-stat/solosw/00",
    "/-stat/solosw/81", "/ch/34/mix/on",   "/dca/10/on",         "/ch/01/grp/dca/9",
};

} // namespace

Bytes malformedOsc(std::mt19937& random)
{
    std::uniform_int_distribution<int> kind(0, 9);
    std::uniform_int_distribution<int> channel(1, 32);
    char address[40];
    std::snprintf(address, sizeof address, "/ch/%02d/mix/fader", channel(random));
    switch (kind(random)) {
    case 0: {  // noise, not even an address
        Bytes out = randomBytes(random, random() % 1100);
        if (!out.empty() && out[0] == '/') out[0] = 'x';
        return out;
    }
    case 1: {  // an address start and noise
        Bytes out = randomBytes(random, 1 + random() % 300);
        out[0] = '/';
        return out;
    }
    case 2: {  // a good message cut short
        Bytes out = oscWithFloat(address, 0.123f);
        out.resize(1 + random() % (out.size() - 1));
        return out;
    }
    case 3: {  // no type tags at all: the tail holds no comma
        Bytes out;
        appendPadded(out, address);
        size_t tail = random() % 16;
        for (size_t i = 0; i < tail; ++i) {
            uint8_t b = randomByte(random);
            out.push_back(b == ',' ? uint8_t('.') : b);
        }
        return out;
    }
    case 4: {  // a tag string that runs to the end
        Bytes out;
        appendPadded(out, address);
        out.push_back(',');
        size_t tags = 1 + random() % 40;
        for (size_t i = 0; i < tags; ++i) out.push_back('f');
        return out;
    }
    case 5:
        return oscWithFloat(kOutOfRangeFloat[random() % std::size(kOutOfRangeFloat)], 0.5f);
    case 6:
        return oscWithInt(kOutOfRangeInt[random() % std::size(kOutOfRangeInt)], 1);
    case 7: {  // arguments of the wrong type
        static const char* const names[] = {"/ch/01/config/name", "/ch/05/config/name", "/dca/1/config/name"};
        switch (random() % 5) {
        case 0: return oscWithInt(names[random() % 3], 5);
        case 1: return oscWithInt("/ch/01/config/color", 16);
        case 2: return oscWithInt("/ch/07/config/color", -1);
        case 3: return oscWithString(address, "loud");
        default: return oscWithString("/ch/01/mix/on", "off");
        }
    }
    case 8: {  // meter blobs too short or claiming more than is there
        static const char* const meters[] = {"/meter1", "/meter2", "/meter3"};
        Bytes out;
        appendPadded(out, meters[random() % 3]);
        appendPadded(out, ",b");
        static const int32_t counts[] = {0, 4, 8, 88, 1 << 20, -5, 0x7FFFFFFF};
        int32_t count = counts[random() % std::size(counts)];
        appendWord(out, static_cast<uint32_t>(count));
        size_t data = count > 0 && count < 96 ? static_cast<size_t>(count) : random() % 64;
        Bytes noise = randomBytes(random, data);
        out.insert(out.end(), noise.begin(), noise.end());
        return out;
    }
    default:  // a meter alias with an integer instead of a blob
        return oscWithInt("/meter1", 7);
    }
}

Bytes malformedMidi(std::mt19937& random)
{
    auto data = [&] { return static_cast<uint8_t>(random() & 0x7F); };
    switch (random() % 7) {
    case 0:
        return randomBytes(random, random() % 3);
    case 1: {  // a real status cut by a high byte: what follows is after-touch
        static const uint8_t statuses[] = {0x90, 0xB0, 0xE0, 0xE3, 0xE8};
        Bytes out = {statuses[random() % 5], data(), data()};
        out[1 + random() % 2] = static_cast<uint8_t>(0xA0 + random() % 16);
        for (size_t n = random() % 8; n > 0; --n) out.push_back(data());
        return out;
    }
    case 2:  // data bytes with no status before them
        return {data(), data(), data()};
    case 3: {  // note off, aftertouch, program change, pressure, system
        static const uint8_t statuses[] = {0x80, 0x8F, 0xA0, 0xC0, 0xD0, 0xDF, 0xF0, 0xF7, 0xF8, 0xFF};
        Bytes out = {statuses[random() % std::size(statuses)], data(), data()};
        for (size_t n = random() % 40; n > 0; --n) out.push_back(data());
        return out;
    }
    case 4: {  // controllers that are not the eight encoders
        uint8_t controller = data();
        if (controller >= 16 && controller <= 23) controller = static_cast<uint8_t>(controller + 40);
        return {static_cast<uint8_t>(random() % 2 ? 0xB0 : 0xB1 + random() % 15), controller, data()};
    }
    case 5:  // pitch bend on channels without a fader
        return {static_cast<uint8_t>(0xE9 + random() % 7), data(), data()};
    default: {  // long running status the bridge ignores
        Bytes out(3 + random() % 1200);
        for (uint8_t& byte : out) byte = data();
        out[0] = 0xA5;
        return out;
    }
    }
}

Bytes surfaceFaderBytes(int fader, double position)
{
    // Two 7-bit bytes of position x 16383, low first.
    const long step = std::lround(position * 16383.0);
    return {static_cast<uint8_t>(0xE0 + fader - 1), static_cast<uint8_t>(step % 128), static_cast<uint8_t>(step / 128)};
}
