#include "editor/editor_window.h"

#include <chrono>
#include <climits>
#include <cmath>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/console_output.h"
#include "platform/desktop.h"

EditorState editorState;

namespace {

// The editor's layout at its reference size; the title bar above design row 0;
// the right-hand panel, which stays at the window's right edge.
constexpr double DESIGN_WIDTH = 1188.0;
constexpr double DESIGN_HEIGHT = 751.0;
constexpr double DESIGN_ASPECT = 0.6321548821548821;  // 751 / 1188
constexpr int TITLE_HEIGHT = 20;
constexpr double PANEL_WIDTH = 187.0;
constexpr int FIRST_PANEL_ENTRY = 200;

// A window whose rectangle stayed the same this long is not being moved
// or animated by the window manager; a restore animation moves it every
// frame (about 16 ms).
constexpr auto SETTLE_TIME = std::chrono::milliseconds(50);

// The rectangle of the last good read, which the geometry came from.
DesktopRect editorRect;
// The window as the last good read found it, and since when it has been in
// exactly that state. A press is made only in this state.
WindowState settledState;
std::chrono::steady_clock::time_point settledSince;
bool settleKnown = false;
// The window as it was when a click was last owed.
WindowState owedState;
bool owedStateKnown = false;
// Geometry is read and written as a whole: a click never mixes an old offset
// with a new scale. Recursive because clicks measure the window again.
std::recursive_mutex editorMutex;

// Truncation toward zero that cannot overflow: a degenerate window can make
// the values huge or not a number.
int truncToInt(double value)
{
    if (std::isnan(value)) return 0;
    if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(value);
}

void resetGeometry()
{
    editorOffsetX = 0;
    editorOffsetY = 0;
    editorScaleX = 1.0;
    editorScaleY = 1.0;
    editorRight = 0;
    editorBottom = 0;
    editorPanelOffset = 0;
    editorPanelLeft = 0;
    editorRect = DesktopRect{};
    settleKnown = false;
    owedStateKnown = false;
}

void forgetEditorWindow()
{
    editorFound = 0;
    editorWindow = 0;
    resetGeometry();
    // An editor opened again starts on its own bank and page.
    editorClickMissed = 1;
    consolePrint("Editor window closed.\n");
}

void applyGeometry(const WindowState& state)
{
    const DesktopRect& r = state.rect;
    int height = r.bottom - r.top;
    editorOffsetX = r.left;
    editorOffsetY = r.top + TITLE_HEIGHT;
    editorScaleY = height / DESIGN_HEIGHT;
    // The width the window would have at the reference aspect ratio, in whole
    // pixels: both scales follow the height, the width only moves the panel.
    editorScaleX = std::trunc(height / DESIGN_ASPECT) / DESIGN_WIDTH;
    editorRight = r.right;
    editorBottom = r.top + TITLE_HEIGHT + height;
    editorPanelOffset = (r.right - r.left) - truncToInt(editorScaleX * PANEL_WIDTH);
    editorPanelLeft = editorPanelOffset + r.left;
    editorRect = r;
    // Hidden, shown again or moved: the settle time starts anew.
    if (!settleKnown || !(state == settledState)) {
        settledState = state;
        settledSince = std::chrono::steady_clock::now();
        settleKnown = true;
    }
}

bool onAScreen(DesktopBackend& desktop, int x, int y)
{
    std::vector<DesktopRect> screens;
    desktop.listScreens(screens);
    for (const DesktopRect& s : screens) {
        if (rectContains(s, x, y)) return true;
    }
    return false;
}

// The editor's rectangle now; a window that is gone is forgotten.
RectRead readEditorRect(DesktopBackend& desktop, DesktopRect& rect)
{
    RectRead status = desktop.readWindowRect(editorWindow, rect);
    if (status == RectRead::WindowGone) forgetEditorWindow();
    return status;
}

// The editor's window now, taken as the geometry when read.
RectRead followEditorWindow(DesktopBackend& desktop)
{
    WindowState state;
    RectRead status = desktop.readWindowState(editorWindow, state);
    if (status == RectRead::WindowGone) forgetEditorWindow();
    if (status == RectRead::Ok) applyGeometry(state);
    return status;
}

// Presses (x, y) only while the window is as the geometry was taken from it.
ClickResult pressInSettledWindow(DesktopBackend& desktop, int x, int y)
{
    if (editorFound != 1 || !settleKnown || !settledState.clickable) {
        noteEditorClickOwed();
        return ClickResult::Owed;
    }
    switch (desktop.pressIfStill(editorWindow, settledState, x, y)) {
    case PressResult::Pressed: return ClickResult::Made;
    case PressResult::WindowGone: forgetEditorWindow(); return ClickResult::Owed;
    case PressResult::Changed: break;
    }
    settleKnown = false;
    return ClickResult::Moved;
}

void setPoint(int entry, int x, int y)
{
    editorClickPoints[entry][0] = x;
    editorClickPoints[entry][1] = y;
}

}

