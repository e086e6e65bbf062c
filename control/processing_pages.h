// The pages that edit the selected strip (EQ 1, pre-amp 28, sends on encoders
// 29 and 30, assignment 31, gate 32, dynamics 33) and the top rows of the
// send and mono fader pages (8-23, 34). Every handler runs on the surface
// receive thread and writes the model without modelMutex; each control
// writes the one console field it changes, and nothing when it changes nothing.
// Encoder handlers take the controller (16..23) and the raw relative value;
// the surface shows every turn anew. Button handlers return what changed.
#pragma once

#include "display/surface_change.h"
// The EQ page's encoder layer, eqEncoderLayer, lives in the model.
#include "model/console_model.h"

void eqEncoder(int controller, int value);
SurfaceChange eqTopButton(int note);

void preampEncoder(int controller, int value);
SurfaceChange preampTopButton(int note);
// Encoder 8 pushed on the pre-amp page: insert position toggled.
SurfaceChange preampInsertPosPush();

// bank 0: page 29 (buses 1-8), 1: page 30 (buses 9-16).
void sendsEncoder(int bank, int controller, int value);
SurfaceChange sendsTopButton(int bank, int note);
// Top row of pages 8-23 (send on) and 34 (mono on) for bankStrips[note].
SurfaceChange faderPageTopButton(int page, int note);

void assignEncoder(int controller, int value);
SurfaceChange assignTopButton(int note);
// Encoder 2 pushed on the assignment page: pan centred.
SurfaceChange assignPanCentrePush();

void gateEncoder(int controller, int value);
SurfaceChange gateTopButton(int note);

void dynamicsEncoder(int controller, int value);
SurfaceChange dynamicsTopButton(int note);

// eqEncoderLayer back to 0.
void resetProcessingPages();
