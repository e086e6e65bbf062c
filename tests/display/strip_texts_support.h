// Helpers for the strip display tests: the display messages a refresh queued,
// decoded per position, and small model set-ups.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "app/reset_state.h"
#include "display/strip_display.h"
#include "display/strip_texts.h"
#include "model/console_model.h"
#include "surface/output_queue.h"

struct ShownDisplay {
    int colourByte;
    std::string top;
    std::string bottom;
    bool operator==(const ShownDisplay&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const ShownDisplay& d)
{
    return out << "{colour " << d.colourByte << ", \"" << d.top << "\", \"" << d.bottom << "\"}";
}

inline ShownDisplay label(const char* top, const char* bottom) { return {6, top, bottom}; }
inline ShownDisplay blankDisplay() { return {0, "", ""}; }

inline std::string textAt(const uint8_t* bytes)
{
    std::string text;
    for (int i = 0; i < 7 && bytes[i] != 0; ++i) text.push_back(static_cast<char>(bytes[i]));
    return text;
}

// Every display message still queued, in order, as (position, display).
// Other messages are dropped; a malformed display message fails the test.
inline std::vector<std::pair<int, ShownDisplay>> takeDisplayMessages()
{
    std::vector<std::pair<int, ShownDisplay>> shown;
    SurfaceMessage m;
    while (takeQueuedSurfaceMessage(m)) {
        if (m.length == 0 || m.data[0] != 0xF0) continue;
        const uint8_t header[5] = {0xF0, 0x00, 0x00, 0x66, 0x58};
        bool wellFormed = m.length == 22 && std::memcmp(m.data, header, 5) == 0 && m.data[21] == 0xF7;
        EXPECT_TRUE(wellFormed) << "bad display message of length " << m.length;
        EXPECT_EQ(m.waitMicros, 150);
        if (wellFormed) shown.push_back({m.data[5] - 0x1F, {m.data[6], textAt(m.data + 7), textAt(m.data + 14)}});
    }
    forgetSentLampsAndFaders();
    return shown;
}

// The last display queued for each position.
inline std::map<int, ShownDisplay> takeDisplays()
{
    std::map<int, ShownDisplay> last;
    for (const auto& [position, display] : takeDisplayMessages()) last[position] = display;
    return last;
}

// Every display shows "pre" first, so that a position the refresh leaves
// alone is absent from the result and a blanked one shows as blank.
inline std::map<int, ShownDisplay> refreshFromPrefilled()
{
    for (int position = 1; position <= 8; ++position) writeStripDisplay(position, 5, 0, "pre", "pre");
    takeDisplayMessages();
    refreshStripDisplays();
    return takeDisplays();
}

inline void nameStrip(int strip, const char* name, int colour, int inverted = 0)
{
    std::snprintf(strips[strip].name, sizeof strips[strip].name, "%s", name);
    strips[strip].color = colour;
    strips[strip].colorInverted = inverted;
}

// The state after start-up: console model at its start values, page 0.
inline void startStripTextsTest()
{
    resetAllState();
    for (int i = 0; i < 8; ++i) bankStrips[i] = i;
    surfacePage = 0;
    selectedStrip = 0;
}
