// The console editor's window: finding it by title, following its geometry,
// and clicking design points of its layout scaled to the window.
// Runs on the surface receive thread (search, geometry) and on the editor
// click thread (clicks, see editor_clicks.h).
#pragma once

#include <atomic>
#include <cstdint>

constexpr int EDITOR_CLICK_POINT_COUNT = 218;

// What the bridge knows of the editor: one record, owned by this module and
// reset by resetEditorState. The values are atomic because the start-up,
// surface, refresh and spill threads all read them; the compound updates are
// serialised inside the module. The click points are written by start-up
// before startupComplete is set and only read after.
struct EditorState {
    std::atomic<int> editorFound{0};        // 1 once an editor window was found
    std::atomic<int> editorKind{0};         // 0 none, 1 X32-Edit, 2 M32-Edit
    std::atomic<uint64_t> editorWindow{0};  // backend handle, valid while editorFound is 1
    std::atomic<int> editorOffsetX{0};
    std::atomic<int> editorOffsetY{0};
    std::atomic<double> editorScaleX{1.0};
    std::atomic<double> editorScaleY{1.0};
    std::atomic<int> editorRight{0};
    std::atomic<int> editorBottom{0};
    std::atomic<int> editorPanelOffset{0};
    std::atomic<int> editorPanelLeft{0};
    int editorClickPoints[EDITOR_CLICK_POINT_COUNT][2]{};
    // The result of the last findWindowByTitle.
    std::atomic<uint64_t> foundWindow{0};
    std::atomic<int> foundWindowValid{0};
    // 1 while the editor owes clicks: one was asked for while no editor
    // window was known, the window closed, or a click was not made because
    // the editor could not take it (minimised, hidden, empty, still moving,
    // its point off the window or off every screen). Cleared when the catch-up
    // that brings the editor to the surface's bank and page starts.
    std::atomic<int> editorClickMissed{0};
    // 0 with --no-editor: the editor is never looked for nor caught up.
    std::atomic<int> editorFollowed{1};
};
extern EditorState editorState;

inline std::atomic<int>& editorFound = editorState.editorFound;
inline std::atomic<int>& editorKind = editorState.editorKind;
inline std::atomic<uint64_t>& editorWindow = editorState.editorWindow;
inline std::atomic<int>& editorOffsetX = editorState.editorOffsetX;
inline std::atomic<int>& editorOffsetY = editorState.editorOffsetY;
inline std::atomic<double>& editorScaleX = editorState.editorScaleX;
inline std::atomic<double>& editorScaleY = editorState.editorScaleY;
inline std::atomic<int>& editorRight = editorState.editorRight;
inline std::atomic<int>& editorBottom = editorState.editorBottom;
inline std::atomic<int>& editorPanelOffset = editorState.editorPanelOffset;
inline std::atomic<int>& editorPanelLeft = editorState.editorPanelLeft;
inline int (&editorClickPoints)[EDITOR_CLICK_POINT_COUNT][2] = editorState.editorClickPoints;
inline std::atomic<uint64_t>& foundWindow = editorState.foundWindow;
inline std::atomic<int>& foundWindowValid = editorState.foundWindowValid;
inline std::atomic<int>& editorClickMissed = editorState.editorClickMissed;
inline std::atomic<int>& editorFollowed = editorState.editorFollowed;

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

// Re-reads the editor window's rectangle and derives offsets, scales and the
// panel position from it. A window that no longer exists is forgotten:
// editorFound goes back to 0 (the dispatcher searches again) and the
// geometry to its start values, so nothing is clicked.
void updateEditorGeometry();
// The editor window is found, visible, not minimised and not empty.
bool editorCanTakeClicks();

enum class EditorReadiness { NotFound, CannotTakeClicks, Settling, Ready };
// Reads the editor's window now and says whether a click can be made:
// Settling until it has stayed in one state - one rectangle, shown, no move
// reported - for the settle time (a window manager animating it, a drag);
// a window that was hidden or minimised holds still again once shown.
EditorReadiness checkEditorReadiness();
// A click is owed: the window as last read is kept, so that the catch-up is
// tried again only once it differs (editorChangedSinceOwed). A window still
// moving when the wait gave up is changing: the next action tries again.
void noteEditorClickOwed(bool windowAtRest = true);
// Reads the editor's window now (a closed one is forgotten): true when it
// differs from the window as it was when the click was owed, or that is
// not known.
bool editorChangedSinceOwed();
// True when (x, y) lies on one of the desktop's screens.
bool screenPointOnAScreen(int x, int y);

// The clicks below are made at once: only the editor click thread (see
// editor_clicks.h, the path every other click takes) and tests call them.
// Made: pressed, or left out on purpose. Owed: not pressed, the click is
// owed. Moved: not pressed because the window is no longer where the last
// read found it; the settle wait starts again.
enum class ClickResult { Made, Owed, Moved };
// Clicks design point (x, y), shifted right by panelOffset screen pixels, at
// the point the last read of the window gives, and only while the window is
// still in that state. Owed when the point falls outside the window or off
// every screen, the window is gone or it cannot take a click.
ClickResult clickEditor(int x, int y, int panelOffset);
bool isLeftOfPanel(int x);
// Entries from 200 on are panel points (unguarded); below 200 main-area
// points, clicked only when isLeftOfPanel holds. Unknown entries are ignored.
ClickResult clickEditorPointNow(int entry);
// A point beside the window (the DCA group row), moved to twice, then
// pressed only while the window is still as last read; not clipped.
ClickResult clickBesideEditor(int x, int y);

// Brings the editor to the front.
void focusEditorWindow();

// For the DCA spill step: the editor window's rectangle read again now, and
// the left and bottom edges of the monitor that holds it (0, 0 when none).
// A failed read leaves its system error code with the desktop backend.
bool editorWindowRect(int& left, int& top, int& right, int& bottom);
void editorMonitorEdges(int& monitorLeft, int& monitorBottom);
// Brings a window found by findWindowByTitle to the front and sends it
// key-down and key-up of function key F1..F8 (fkey 1..8).
void sendFunctionKey(uint64_t window, int fkey);

// Back to "no editor", scales 1.0, offsets 0.
void resetEditorState();
