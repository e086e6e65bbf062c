// Helpers for the surface refresh and strip display tests: what a refresh
// queued, as byte vectors or decoded displays, and a model laid out like the
// state after start-up.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "app/reset_state.h"
#include "display/refresh.h"
#include "display/strip_display.h"
#include "display/strip_texts.h"
#include "editor/editor_clicks.h"
#include "editor/editor_window.h"
#include "model/console_model.h"
#include "platform/desktop_recording.h"
#include "surface/output_queue.h"

using Bytes = std::vector<uint8_t>;

struct QueuedSlot {
    Bytes bytes;
    int wait;
};

// Everything queued, in order. With forget, the next refresh sends every
// lamp and fader again, as after the heartbeat's repair, so that each
// drained refresh is looked at whole.
inline std::vector<QueuedSlot> drainSurfaceQueue(bool forget = true)
{
    std::vector<QueuedSlot> slots;
    for (SurfaceMessage m; takeQueuedSurfaceMessage(m);) slots.push_back({Bytes(m.data, m.data + m.length), m.waitMicros});
    if (forget) forgetSentLampsAndFaders();
    return slots;
}

inline std::vector<Bytes> bytesOf(const std::vector<QueuedSlot>& slots)
{
    std::vector<Bytes> out;
    for (const QueuedSlot& slot : slots) out.push_back(slot.bytes);
    return out;
}

inline std::vector<Bytes> refreshAndDrain()
{
    refreshSurface();
    return bytesOf(drainSurfaceQueue());
}

inline bool isLamp(const Bytes& b) { return b.size() == 3 && b[0] == 0x90; }

using Lamp = std::pair<int, int>;   // note, velocity

// The page lamps: mode lamps, send-page and effects-page lamps.
inline std::vector<Lamp> pageLampsOf(const std::vector<Bytes>& slots)
{
    std::vector<Lamp> lamps;
    for (const Bytes& b : slots) {
        int note = isLamp(b) ? b[1] : -1;
        if ((note >= 0x28 && note <= 0x2D) || note == 0x33 || (note >= 0x36 && note <= 0x49) ||
            (note >= 0x50 && note <= 0x53) || note == 0x55)
            lamps.push_back({b[1], b[2]});
    }
    return lamps;
}

// The state after start-up: bank of strips 0..7, strip 0 selected, page 0,
// refresh enabled, the page-entry block still to be sent.
inline void arrangeStartedBridge()
{
    resetAllState();
    for (int i = 0; i < 8; ++i) bankStrips[i] = i;
    selectedStrip = 0;
    selectedBankSlot = 1;
    surfacePage = 0;
    surfaceRefreshEnabled = 1;
    lastShownPage = -1;
}

// An editor window at the reference size with its top edge at 100: design
// point (x, y) lands at (x, y + 120), a panel point at (x + 1001, y + 120).
inline void arrangeRecordedEditor()
{
    installRecordingDesktop();
    addFakeWindow("X32 EDIT", {0, 100, 1188, 851});
    searchEditorWindow();
    updateEditorGeometry();
    EXPECT_TRUE(waitForEditorClicks());
    clearRecordedDesktopEvents();
}

// The events of one click at a screen point.
inline std::vector<DesktopEvent> clickAt(int x, int y) { return clickEvents({{x, y}}); }

// ---- strip displays ----

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
    for (const QueuedSlot& m : drainSurfaceQueue()) {
        if (m.bytes.empty() || m.bytes[0] != 0xF0) continue;
        const uint8_t header[5] = {0xF0, 0x00, 0x00, 0x66, 0x58};
        bool wellFormed = m.bytes.size() == 22 && std::memcmp(m.bytes.data(), header, 5) == 0 && m.bytes[21] == 0xF7;
        EXPECT_TRUE(wellFormed) << "bad display message of length " << m.bytes.size();
        EXPECT_EQ(m.wait, 150);
        if (wellFormed) {
            shown.push_back({m.bytes[5] - 0x1F, {m.bytes[6], textAt(m.bytes.data() + 7), textAt(m.bytes.data() + 14)}});
        }
    }
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
