#include "osc_wire.h"

#include <cstdio>
#include <cstring>

namespace {

size_t padded(size_t length) { return (length + 3) & ~static_cast<size_t>(3); }

void appendPaddedString(std::vector<uint8_t>& out, const std::string& text)
{
    out.insert(out.end(), text.begin(), text.end());
    size_t total = padded(text.size() + 1);
    out.resize(out.size() + (total - text.size()), 0);
}

void appendBigEndian(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value >> 24));
    out.push_back(static_cast<uint8_t>(value >> 16));
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}

uint32_t readBigEndian(const uint8_t* p)
{
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

// Reads a NUL-terminated, padded string at offset; false if it runs past the end.
bool readPaddedString(const uint8_t* data, size_t length, size_t& offset, std::string& out)
{
    const void* end = std::memchr(data + offset, 0, length - offset);
    if (end == nullptr) return false;
    size_t textLength = static_cast<const uint8_t*>(end) - (data + offset);
    out.assign(reinterpret_cast<const char*>(data + offset), textLength);
    offset += padded(textLength + 1);
    return offset <= length;
}

}  // namespace

OscArg oscInt(int32_t value)
{
    OscArg arg;
    arg.type = 'i';
    arg.i = value;
    return arg;
}

OscArg oscFloat(float value)
{
    OscArg arg;
    arg.type = 'f';
    arg.f = value;
    return arg;
}

OscArg oscString(const std::string& value)
{
    OscArg arg;
    arg.type = 's';
    arg.s = value;
    return arg;
}

OscArg oscBlob(std::vector<uint8_t> bytes)
{
    OscArg arg;
    arg.type = 'b';
    arg.blob = std::move(bytes);
    return arg;
}

bool parseOscMessage(const uint8_t* data, size_t length, OscMessage& out, std::string& why)
{
    out = OscMessage{};
    if (length < 4 || length % 4 != 0) {
        why = "length is not a positive multiple of 4";
        return false;
    }
    if (data[0] != '/') {
        why = data[0] == '#' ? "bundles are not handled" : "address does not start with /";
        return false;
    }
    size_t offset = 0;
    if (!readPaddedString(data, length, offset, out.address)) {
        why = "address not terminated";
        return false;
    }
    if (offset == length) return true;
    std::string tags;
    if (!readPaddedString(data, length, offset, tags) || tags.empty() || tags[0] != ',') {
        why = "bad type-tag string";
        return false;
    }
    out.tags = tags.substr(1);
    for (char tag : out.tags) {
        OscArg arg;
        arg.type = tag;
        if (tag == 'i' || tag == 'f') {
            if (offset + 4 > length) {
                why = "argument missing";
                return false;
            }
            uint32_t bits = readBigEndian(data + offset);
            offset += 4;
            if (tag == 'i') arg.i = static_cast<int32_t>(bits);
            else std::memcpy(&arg.f, &bits, 4);
        } else if (tag == 's') {
            if (offset >= length || !readPaddedString(data, length, offset, arg.s)) {
                why = "string argument not terminated";
                return false;
            }
        } else if (tag == 'b') {
            if (offset + 4 > length) {
                why = "blob size missing";
                return false;
            }
            uint32_t size = readBigEndian(data + offset);
            offset += 4;
            if (size > length - offset) {
                why = "blob runs past the end";
                return false;
            }
            arg.blob.assign(data + offset, data + offset + size);
            offset += padded(size);
        } else {
            why = std::string("unsupported type tag '") + tag + "'";
            return false;
        }
        out.args.push_back(arg);
    }
    return true;
}

std::vector<uint8_t> encodeOscMessage(const std::string& address, const std::vector<OscArg>& args)
{
    std::vector<uint8_t> out;
    appendPaddedString(out, address);
    std::string tags = ",";
    for (const OscArg& arg : args) tags += arg.type;
    appendPaddedString(out, tags);
    for (const OscArg& arg : args) {
        if (arg.type == 'i') {
            appendBigEndian(out, static_cast<uint32_t>(arg.i));
        } else if (arg.type == 'f') {
            uint32_t bits;
            std::memcpy(&bits, &arg.f, 4);
            appendBigEndian(out, bits);
        } else if (arg.type == 's') {
            appendPaddedString(out, arg.s);
        } else if (arg.type == 'b') {
            appendBigEndian(out, static_cast<uint32_t>(arg.blob.size()));
            out.insert(out.end(), arg.blob.begin(), arg.blob.end());
            out.resize(padded(out.size()), 0);
        }
    }
    return out;
}

std::string describeOscArg(const OscArg& arg)
{
    char text[64];
    switch (arg.type) {
    case 'i': std::snprintf(text, sizeof text, "%d", arg.i); return text;
    case 'f': std::snprintf(text, sizeof text, "%.4f", static_cast<double>(arg.f)); return text;
    case 's': return "\"" + arg.s + "\"";
    case 'b': std::snprintf(text, sizeof text, "<blob %zu bytes>", arg.blob.size()); return text;
    default: return "?";
    }
}

std::string describeOscMessage(const OscMessage& message)
{
    std::string text = message.address;
    if (!message.tags.empty()) text += " ," + message.tags;
    for (const OscArg& arg : message.args) text += " " + describeOscArg(arg);
    return text;
}
