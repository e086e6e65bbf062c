// Bringing the surface in line with the model. Runs on whichever thread
// caused the change; refreshes never overlap (one asked for during another
// is merged into it). Must not be called while the caller holds queueMutex.
#pragma once

// lastShownPage lives in the surface record (model/surface_device.h).
#include "model/surface_device.h"

// The whole surface for the page shown; the argument does not change what
// is sent. Does nothing while surfaceRefreshEnabled is below 1.
void refreshSurface(int strip);
// Everything again, caches forgotten, for a surface that lost its state;
// no editor clicks.
void redrawWholeSurface();
// The eight channel faders and the master fader only.
void refreshMotorFaders();
// Banks 8..15 from the DCA memberships: DCA d's members in strip order from
// slot 1 of bank 8 + d, their number in bankCount[8 + d].
void rebuildDcaBanks();

void resetRefreshState();