void initEditorClickPoints()
{
    std::lock_guard<std::recursive_mutex> lock(editorMutex);
    std::memset(editorClickPoints, 0, sizeof editorClickPoints);
    // View buttons of the top row.
    setPoint(150, 36, 22);
    setPoint(152, 236, 22);
    setPoint(153, 316, 22);
    setPoint(154, 464, 22);
    setPoint(155, 396, 22);
    setPoint(156, 546, 22);
    setPoint(157, 630, 22);
    setPoint(158, 726, 22);
    setPoint(159, 811, 22);
    // Bank buttons 0..8; the last one is also the DCA button.
    const int bankRows[9] = {435, 465, 500, 535, 570, 600, 632, 667, 700};
    for (int b = 0; b < 9; ++b) setPoint(160 + b, 25, bankRows[b]);
    // Panel buttons of the sends to buses 1..16, two columns.
    const int busRows[8] = {452, 480, 510, 540, 570, 606, 636, 660};
    for (int n = 1; n <= 16; ++n) setPoint(199 + n, (n % 2 == 1) ? 35 : 110, busRows[(n - 1) / 2]);
    setPoint(216, 50, 419);
    setPoint(217, 105, 419);
}

void findEditorWindow(uint64_t window, const char* title)
{
    std::lock_guard<std::recursive_mutex> lock(editorMutex);
    if (!title || !*title) return;
    if (std::strstr(title, "X32 EDIT")) {
        editorWindow = window;
        editorFound = 1;
        editorKind = 1;
    }
    if (std::strstr(title, "M32 EDIT")) {
        editorWindow = window;
        editorFound = 1;
        editorKind = 2;
    }
}

void searchEditorWindow()
{
    std::lock_guard<std::recursive_mutex> lock(editorMutex);
    std::vector<DesktopWindow> windows;
    currentDesktop()->listWindows(windows);
    for (const DesktopWindow& w : windows) findEditorWindow(w.handle, w.title.c_str());
    updateEditorGeometry();
}

bool findWindowByTitle(const char* text, uint64_t& window)
{
    std::lock_guard<std::recursive_mutex> lock(editorMutex);
    foundWindowValid = 0;
    if (!text) return false;
    std::vector<DesktopWindow> windows;
    currentDesktop()->listWindows(windows);
    for (const DesktopWindow& w : windows) {
        if (!w.title.empty() && w.title.find(text) != std::string::npos) {
            foundWindow = w.handle;
            foundWindowValid = 1;
        }
    }
    if (foundWindowValid) window = foundWindow;
    return foundWindowValid == 1;
}

void updateEditorGeometry()
{
    std::lock_guard<std::recursive_mutex> lock(editorMutex);
    if (editorFound != 1) return;
    // On a failed read the window may only be busy; keep the last geometry.
    followEditorWindow(*currentDesktop());
}

void noteEditorClickOwed(bool windowAtRest)
{
    std::lock_guard<std::recursive_mutex> lock(editorMutex);
    editorClickMissed = 1;
    owedState = settledState;
    owedStateKnown = windowAtRest && editorFound == 1 && settleKnown;
}

bool editorChangedSinceOwed()
{
    std::lock_guard<std::recursive_mutex> lock(editorMutex);
    if (editorFound != 1) return true;
    if (followEditorWindow(*currentDesktop()) != RectRead::Ok) return editorFound != 1;
    return !owedStateKnown || !(settledState == owedState);
}

ClickResult clickEditor(int x, int y, int panelOffset)
{
    std::lock_guard<std::recursive_mutex> lock(editorMutex);
    long long screenX = static_cast<long long>(truncToInt(x * editorScaleX)) + editorOffsetX + panelOffset;
    long long screenY = static_cast<long long>(truncToInt(y * editorScaleY)) + editorOffsetY;
    std::shared_ptr<DesktopBackend> desktop = currentDesktop();
    // A point off the window would press another application's control,
    // one off every screen would be moved onto a screen edge; either stays
    // owed until the editor can take it.
    bool inWindow = screenX < editorRight && screenY < editorBottom && screenX >= editorRect.left &&
                    screenX < editorRect.right && screenY >= editorRect.top && screenY < editorRect.bottom;
    if (editorFound != 1 || !inWindow || !onAScreen(*desktop, static_cast<int>(screenX), static_cast<int>(screenY))) {
        noteEditorClickOwed();
        return ClickResult::Owed;
    }
    // A minimised window's rectangle lies far off screen; the cursor would
    // be clamped into another window: such a state is not clickable.
    return pressInSettledWindow(*desktop, static_cast<int>(screenX), static_cast<int>(screenY));
}

