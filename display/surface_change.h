// What a handler changed that the surface shows. Handlers (console replies,
// surface controls) change the model and return this; the loop that
// received the datagram shows it once, afterwards (showSurfaceChange).
#pragma once

enum SurfaceChange : unsigned {
    NOTHING_CHANGED = 0,
    // Only the nine motor faders.
    FADERS_CHANGED = 1u << 0,
    // Anything the refresh composes: lamps, rings, faders, displays.
    SURFACE_CHANGED = 1u << 1,
    // The page shown; the refresh sends the new page's entry block.
    PAGE_CHANGED = 1u << 2,
    // The surface restarted and shows nothing: every cache is forgotten and
    // everything is sent again.
    SURFACE_LOST = 1u << 3,
};

constexpr SurfaceChange operator|(SurfaceChange a, SurfaceChange b)
{
    return static_cast<SurfaceChange>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}

constexpr SurfaceChange& operator|=(SurfaceChange& a, SurfaceChange b) { return a = a | b; }
