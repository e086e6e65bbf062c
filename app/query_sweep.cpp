#include <cstdio>
#include <initializer_list>

#include "app/query_sweep.h"
#include "model/console_model.h"

namespace {

// Solo switches 01..80: one per strip, DCAs included.
constexpr int STRIP_SOLO_COUNT = STRIP_COUNT;

// Formats one address and asks it.
template <typename... Args>
void ask(const char* format, Args... args)
{
    char address[96];
    std::snprintf(address, sizeof address, format, args...);
    queryAndWait(address);
}

// Asks root + each suffix in turn ("/ch/01" + "/mix/on", ...).
void askAll(const char* root, const char* const* suffixes, int count)
{
    for (int i = 0; i < count; ++i) ask("%s%s", root, suffixes[i]);
}

template <int N>
void askAll(const char* root, const char* const (&suffixes)[N])
{
    askAll(root, suffixes, N);
}

void askSends(const char* root, int count)
{
    for (int s = 1; s <= count; ++s) {
        ask("%s/mix/%02d/on", root, s);
        ask("%s/mix/%02d/level", root, s);
    }
}

void askEqBands(const char* root, int count)
{
    for (int b = 1; b <= count; ++b) {
        ask("%s/eq/%d/type", root, b);
        ask("%s/eq/%d/f", root, b);
        ask("%s/eq/%d/g", root, b);
        ask("%s/eq/%d/q", root, b);
    }
}

constexpr const char* channelGate[] = {"/gate/on", "/gate/thr", "/gate/range", "/gate/attack",
                                       "/gate/hold", "/gate/release", "/gate/keysrc", "/gate/mode",
                                       "/gate/filter/f", "/gate/filter/on", "/gate/filter/type"};
constexpr const char* channelDyn[] = {"/dyn/on", "/dyn/mode", "/dyn/det", "/dyn/env", "/dyn/knee",
                                      "/dyn/thr", "/dyn/mix", "/dyn/keysrc", "/dyn/attack",
                                      "/dyn/hold", "/dyn/release", "/dyn/ratio", "/dyn/mgain",
                                      "/dyn/filter/on", "/dyn/filter/type", "/dyn/filter/f"};
constexpr const char* busDyn[] = {"/dyn/on", "/dyn/mode", "/dyn/det", "/dyn/env", "/dyn/knee",
                                  "/dyn/thr", "/dyn/mgain", "/dyn/mix", "/dyn/keysrc",
                                  "/dyn/attack", "/dyn/hold", "/dyn/release", "/dyn/ratio",
                                  "/dyn/filter/on", "/dyn/filter/f", "/dyn/filter/type"};
// Matrices and mains have no key source.
constexpr const char* matrixDyn[] = {"/dyn/on", "/dyn/mode", "/dyn/det", "/dyn/env", "/dyn/knee",
                                     "/dyn/thr", "/dyn/mix", "/dyn/attack", "/dyn/hold",
                                     "/dyn/release", "/dyn/ratio", "/dyn/mgain",
                                     "/dyn/filter/on", "/dyn/filter/f", "/dyn/filter/type"};

void queryChannel(int strip)
{
    char root[24];
    formatStripRoot(root, sizeof root, strip);
    if (hasAutomix(strip)) {
        ask("%s/automix/group", root);
        ask("%s/automix/weight", root);
    }
    // The head-amp index is asked by strip index, counted from 00.
    ask("/-ha/%02d/index", strip);
    askAll(root, {"/mix/on", "/mix/mono", "/mix/st", "/mix/mlevel", "/eq/on"});
    askAll(root, channelGate);
    askAll(root, channelDyn);
    askAll(root, {"/preamp/invert", "/preamp/hpon", "/preamp/hpf", "/preamp/trim", "/delay/on",
                  "/delay/time", "/insert/on", "/insert/pos", "/insert/sel", "/grp/mute",
                  "/grp/dca"});
    askSends(root, 16);
    askEqBands(root, 4);
    askAll(root, {"/mix/pan", "/mix/fader", "/config/name", "/config/color", "/config/source"});
}

void queryAuxIn(int strip)
{
    char root[24];
    formatStripRoot(root, sizeof root, strip);
    ask("/-ha/%02d/index", strip);
    askAll(root, {"/config/source", "/mix/on", "/mix/mono", "/mix/st", "/mix/mlevel", "/eq/on",
                  "/grp/mute", "/grp/dca", "/preamp/invert", "/preamp/trim"});
    askSends(root, 16);
    askEqBands(root, 4);
    askAll(root, {"/mix/pan", "/mix/fader", "/config/name", "/config/color"});
}

void queryFxReturn(int strip)
{
    char root[24];
    formatStripRoot(root, sizeof root, strip);
    askAll(root, {"/mix/mono", "/mix/st", "/mix/mlevel", "/mix/on", "/eq/on"});
    askSends(root, 16);
    askEqBands(root, 4);
    askAll(root, {"/mix/pan", "/mix/fader", "/grp/mute", "/grp/dca", "/config/name",
                  "/config/color"});
}

void queryBus(int strip)
{
    char root[24];
    formatStripRoot(root, sizeof root, strip);
    askAll(root, {"/mix/on", "/mix/mono", "/mix/st", "/mix/mlevel", "/eq/on"});
    askSends(root, 6);
    askEqBands(root, 6);
    askAll(root, {"/grp/mute", "/grp/dca", "/mix/pan", "/mix/fader", "/config/name",
                  "/config/color"});
    askAll(root, busDyn);
}

void queryMatrix(int strip)
{
    char root[24];
    formatStripRoot(root, sizeof root, strip);
    // A matrix mixes only on and fader: no pan, stereo or mono.
    askAll(root, {"/mix/on", "/eq/on", "/preamp/invert", "/grp/mute", "/grp/dca"});
    askAll(root, matrixDyn);
    askEqBands(root, 6);
    askAll(root, {"/mix/fader", "/config/name", "/config/color"});
}

void queryMain(const char* root, bool withPan)
{
    askAll(root, {"/mix/on", "/eq/on", "/grp/mute", "/grp/dca"});
    askAll(root, matrixDyn);
    askSends(root, 6);
    askEqBands(root, 6);
    if (withPan) ask("%s/mix/pan", root);
    askAll(root, {"/mix/fader", "/config/name", "/config/color"});
}

void queryDca(int strip)
{
    int n = stripNumberOf(strip);
    ask("/dca/%d/on", n);
    ask("/dca/%d/fader", n);
    ask("/dca/%d/config/name", n);
    ask("/dca/%d/config/color", n);
}

} // namespace