ClickResult clickBesideEditor(int x, int y)
{
    std::lock_guard<std::recursive_mutex> lock(editorMutex);
    std::shared_ptr<DesktopBackend> desktop = currentDesktop();
    desktop->moveCursor(x, y);
    return pressInSettledWindow(*desktop, x, y);
}

bool isLeftOfPanel(int x)
{
    std::lock_guard<std::recursive_mutex> lock(editorMutex);
    if (!(editorScaleX > 0.0)) return false;
    return x < truncToInt(editorPanelLeft / editorScaleX);
}

EditorReadiness checkEditorReadiness()
{
    std::lock_guard<std::recursive_mutex> lock(editorMutex);
    if (editorFound != 1) return EditorReadiness::NotFound;
    // A failed read tells nothing new; the last good one still counts.
    if (followEditorWindow(*currentDesktop()) == RectRead::WindowGone) return EditorReadiness::NotFound;
    if (!settleKnown) return EditorReadiness::Settling;
    if (!settledState.clickable) return EditorReadiness::CannotTakeClicks;
    if (std::chrono::steady_clock::now() - settledSince < SETTLE_TIME) return EditorReadiness::Settling;
    return EditorReadiness::Ready;
}

bool screenPointOnAScreen(int x, int y)
{
    return onAScreen(*currentDesktop(), x, y);
}

bool editorCanTakeClicks()
{
    std::lock_guard<std::recursive_mutex> lock(editorMutex);
    return editorFound == 1 && currentDesktop()->canTakeClicks(editorWindow);
}

ClickResult clickEditorPointNow(int entry)
{
    std::lock_guard<std::recursive_mutex> lock(editorMutex);
    if (entry < 0 || entry >= EDITOR_CLICK_POINT_COUNT) return ClickResult::Made;
    int x = editorClickPoints[entry][0];
    int y = editorClickPoints[entry][1];
    // Entries the layout does not use hold (0, 0): the window's corner.
    if (x == 0 && y == 0) return ClickResult::Made;
    if (entry >= FIRST_PANEL_ENTRY) return clickEditor(x, y, editorPanelOffset);
    if (isLeftOfPanel(x)) return clickEditor(x, y, 0);
    return ClickResult::Made;
}

void focusEditorWindow()
{
    std::lock_guard<std::recursive_mutex> lock(editorMutex);
    if (editorFound != 1) return;
    currentDesktop()->focusWindow(editorWindow);
}

bool editorWindowRect(int& left, int& top, int& right, int& bottom)
{
    std::lock_guard<std::recursive_mutex> lock(editorMutex);
    if (editorFound != 1) return false;
    std::shared_ptr<DesktopBackend> desktop = currentDesktop();
    DesktopRect rect;
    if (readEditorRect(*desktop, rect) != RectRead::Ok) return false;
    left = rect.left;
    top = rect.top;
    right = rect.right;
    bottom = rect.bottom;
    return true;
}

void editorMonitorEdges(int& monitorLeft, int& monitorBottom)
{
    std::lock_guard<std::recursive_mutex> lock(editorMutex);
    monitorLeft = 0;
    monitorBottom = 0;
    DesktopRect window;
    if (!editorWindowRect(window.left, window.top, window.right, window.bottom)) return;
    DesktopRect monitor;
    if (!currentDesktop()->monitorOf(window, monitor)) return;
    monitorLeft = monitor.left;
    monitorBottom = monitor.bottom;
}

void sendFunctionKey(uint64_t window, int fkey)
{
    std::lock_guard<std::recursive_mutex> lock(editorMutex);
    if (window == 0 || fkey < 1 || fkey > 8) return;
    std::shared_ptr<DesktopBackend> desktop = currentDesktop();
    DesktopRect rect;
    // A closed window's handle may name nothing, or something else later.
    if (desktop->readWindowRect(window, rect) == RectRead::WindowGone) {
        if (editorFound == 1 && window == editorWindow) forgetEditorWindow();
        return;
    }
    desktop->focusWindow(window);
    desktop->sendFunctionKey(window, fkey);
}

void resetEditorState()
{
    std::lock_guard<std::recursive_mutex> lock(editorMutex);
    editorFound = 0;
    editorKind = 0;
    editorWindow = 0;
    foundWindow = 0;
    foundWindowValid = 0;
    editorClickMissed = 0;
    editorFollowed = 1;
    resetGeometry();
    initEditorClickPoints();
}
