// The emulated console's parameter store: one entry per address that an X32
// holds (for the strips, exactly the console's own list), each with its OSC type and current value. Built
// once at start; read and written on the event-loop thread only.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "osc_wire.h"

struct Param {
    std::string address;
    char type = 'f';        // 'f', 'i' or 's'
    int fxSlot = 0;         // 1..8 for "/fx/N/type": its parameters follow the type
    float f = 0.0f;
    int32_t i = 0;
    std::string s;
    int32_t low = 0;        // integer range, used only to make random scene values
    int32_t high = 1;
};

extern std::vector<Param> params;
extern std::unordered_map<std::string, size_t> paramIndex;

// Fills the store with every address, all values zero or empty.
void buildParamStore();

Param* findParam(const std::string& address);

// The parameter's value as an OSC argument of its type.
OscArg paramValue(const Param& param);

// Stores arg when its type fits the parameter; false (nothing stored) otherwise.
// A different effect type gives the slot's parameters that type's kinds.
bool storeParamValue(Param& param, const OscArg& arg);

// "f 0.750000", "i 3", "s \"Kick\"" for dumps.
std::string formatParamValue(const Param& param);

// Helpers for the start values: silently ignore an unknown address, so a
// typo there shows up as a missing value in a dump, not as a crash.
void setFloat(const std::string& address, float value);
void setInt(const std::string& address, int32_t value);
void setText(const std::string& address, const std::string& value);
int32_t intValueOf(const std::string& address, int32_t fallback);
float floatValueOf(const std::string& address, float fallback);

// Plausible show values: named and coloured strips, DCA and mute-group
// members, routing, effects types (start_values.cpp).
void loadStartValues();

// Strip address prefix by strip index 0..79: "/ch/01" ... "/dca/8".
std::string stripPrefix(int strip);
