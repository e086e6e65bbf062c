// Effects editing: the effects pages 2-5 (slots 1-4) and 24-27 (slots 5-8).
// Encoder 1 held chooses the slot's effect type, encoder 2 the parameter page,
// encoders 3-8 edit the parameters that the slot's effect description places
// on that page; the editor's effect window is kept on the matching group.
// Runs on the surface receive thread; writes fxSlots without modelMutex and
// blocks for as long as the editor clicks take.
#pragma once

#include "display/surface_change.h"
#include "model/surface_pages.h"

// Highest effect type the slot (1..8) accepts: 60 for slots 1-4, 33 for 5-8.
int fxTypeLimit(int slot);

// Slot 1..8, controller 16..23, raw relative value. The surface shows every
// turn anew.
void fxEncoder(int slot, int controller, int value);
// "/fx/%d/type" i; nothing for a slot or type out of range.
void sendFxType(int slot, int type);
// Clicks the editor's "FX n" window to the page group of the slot's paramPage.
void syncEditorFxPage(int slot);
// Slot buttons (notes 70-73, 80-83): page change, the editor's "FX n"
// window to the front.
SurfaceChange showFxSlot(int note);
// Top-row button 0 on an effects page: the editor's main window gets the
// slot's function key (F1..F8).
void openFxSlotInEditor(int page);
// The slot an effects page edits is fxSlotOfPage (model/surface_pages.h).
