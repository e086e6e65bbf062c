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

void sendStripSend(int strip, int k)
{
    if (k >= 0 && k < sendCountOf(strip)) {
        const SendState& send = strips[strip].sends[k + 1];
        char suffix[32];
        formatText(suffix, sizeof suffix, "/mix/%02d/level", k + 1);
        sendStripFloat(strip, suffix, send.level);
        formatText(suffix, sizeof suffix, "/mix/%02d/on", k + 1);
        sendStripInt(strip, suffix, send.on, 0, 1);
    } else if (k == 16 && hasMonoSend(strip)) {
        sendStripFloat(strip, "/mix/mlevel", strips[strip].monoLevel);
        sendStripInt(strip, "/mix/mono", strips[strip].mono, 0, 1);
    }
}

void sendsEncoder(int bank, int controller, int value)
{
    int s = selectedStrip;
    int m = sendAtPosition(s, bank, controller - 15);
    if (m < 1 || m > 16 || controller < 16 || controller > 23) return;
    SendState& send = strips[s].sends[m];
    send.level = stepUnit(send.level, value, SEND_LEVEL_STEP);
    sendStripSend(s, m - 1);
}

SurfaceChange sendsTopButton(int bank, int note)
{
    int s = selectedStrip;
    int m = note >= 0 && note <= 7 ? sendAtPosition(s, bank, note + 1) : 0;
    if (m >= 1 && m <= 16) {
        strips[s].sends[m].on = toggledFlag(strips[s].sends[m].on);
        sendStripSend(s, m - 1);
    }
    return SURFACE_CHANGED;
}

SurfaceChange faderPageTopButton(int page, int note)
{
    if (note < 0 || note > 7) return NOTHING_CHANGED;
    int s = bankStrips[note];
    // Only the strips whose faders the page turns into send or mono faders.
    if (isSendFaderPage(page) && sendsToBuses(s)) {
        SendState& send = strips[s].sends[busOfSendFaderPage(page)];
        send.on = toggledFlag(send.on);
        sendStripSend(s, busOfSendFaderPage(page) - 1);
    } else if (page == PAGE_MONO_FADERS && hasMonoSend(s)) {
        strips[s].mono = toggledFlag(strips[s].mono);
        sendStripSend(s, 16);
    } else {
        return NOTHING_CHANGED;
    }
    return SURFACE_CHANGED;
}
