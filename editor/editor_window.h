// The console editor's window: finding it by title, following its geometry,
// and clicking design points of its layout scaled to the window.
// Runs on the surface receive thread (search, geometry) and on the editor
// click thread (clicks, see editor_clicks.h).
#pragma once

#include <atomic>
#include <cstdint>

// Atomic because the start-up, surface, refresh and spill threads all read
// them; the compound updates are serialised inside the module.
extern std::atomic<int> editorFound;        // 1 once an editor window was found
extern std::atomic<int> editorKind;         // 0 none, 1 X32-Edit, 2 M32-Edit
extern std::atomic<uint64_t> editorWindow;  // backend handle, valid while editorFound is 1
extern std::atomic<int> editorOffsetX;
extern std::atomic<int> editorOffsetY;
extern std::atomic<double> editorScaleX;
extern std::atomic<double> editorScaleY;
extern std::atomic<int> editorRight;
extern std::atomic<int> editorBottom;
extern std::atomic<int> editorPanelOffset;
extern std::atomic<int> editorPanelLeft;

constexpr int EDITOR_CLICK_POINT_COUNT = 218;
extern int editorClickPoints[EDITOR_CLICK_POINT_COUNT][2];

// Fills editorClickPoints with the editor's layout points.
void initEditorClickPoints();

// Enumerates the top-level windows; the last window whose title contains
// "X32 EDIT" or "M32 EDIT" becomes the editor. A window just found is
// measured at once, so clicks made before the next surface datagram land.
void searchEditorWindow();
// One window of that search: takes it as the editor when its title matches
// (case-sensitive; "M32 EDIT" is checked after "X32 EDIT").
void findEditorWindow(uint64_t window, const char* title);

// True when a top-level window's title contains text; its handle in window.
// The last matching window wins; foundWindowValid is cleared first, so only
// this search counts.
bool findWindowByTitle(const char* text, uint64_t& window);
extern std::atomic<uint64_t> foundWindow;
extern std::atomic<int> foundWindowValid;

// Re-reads the editor window's rectangle and derives offsets, scales and the
// panel position from it. A window that no longer exists is forgotten:
// editorFound goes back to 0 (the dispatcher searches again) and the
// geometry to its start values, so nothing is clicked.
void updateEditorGeometry();
// 1 while the editor owes clicks: one was asked for while no editor window
// was known, the window closed, or a click was not made because the editor
// could not take it (minimised, hidden, empty, still moving, its point off
// the window or off every screen). Cleared when the clicks that bring the
// editor to the surface's bank and page are queued.
extern std::atomic<int> editorClickMissed;
// The editor window is found, visible, not minimised and not empty.
bool editorCanTakeClicks();

enum class EditorReadiness { NotFound, CannotTakeClicks, Settling, Ready };
// Reads the editor's rectangle now and says whether a click can be made:
// Settling while the window has not kept one rectangle for a few tens of
// milliseconds (a window manager animating it, a drag); a window that was
// hidden or minimised must hold still again before it is Ready.
EditorReadiness checkEditorReadiness();
// True when (x, y) lies on one of the desktop's screens.
bool screenPointOnAScreen(int x, int y);

// The clicks below are made at once: only the editor click thread (see
// editor_clicks.h, the path every other click takes) and tests call them.
// Clicks design point (x, y), shifted right by panelOffset screen pixels;
// dropped when the point falls outside the window or off every screen, the
// window is gone or it cannot take a click (then editorClickMissed is set).
void clickEditor(int x, int y, int panelOffset);
bool isLeftOfPanel(int x);
// Entries from 200 on are panel points (unguarded); below 200 main-area
// points, clicked only when isLeftOfPanel holds. Unknown entries are ignored.
void clickEditorPointNow(int entry);

// Brings the editor to the front.
void focusEditorWindow();

// For the DCA spill step: the editor window's rectangle read again now, and
// the left and bottom edges of the monitor that holds it (0, 0 when none).
// A failed read leaves its system error code with the desktop backend.
bool editorWindowRect(int& left, int& top, int& right, int& bottom);
void editorMonitorEdges(int& monitorLeft, int& monitorBottom);
// Moves the cursor to (x, y) twice, then left button down and up; not clipped.
void clickScreenPoint(int x, int y);
// Brings a window found by findWindowByTitle to the front and sends it
// key-down and key-up of function key F1..F8 (fkey 1..8).
void sendFunctionKey(uint64_t window, int fkey);

// Back to "no editor", scales 1.0, offsets 0.
void resetEditorState();
