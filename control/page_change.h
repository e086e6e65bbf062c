// Changing the page the surface shows. Runs on the surface receive thread
// (and on the entry thread at start-up).
#pragma once

#include "display/surface_change.h"

// Shows surface page 0..34: the editor is clicked to the page's views when
// the page differs from the one shown; the refresh that follows sends the
// page's lamps.
SurfaceChange changeSurfacePage(int page);
