// The one ordered path of every click and key into the editor and its
// effects windows. The surface thread only queues; one click thread makes
// them in order, waits where a click must follow the one before it after a
// pause, and reads the window afresh right before each press: the press
// goes where the window is at that moment, and is not made when the window
// moved since it was found at rest. A window that is moving (a window
// manager animating a restore, a drag) is waited for, up to a second. A
// click that cannot be made - no editor window yet, a window closed,
// minimised, hidden, empty or still moving, a point off the window or off
// every screen - is owed: the editor is brought back to the surface's bank
// and page at the next surface action after it appears, its window changes,
// or the operator changes bank or page; never twice for one action.
#pragma once

#include <cstdint>

// Editor layout entry (editorClickPoints): entries from 200 on are panel
// points, below 200 main-area points clicked only left of the panel.
// With clicks owed or no editor window known, the catch-up is made instead.
void clickEditorPoint(int entry);
// The editor views of surface page 0..34, clicked as the page is entered.
void clickEditorPageEntry(int page);
// The editor's button of user bank 0..7, or for 8 its DCA button.
void clickEditorBank(int bank);
// The DCA button, then 100 ms after it the button of DCA group 0..7.
void clickEditorDcaGroup(int group);
// The page-group button of effects slot 1..8's window, clicks times, with
// that window brought to the front first.
void clickFxPageButton(uint64_t window, int slot, int clicks);
// Brings a window (an effects window) to the front, in turn with the clicks.
void focusWindowInTurn(uint64_t window);
// Key-down and key-up of F1..F8 (fkey 1..8) to the editor, which is brought
// to the front first.
void sendEditorFunctionKey(int fkey);

// Called for every surface action, on the surface receive thread, and costs
// it no desktop call: the click thread reads the editor's window (or looks
// for one) and, when clicks are owed and the editor was just found or its
// window changed since they were owed, clicks the surface's current bank (or
// DCA group) and then its page.
void resyncEditorAfterMissedClicks();

// The surface 0..MAX_SURFACES-1 the editor follows (surface 1 unless
// --editor-follows says otherwise); set before the threads start. Clicks
// asked for while another surface is served are not made: only one surface
// leads the editor.
void setEditorSurface(int surface);
int editorSurface();

// The click thread; started by the bridge, or by the first click queued.
void startEditorClicks();
// Drops what is not made yet and ends the click thread.
void stopEditorClicks();
// Blocks until every queued click has been made or dropped (tests); false,
// with a line on stderr, when they are still waiting after 10 s.
[[nodiscard]] bool waitForEditorClicks();

// No clicks pending, no thread, nothing missed.
void resetEditorClicks();
