// Sends of the selected strip on the encoders (pages 29 and 30), the top rows
// of the send and mono fader pages (8-23, 34), and the one send sender.
#include "control/page_controls.h"
#include "control/processing_pages.h"

#include "control/processing_pages_steps.h"
#include "model/console_model.h"
#include "platform/console_output.h"

namespace {
constexpr double SEND_LEVEL_STEP = 0.00635;
} // namespace

bool editSendLevel(int strip, int send, double level)
{
    if (send < 1 || send > sendCountOf(strip)) return false;
    char suffix[32];
    formatText(suffix, sizeof suffix, "/mix/%02d/level", send);
    return editStripFloat(strip, suffix, strips[strip].sends[send].level, level);
}

namespace {
bool toggleSendOn(int strip, int send)
{
    if (send < 1 || send > sendCountOf(strip)) return false;
    char suffix[32];
    formatText(suffix, sizeof suffix, "/mix/%02d/on", send);
    Relaxed<int>& on = strips[strip].sends[send].on;
    return editStripInt(strip, suffix, on, toggledFlag(on), 0, 1);
}
} // namespace

void sendsEncoder(int bank, int controller, int value)
{
    int s = selectedStrip;
    int m = sendAtPosition(s, bank, controller - 15);
    if (m < 1 || m > 16 || controller < 16 || controller > 23) return;
    editSendLevel(s, m, stepUnit(strips[s].sends[m].level, value, SEND_LEVEL_STEP));
}

SurfaceChange sendsTopButton(int bank, int note)
{
    int s = selectedStrip;
    int m = note >= 0 && note <= 7 ? sendAtPosition(s, bank, note + 1) : 0;
    return m >= 1 && m <= 16 && toggleSendOn(s, m) ? SURFACE_CHANGED : NOTHING_CHANGED;
}

SurfaceChange faderPageTopButton(int page, int note)
{
    if (note < 0 || note > 7) return NOTHING_CHANGED;
    int s = bankStrips[note];
    // Only the strips whose faders the page turns into send or mono faders.
    bool changed = false;
    if (isSendFaderPage(page) && sendsToBuses(s)) changed = toggleSendOn(s, busOfSendFaderPage(page));
    else if (page == PAGE_MONO_FADERS && hasMonoSend(s))
        changed = editStripInt(s, "/mix/mono", strips[s].mono, toggledFlag(strips[s].mono), 0, 1);
    return changed ? SURFACE_CHANGED : NOTHING_CHANGED;
}
