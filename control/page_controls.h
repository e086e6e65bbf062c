// The channel-processing pages and effects editing, as the surface
// dispatcher reaches them. All run on the surface receive thread.
#pragma once

#include "display/surface_change.h"

// Encoder k (0..7) turned by the raw relative value on pages 1, 2-5, 24-27,
// 28-33; the surface shows every turn anew. The other handlers return what
// their page shows anew.
void handlePageEncoder(int page, int k, int value);
// Top-row button (note 0..7 pressed) on pages 1, 2-5, 8-23, 24-34.
SurfaceChange handlePageTopButton(int page, int note);
// Encoder push pressed (note 32..39, velocity 127) on pages 28 and 31.
SurfaceChange handlePageEncoderPush(int page, int note);
// Effects slot page buttons (notes 70-73, 80-83, pressed).
SurfaceChange handleFxSlotButton(int note);
// Automix enable buttons: which 0 = X (note 89), 1 = Y (note 90).
SurfaceChange toggleAutomixEnable(int which);
// A fader on a send page: strip's send 1..16 (buses for channels, aux
// inputs and effects returns, matrices 1-6 for buses and mains) to level,
// written when it changed. False for a send the strip does not have.
bool editSendLevel(int strip, int send, double level);
