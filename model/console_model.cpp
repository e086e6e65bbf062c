#include "model/console_model.h"

#include <cstring>

ConsoleModel consoleModel;
std::mutex modelMutex;
LinkState linkState;

void countReply()
{
    std::lock_guard<std::mutex> lock(modelMutex);
    ++replyCounter;
}


int sendAtPosition(int strip, int bank, int e)
{
    if (e < 1 || e > 8) return 0;
    int count = sendCountOf(strip);
    // Sixteen sends take two banks of eight; six fit on the first.
    if (count > 8) return bank == 0 ? e : e + 8;
    return e <= count ? e : 0;
}

void storeStripName(StripRecord& strip, const char* text, int length)
{
    char name[8] = {};
    for (int i = 0; i < 7 && (length < 0 || i < length) && text[i] != '\0'; ++i) name[i] = text[i];
    uint64_t bits = 0;
    std::memcpy(&bits, name, sizeof bits);
    strip.name.bits = bits;
}

void copyStripName(const StripRecord& strip, char (&out)[8])
{
    uint64_t bits = strip.name.bits;
    std::memcpy(out, &bits, sizeof out);
    out[7] = '\0';
}

namespace {
void clearEq(EqBand& band)
{
    band.type = 0;
    band.f = 0;
    band.g = 0;
    band.q = 0;
}
}  // namespace

// Field by field: the OSC receive thread may read the strip meanwhile.
void resetStrip(int strip)
{
    if (!isValidStrip(strip)) return;
    StripRecord& r = strips[strip];
    r.fader = 0;
    r.pan = 0;
    r.mute = 0;
    r.name.bits = 0;
    r.color = 0;
    r.colorInverted = 0;
    r.solo = 0;
    r.hpOn = 0;
    r.hpf = 0;
    r.eqOn = 0;
    r.eqBandCount = eqBandCountFor(strip);
    for (EqBand& band : r.eq) clearEq(band);
    r.gateOn = 0;
    r.gateMode = 0;
    r.gateThr = 0;
    r.gateRange = 0;
    r.gateAttack = 0;
    r.gateHold = 0;
    r.gateRelease = 0;
    r.gateKeySrc = 0;
    r.gateFilterOn = 0;
    r.gateFilterType = 0;
    r.gateFilterF = 0;
    r.dynOn = 0;
    r.dynMode = 0;
    r.dynDet = 0;
    r.dynEnv = 0;
    r.dynThr = 0;
    r.dynRatio = 0;
    r.dynKnee = 0;
    r.dynMGain = 0;
    r.dynAttack = 0;
    r.dynHold = 0;
    r.dynRelease = 0;
    r.dynMix = 0;
    r.dynKeySrc = 0;
    r.dynFilterOn = 0;
    r.dynFilterType = 0;
    r.dynFilterF = 0;
    for (auto& group : r.muteGroups) group = 0;
    for (auto& group : r.dcaGroups) group = 0;
    r.invert = 0;
    r.link = 0;
    r.haIndex = -1;
    r.trim = 0;
    r.source = 0;
    r.delayOn = 0;
    r.delayTime = 0;
    r.insertOn = 0;
    r.insertPos = 0;
    r.insertSel = 0;
    for (SendState& send : r.sends) {
        send.on = 0;
        send.level = 0;
    }
    r.mono = 0;
    r.monoLevel = 0;
    r.stereo = 0;
    r.automixGroup = 0;
    r.automixWeight = 0;
    r.meter = 0.0f;
}
static_assert(sizeof(StripRecord) == 888, "a field added to StripRecord needs its start value in resetStrip");

void resetHeadamp(HeadampRecord& headamp)
{
    headamp.gain = 0;
    headamp.phantom = 0;
}

void resetConsoleModel()
{
    ConsoleModel& m = consoleModel;
    for (int s = 0; s < STRIP_COUNT; ++s) resetStrip(s);
    for (HeadampRecord& headamp : m.headamps) resetHeadamp(headamp);
    for (FxSlot& slot : m.fxSlots) {
        slot.type = -1;
        slot.paramPage = 1;
        slot.editorPageGroup = 1;
        for (auto& par : slot.par) par = 0;
    }
    for (auto& row : m.routingBlocks) {
        for (auto& block : row) block = 0;
    }
    for (auto& input : m.userRouting) input = 0;
    for (auto& on : m.muteGroupOn) on = 0;
    m.routSwitch = 0;
    m.automixEnableX = 0;
    m.automixEnableY = 0;
    m.keySolo = 0;
    m.consoleLock = 0;
    m.selectedStrip = 0;
}

void resetLinkState()
{
    {
        std::lock_guard<std::mutex> lock(modelMutex);
        linkState.replyCounter = 0;
    }
    linkState.startupComplete = 0;
}

void resetModelState()
{
    resetConsoleModel();
    resetSurfaceDevice();
    resetLinkState();
}
