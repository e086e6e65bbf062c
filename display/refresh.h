// Bringing the surface in line with the model. Runs on whichever thread
// caused the change; refreshes never overlap (one asked for during another
// is merged into it). Must not be called while the caller holds queueMutex.
#pragma once

#include "display/surface_change.h"
// lastShownPage lives in the surface record (model/surface_device.h).
#include "model/surface_device.h"

// The whole surface for the page shown. Does nothing while
// surfaceRefreshEnabled is below 1.
void refreshSurface();
// Everything again, caches forgotten, for a surface that lost its state;
// no editor clicks.
void redrawWholeSurface();
// The eight channel faders and the master fader only.
void refreshMotorFaders();
// What a handler returned, shown once: a lost surface redrawn whole, a
// changed surface or page refreshed, or only the motor faders driven.
void showSurfaceChange(SurfaceChange change);
// Banks 8..15 from the DCA memberships: DCA d's members in strip order from
// slot 1 of bank 8 + d, their number in bankCount[8 + d].
void rebuildDcaBanks();

void resetRefreshState();
