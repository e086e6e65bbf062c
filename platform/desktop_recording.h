// A scripted desktop for tests: fake windows with titles, rectangles and
// monitors, and a log of every cursor move, click, focus and key in order.
// installRecordingDesktop() makes it the active backend; resetDesktopBackend()
// restores the default. The functions below act on the installed one and do
// nothing when none is installed. Safe from any thread.
#pragma once

#include <cstdint>
#include <ostream>
#include <initializer_list>
#include <utility>
#include <vector>

#include "platform/desktop.h"

enum class DesktopEventKind { CursorMove, LeftClick, Focus, FunctionKey };

struct DesktopEvent {
    DesktopEventKind kind = DesktopEventKind::CursorMove;
    int x = 0;            // cursor position (moves and clicks)
    int y = 0;
    uint64_t window = 0;  // focus and keys
    int fkey = 0;         // 1..8 for F1..F8
};

bool operator==(const DesktopEvent& a, const DesktopEvent& b);
std::ostream& operator<<(std::ostream& out, const DesktopEvent& event);

DesktopEvent cursorMoveEvent(int x, int y);
DesktopEvent leftClickEvent(int x, int y);
// A move to each point followed by a left click there, as clickEditor makes.
std::vector<DesktopEvent> clickEvents(std::initializer_list<std::pair<int, int>> points);
DesktopEvent focusEvent(uint64_t window);
DesktopEvent functionKeyEvent(uint64_t window, int fkey);

void installRecordingDesktop();

// Adds a top-level window after the existing ones; returns its handle.
uint64_t addFakeWindow(const char* title, DesktopRect rect);
void moveFakeWindow(uint64_t window, DesktopRect rect);
// The next rectangle reads see these in turn, as while a window manager
// animates it; the window then stays at the last one.
void scriptFakeWindowRects(uint64_t window, std::vector<DesktopRect> rects);
// The window disappears: rectangle reads report it gone.
void closeFakeWindow(uint64_t window);
// Rectangle reads fail while the window still exists (error code 5).
void failFakeWindowRect(uint64_t window, bool fail);
// Until a monitor is added the desktop has one 1920 x 1080 screen at (0, 0).
void addFakeMonitor(DesktopRect rect);
// Shown (the start state), minimised (its rectangle then reads as Windows
// reports an iconic window's, near (-32000, -32000)) or hidden. Only a shown
// window with a non-empty rectangle can take clicks.
enum class FakeWindowState { Shown, Minimised, Hidden };
void setFakeWindowState(uint64_t window, FakeWindowState state);

std::vector<DesktopEvent> recordedDesktopEvents();
void clearRecordedDesktopEvents();
