#include "display/encoder_rings.h"

#include "display/formatters.h"
#include "fxdefs/fx_files.h"
#include "model/console_model.h"
#include "surface/output_queue.h"

// An even entry k lights dot k / 2, an odd one the two dots beside it.
const int ringDotPattern[26][2] = {
    {1, 0},   {3, 0},   {2, 0},  {6, 0},  {4, 0},  {12, 0}, {8, 0},
    {24, 0},  {16, 0},  {48, 0}, {32, 0}, {96, 0}, {64, 0}, {64, 1},
    {0, 1},   {0, 3},   {0, 2},  {0, 6},  {0, 4},  {0, 12}, {0, 8},
    {0, 24},  {0, 16},  {0, 48}, {0, 32}, {0, 96},
};

int ringPatternIndex(double value)
{
    if (!(value > 0.0)) return 0;
    double k = value / 0.04;
    return k >= 25.0 ? 25 : static_cast<int>(k);
}

namespace {

constexpr RingValue DARK{false, 0.0};

RingValue level(double v) { return {true, v}; }

// A choice low..high spread over the ring's travel.
RingValue choice(int v, int low, int high)
{
    if (high <= low) return DARK;
    if (v < low) v = low;
    if (v > high) v = high;
    return {true, static_cast<double>(v - low) / (high - low)};
}

bool pushed(int encoder) { return encoderPushed[encoder - 1] != 0; }

// The selected strip's record, or nullptr when the selection is not a strip.
const StripRecord* selected(int& s)
{
    s = selectedStrip;
    return isValidStrip(s) ? &strips[s] : nullptr;
}

// The pan of the strip below; matrices, the mono main, DCAs and blank
// positions have none.
RingValue homeRing(int, int encoder)
{
    int s = bankStrips[encoder - 1];
    return hasPan(s) ? level(strips[s].pan) : DARK;
}

RingValue eqRing(int, int encoder)
{
    int s;
    const StripRecord* r = selected(s);
    if (!r) return DARK;
    if (encoder == 3 && hasLowCutAndDelay(s)) return level(r->hpf);
    int b = eqBandOnEncoder(s, encoder);
    if (b == 0) return DARK;
    const EqBand& band = r->eq[b];
    if (eqEncoderLayer == 1) return pushed(encoder) ? choice(band.type, 0, highestEqBandType(s)) : level(band.q);
    return level(pushed(encoder) ? band.f : band.g);
}

// Encoder 1 held picks the effect type, encoder 2 the parameter page,
// encoders 3-8 the parameters the description places on that page.
RingValue fxRing(int page, int encoder)
{
    int unit = fxSlotOfPage(page) - 1;
    const FxSlot& fx = fxSlots[unit + 1];
    if (fx.type < 0) return DARK;
    if (encoder == 1) {
        int highest = (unit <= 3 ? FX_TYPES_1TO4 : FX_TYPES_5TO8) - 1;
        return encoderPushed[0] == 127 ? choice(fx.type, 0, highest) : DARK;
    }
    const FxDescription* d = fxDescriptionFor(unit, fx.type);
    if (!d) return DARK;
    if (encoder == 2) return choice(fx.paramPage, 1, d->pageCount);
    int q = findFxParameter(unit, fx.paramPage, encoder - 2);
    double bound = 0.0;
    if (q < 0 || q >= d->paramCount || q >= FX_PARAM_COUNT || !fxParameterBound(d->params[q], bound)) return DARK;
    return bound > 0.0 ? level(fx.par[q + 1] / bound) : DARK;
}

RingValue preampRing(int, int encoder)
{
    int s;
    const StripRecord* r = selected(s);
    if (!r) return DARK;
    switch (encoder) {
    case 2: {
        if (!canHaveHeadamp(s)) return DARK;
        if (pushed(2)) return choice(r->source, 0, HIGHEST_SOURCE);
        int h = preampHeadamp(s);
        return level(h >= 0 ? headamps[h].gain : r->trim);
    }
    case 6: return hasLowCutAndDelay(s) ? level(r->hpf) : DARK;
    case 7: return hasLowCutAndDelay(s) ? level(r->delayTime) : DARK;
    case 8: return hasInsert(s) ? choice(r->insertSel, 0, HIGHEST_INSERT_SLOT) : DARK;
    default: return DARK;
    }
}

RingValue stripSendsRing(int page, int encoder)
{
    int s;
    const StripRecord* r = selected(s);
    int m = r ? sendAtPosition(s, sendsBankOfPage(page), encoder) : 0;
    return m >= 1 && m <= 16 ? level(r->sends[m].level) : DARK;
}

RingValue assignRing(int, int encoder)
{
    int s;
    const StripRecord* r = selected(s);
    switch (encoder) {
    case 2: return r && hasPan(s) ? level(r->pan) : DARK;
    case 3: return r && hasMonoSend(s) ? level(r->monoLevel) : DARK;
    case 5: return r && hasAutomix(s) ? level(r->automixWeight) : DARK;
    case 7: return choice(chosenDcaGroup, 0, 7);
    case 8: return choice(chosenMuteGroup, 0, 5);
    default: return DARK;
    }
}

RingValue gateRing(int, int encoder)
{
    int s;
    const StripRecord* r = selected(s);
    if (!r || !hasGate(s)) return DARK;
    switch (encoder) {
    case 2: return level(r->gateThr);
    case 3: return level(r->gateRange);
    case 4: return level(r->gateAttack);
    case 5: return level(r->gateHold);
    case 6: return level(r->gateRelease);
    case 7:
        return pushed(7) ? choice(r->gateKeySrc, 0, HIGHEST_KEY_SOURCE)
                         : choice(r->gateFilterType, 0, HIGHEST_FILTER_TYPE);
    case 8: return level(r->gateFilterF);
    default: return DARK;
    }
}

RingValue dynamicsRing(int, int encoder)
{
    int s;
    const StripRecord* r = selected(s);
    if (!r || !hasDynamics(s)) return DARK;
    switch (encoder) {
    case 2: return pushed(2) ? choice(r->dynRatio, 0, HIGHEST_RATIO) : level(r->dynThr);
    case 3: return level(pushed(3) ? r->dynMGain : r->dynMix);
    case 4: return level(r->dynAttack);
    case 5: return level(r->dynHold);
    case 6: return level(r->dynRelease);
    case 7:
        if (!pushed(7)) return choice(r->dynFilterType, 0, HIGHEST_FILTER_TYPE);
        return hasDynamicsKeySource(s) ? choice(r->dynKeySrc, 0, HIGHEST_KEY_SOURCE) : DARK;
    case 8: return level(r->dynFilterF);
    default: return DARK;
    }
}

// Which rule each page's rings follow; pages not listed (the unused pages
// and the send and mono fader pages) have no encoder that edits anything.
struct PageRings {
    int firstPage;
    int lastPage;
    RingValue (*ringOf)(int page, int encoder);
};
constexpr PageRings pageRings[] = {
    {PAGE_HOME, PAGE_HOME, homeRing},
    {PAGE_EQ, PAGE_EQ, eqRing},
    {PAGE_FX_1, PAGE_FX_4, fxRing},
    {PAGE_FX_5, PAGE_FX_8, fxRing},
    {PAGE_PREAMP, PAGE_PREAMP, preampRing},
    {PAGE_SENDS_1_TO_8, PAGE_SENDS_9_TO_16, stripSendsRing},
    {PAGE_ASSIGN, PAGE_ASSIGN, assignRing},
    {PAGE_GATE, PAGE_GATE, gateRing},
    {PAGE_DYNAMICS, PAGE_DYNAMICS, dynamicsRing},
};

}  // namespace

RingValue encoderRingValue(int page, int position)
{
    if (position < 0 || position > 7) return DARK;
    for (const PageRings& entry : pageRings) {
        if (page >= entry.firstPage && page <= entry.lastPage) return entry.ringOf(page, position + 1);
    }
    return DARK;
}

void showEncoderRing(int page, int position)
{
    RingValue ring = encoderRingValue(page, position);
    if (!ring.lit) {
        queueEncoderRing(position, 0, 0);
        return;
    }
    const int* pair = ringDotPattern[ringPatternIndex(ring.value)];
    queueEncoderRing(position, pair[0], pair[1]);
}
