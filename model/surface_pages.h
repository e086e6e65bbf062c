// The pages the bridge gives the surface. surfacePage holds one of these as
// a plain int; page ids index the page table, so they never change.
#pragma once

enum SurfacePageId : int {
    PAGE_HOME = 0,
    PAGE_EQ = 1,
    PAGE_FX_1 = 2,                  // effects units 1-4 on pages 2-5
    PAGE_FX_4 = 5,
    PAGE_UNUSED = 6,                // 6 and 7 show nothing
    PAGE_SEND_FADERS_BUS_1 = 8,     // faders on the sends to bus 1-16 on pages 8-23
    PAGE_SEND_FADERS_BUS_16 = 23,
    PAGE_FX_5 = 24,                 // effects units 5-8 on pages 24-27
    PAGE_FX_8 = 27,
    PAGE_PREAMP = 28,
    PAGE_SENDS_1_TO_8 = 29,         // encoders on the selected strip's sends
    PAGE_SENDS_9_TO_16 = 30,
    PAGE_ASSIGN = 31,
    PAGE_GATE = 32,
    PAGE_DYNAMICS = 33,
    PAGE_MONO_FADERS = 34,
    PAGE_LAST = PAGE_MONO_FADERS,
};

constexpr bool isPageInRange(int page, int first, int last) { return page >= first && page <= last; }

constexpr bool isSendFaderPage(int page)
{
    return isPageInRange(page, PAGE_SEND_FADERS_BUS_1, PAGE_SEND_FADERS_BUS_16);
}
// Bus 1..16 of a send fader page.
constexpr int busOfSendFaderPage(int page) { return page - PAGE_SEND_FADERS_BUS_1 + 1; }
constexpr int sendFaderPageOfBus(int bus) { return PAGE_SEND_FADERS_BUS_1 + bus - 1; }

// Effects unit 1..8 a page edits, 0 for any other page.
constexpr int fxSlotOfPage(int page)
{
    if (isPageInRange(page, PAGE_FX_1, PAGE_FX_4)) return page - PAGE_FX_1 + 1;
    if (isPageInRange(page, PAGE_FX_5, PAGE_FX_8)) return page - PAGE_FX_5 + 5;
    return 0;
}
constexpr bool isFxPage(int page) { return fxSlotOfPage(page) != 0; }
constexpr int fxPageOfSlot(int slot) { return slot <= 4 ? PAGE_FX_1 + slot - 1 : PAGE_FX_5 + slot - 5; }

// The bank of eight sends (0: 1-8, 1: 9-16) the sends-on-encoders page shows.
constexpr int sendsBankOfPage(int page) { return page == PAGE_SENDS_1_TO_8 ? 0 : 1; }