void queryAutomix()
{
    queryAndWait("/config/amixenable/X");
    queryAndWait("/config/amixenable/Y");
}

bool queryHeadamps(const std::function<bool()>& goOn)
{
    for (int h = 0; h < 128; ++h) {
        if (goOn && !goOn()) return false;
        ask("/headamp/%03d/gain", h);
        ask("/headamp/%03d/phantom", h);
    }
    return true;
}

bool queryEffects(const std::function<bool()>& goOn)
{
    for (int slot = 1; slot <= 8; ++slot) {
        if (goOn && !goOn()) return false;
        ask("/fx/%d/type", slot);
        for (int p = 1; p <= 64; ++p) ask("/fx/%d/par/%02d", slot, p);
    }
    return true;
}

void queryRouting()
{
    for (const char* block : {"1-8", "9-16", "17-24", "25-32", "AUX"}) {
        ask("/config/routing/IN/%s", block);
    }
    for (int n = 1; n <= 32; ++n) ask("/config/userrout/in/%02d", n);
}

void queryLinksAndSwitches()
{
    for (const StripFamily& family : stripFamilies) {
        if (!family.linkWord) continue;
        for (int n = 1; n < family.stripCount; n += 2) ask("/config/%s/%d-%d", family.linkWord, n, n + 1);
    }
    char root[24];
    for (int strip = FIRST_BUS; strip <= MAIN_MONO; ++strip) {
        formatStripRoot(root, sizeof root, strip);
        askAll(root, {"/insert/on", "/insert/pos", "/insert/sel"});
    }
    // With the routing switch on, the inputs come through the playback blocks.
    for (const char* block : {"1-8", "9-16", "17-24", "25-32"}) ask("/config/routing/PLAY/%s", block);
    for (int g = 1; g <= 6; ++g) ask("/config/mute/%d", g);
    for (int n = 1; n <= STRIP_SOLO_COUNT; ++n) ask("/-stat/solosw/%02d", n);
    queryAndWait("/config/routing/routswitch");
    queryAndWait("/-stat/selidx");
    // A console locked before the bridge started takes no surface action.
    queryAndWait("/-stat/lock");
}

void queryStrip(int strip)
{
    switch (familyOf(strip)) {
    case FAMILY_CHANNEL: queryChannel(strip); break;
    case FAMILY_AUX_IN: queryAuxIn(strip); break;
    case FAMILY_FX_RETURN: queryFxReturn(strip); break;
    case FAMILY_BUS: queryBus(strip); break;
    case FAMILY_MATRIX: queryMatrix(strip); break;
    case FAMILY_MAIN_STEREO: queryMain(stripFamilies[FAMILY_MAIN_STEREO].root, true); break;
    case FAMILY_MAIN_MONO: queryMain(stripFamilies[FAMILY_MAIN_MONO].root, false); break;
    case FAMILY_DCA: queryDca(strip); break;
    case FAMILY_NONE: break;
    }
}
