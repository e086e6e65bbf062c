// The surface pages as data: the lamp that marks each page, the editor
// views clicked when it is entered, and the rule that fills row A (notes
// 0..7). Read by the refresh on whichever thread refreshes the surface.
#pragma once

#include <cstdint>

#include "model/surface_pages.h"

constexpr int SURFACE_PAGE_COUNT = PAGE_LAST + 1;

struct SurfacePageEntry {
    int hasEntryBlock;       // 0: unused page, no page-entry block at all
    uint8_t lampNote;        // the page's own lamp
    uint8_t lampVelocity;    // 127, or 1 (blinking) for page 29
    int clickCount;          // editorClickPoints entries clicked on entry
    int clicks[2];
    void (*showRowA)(int page);  // queues the row-A lamps the page owns
};

extern const SurfacePageEntry surfacePages[SURFACE_PAGE_COUNT];

// The entry of a page; a page outside 0..34 gets the unused-page entry.
const SurfacePageEntry& surfacePageEntry(int page);
