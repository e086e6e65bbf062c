// Helpers for the surface refresh tests: what the refresh queued, as byte
// vectors, and a model laid out like the state after start-up.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "app/reset_state.h"
#include "display/refresh.h"
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

inline std::vector<QueuedSlot> drainSurfaceQueue()
{
    std::vector<QueuedSlot> slots;
    SurfaceMessage message;
    while (takeQueuedSurfaceMessage(message)) {
        slots.push_back({Bytes(message.data, message.data + message.length), message.waitMicros});
    }
    // Each drained refresh is looked at whole: the next one sends every lamp
    // and fader again, as after the heartbeat's repair.
    forgetSentLampsAndFaders();
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
    refreshSurface(0);
    return bytesOf(drainSurfaceQueue());
}

inline bool isLamp(const Bytes& b) { return b.size() == 3 && b[0] == 0x90; }
inline bool isFader(const Bytes& b) { return b.size() == 3 && (b[0] & 0xF0) == 0xE0; }
inline bool isRing(const Bytes& b) { return b.size() == 6 && b[0] == 0xB0; }

using Lamp = std::pair<int, int>;   // note, velocity

// Every lamp message with a note in [low, high], in queue order.
inline std::vector<Lamp> lampsBetween(const std::vector<Bytes>& slots, int low, int high)
{
    std::vector<Lamp> lamps;
    for (const Bytes& b : slots) {
        if (isLamp(b) && b[1] >= low && b[1] <= high) lamps.push_back({b[1], b[2]});
    }
    return lamps;
}

// The page lamps: mode lamps, send-page and effects-page lamps.
inline bool isPageLampNote(int note)
{
    return (note >= 0x28 && note <= 0x2D) || note == 0x33 || (note >= 0x36 && note <= 0x49) ||
           (note >= 0x50 && note <= 0x53) || note == 0x55;
}

inline std::vector<Lamp> pageLampsOf(const std::vector<Bytes>& slots)
{
    std::vector<Lamp> lamps;
    for (const Bytes& b : slots) {
        if (isLamp(b) && isPageLampNote(b[1])) lamps.push_back({b[1], b[2]});
    }
    return lamps;
}

// Fader number 1..9 and position of every fader message, in queue order.
inline std::vector<std::pair<int, int>> fadersOf(const std::vector<Bytes>& slots)
{
    std::vector<std::pair<int, int>> faders;
    for (const Bytes& b : slots) {
        if (isFader(b)) faders.push_back({(b[0] & 0x0F) + 1, b[1] | (b[2] << 8)});
    }
    return faders;
}

// The running-status mute batch: the one slot of odd length above 3 that
// starts with a note-on status, or a 3-byte slot carrying a mute note when
// only one strip is shown.
inline Bytes muteBatchOf(const std::vector<Bytes>& slots)
{
    for (const Bytes& b : slots) {
        if (b.empty() || b[0] != 0x90) continue;
        if (b.size() > 3 || b.size() == 1) return b;
    }
    return {};
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
inline void arrangeRecordedEditor(DesktopRect window = {0, 100, 1188, 851})
{
    installRecordingDesktop();
    addFakeWindow("X32 EDIT", window);
    searchEditorWindow();
    updateEditorGeometry();
    waitForEditorClicks();
    clearRecordedDesktopEvents();
}

// The events of one click at a screen point.
inline std::vector<DesktopEvent> clickAt(int x, int y)
{
    return {cursorMoveEvent(x, y), leftClickEvent(x, y)};
}
