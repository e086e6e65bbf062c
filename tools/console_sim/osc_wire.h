// OSC 1.0 messages as the console exchanges them: address, type tags and
// big-endian arguments, each padded to four bytes. Only the argument types
// the console uses ('i', 'f', 's', 'b') are understood.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct OscArg {
    char type = 'i';
    int32_t i = 0;
    float f = 0.0f;
    std::string s;
    std::vector<uint8_t> blob;
};

struct OscMessage {
    std::string address;
    std::string tags;  // without the leading comma
    std::vector<OscArg> args;
};

OscArg oscInt(int32_t value);
OscArg oscFloat(float value);
OscArg oscString(const std::string& value);
OscArg oscBlob(std::vector<uint8_t> bytes);

// Checks the whole datagram; on failure why says what was wrong.
// A message without a type-tag string is read as one without arguments.
bool parseOscMessage(const uint8_t* data, size_t length, OscMessage& out, std::string& why);

std::vector<uint8_t> encodeOscMessage(const std::string& address, const std::vector<OscArg>& args);

// "/ch/01/mix/fader ,f 0.7500" for logs.
std::string describeOscMessage(const OscMessage& message);
std::string describeOscArg(const OscArg& arg);
