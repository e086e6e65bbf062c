#include "e2e/model_surface.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <vector>

namespace {
// Each strip family: its first index, OSC prefix and display label, both
// numbered from 1 within the family. The mains have fixed names.
struct Family {
    int first;
    const char* path;
    const char* label;
};
const Family families[] = {{0, "/ch/%02d", "Ch %d"},       {32, "/auxin/%02d", "Aux %d"},
                           {40, "/fxrtn/%02d", "Fx rt %d"}, {48, "/bus/%02d", "Bus %d"},
                           {64, "/mtx/%02d", "Mtrix %d"},   {72, "/dca/%d", "DCA %d"}};

std::string familyText(int s, bool label)
{
    if (s == 70) return label ? "LR" : "/main/st";
    if (s == 71) return label ? "M/C" : "/main/m";
    const Family* f = &families[0];
    for (const Family& family : families) f = s >= family.first ? &family : f;
    char text[16];
    std::snprintf(text, sizeof text, label ? f->label : f->path, s - f->first + 1);
    return text;
}
}  // namespace

std::string stripPrefix(int s) { return familyText(s, false); }

std::string mixPath(int s) { return s >= 72 ? stripPrefix(s) : stripPrefix(s) + "/mix"; }

std::string stripLabel(int s) { return familyText(s, true); }

std::string two(int n)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d", n);
    return text;
}

// Matrices, the mono main and the DCAs have no pan.
bool panKnown(int s) { return s < 64 || s == 70; }
// Channels, aux inputs and matrices have a polarity switch.
bool hasPolarityOf(int s) { return s <= 39 || (s >= 64 && s <= 69); }

bool number(const Values& values, const std::string& address, double& out)
{
    auto found = values.find(address);
    return found != values.end() && std::sscanf(found->second.c_str(), "%*c %lf", &out) == 1;
}

void buildBankStrips(Model& m, const Banks& banks)
{
    m.lowerBank = false;
    for (int b = 0; b < std::min(m.bank, 8); ++b)
        for (int i = 0; i < banks.count[b] && i < 80; ++i) m.lowerBank = m.lowerBank || banks.table[b][i] != kBlank;
    const int* list = banks.table[m.bank];
    if (m.bank >= 8) {
        m.shown[0] = 72 + m.dcaGroup;
        for (int i = 1; i < 8; ++i) m.shown[i] = list[m.scroll * 7 + i];
        return;
    }
    int base = m.scroll * 8;
    int skip = m.scroll > 0 ? m.skip[m.scroll - 1] : 0;
    if (base + skip < 80 && list[base + skip] == kBlank)
        while (base + skip < banks.count[m.bank] && list[base + skip] == kBlank) ++skip;
    m.skip[m.scroll] = skip;
    for (int i = 0; i < 8; ++i)
        m.shown[i] = base + skip + i < banks.count[m.bank] ? list[base + skip + i] : kBlank;
}

namespace {

// A fader the host has placed shows the nearest of 16384 steps, read back
// to four decimals; a fader the hand left stands on the step the console
// holds. Anything beyond that is a fader in the wrong place.
const double kFaderTolerance = 0.5 / 16383.0 + 0.00006;

// The ring of a value 0..1: 26 positions over 13 dots, an even position
// lighting one dot, an odd one two neighbours; dots 0-6 are bits of the
// first value, 7-13 of the second.
void ringOf(double v, int& first, int& second)
{
    int k = static_cast<int>(v / 0.04);
    k = k < 0 ? 0 : (k > 25 ? 25 : k);
    first = second = 0;
    for (int dot : {k / 2, (k + 1) / 2}) {
        if (dot < 7) first |= 1 << dot;
        else second |= 1 << (dot - 7);
    }
}

// The ring of v, either side of a ring boundary: a value on one may land
// either side after the console's single-precision store.
void ringsNear(double v, int rings[2][2])
{
    ringOf(v - 1e-5, rings[0][0], rings[0][1]);
    ringOf(v + 1e-5, rings[1][0], rings[1][1]);
}

// The texts a Q of v may show: 72 steps k / 71, 10 x 0.03^(k/71) with one
// decimal, rounded or cut; "10" at 0. A Q shows the text of the console's
// step nearest to it (the console's own steps arrive rounded either way);
// both neighbours where it lies half-way within the dump's precision.
std::vector<std::string> qTexts(double v)
{
    std::vector<std::string> texts;
    auto add = [&](long k) {
        if (k < 0 || k > 71) return;
        if (k == 0) {
            texts.push_back("10");
            return;
        }
        double q = 10.0 * std::pow(0.03, static_cast<double>(k) / 71.0);
        char text[16];
        std::snprintf(text, sizeof text, "%.1f", std::round(q * 10.0) / 10.0);
        texts.push_back(text);
        std::snprintf(text, sizeof text, "%.1f", std::floor(q * 10.0) / 10.0);
        texts.push_back(text);
    };
    const double x = v * 71.0;
    const long k = std::lround(x);
    add(k);
    if (std::fabs(std::fabs(x - static_cast<double>(k)) - 0.5) < 0.01) add(x > static_cast<double>(k) ? k + 1 : k - 1);
    return texts;
}

const char* const kBandTypes[6] = {"LCut", "LShv", "PEQ", "VEQ", "HShv", "HCut"};

std::string insertSlotName(int n)
{
    if (n == 0) return "OFF";
    if (n >= 1 && n <= 16) return "FX" + std::to_string((n + 1) / 2) + (n % 2 ? "L" : "R");
    if (n >= 17 && n <= 22) return "AUX" + std::to_string(n - 16);
    return "?";
}

struct Display {
    int color = 0;
    int inverted = 0;
    std::string top;
    std::vector<std::string> bottoms;  // any of these; empty: not compared
};

Display blankDisplay() { return {0, 0, "", {""}}; }

Display label(const std::string& top, const std::string& bottom) { return {6, 0, top, {bottom}}; }

class Check {
public:
    Check(const SurfaceView& view, Values& values) : view(view), values(values) {}

    double get(const std::string& address, double fallback = 0.0)
    {
        double value = fallback;
        number(values, address, value);
        return value;
    }
    int lamp(int note) const { return view.lamp[note] < 0 ? 0 : view.lamp[note]; }
    void expectLamp(int note, int wanted, const std::string& why)
    {
        if (lamp(note) != wanted) wrong << "lamp " << note << " is " << lamp(note) << ", wanted " << wanted << " (" << why << "); ";
    }
    void expectLit(int note, bool lit, const std::string& why) { expectLamp(note, lit ? 127 : 0, why); }
    void expectFader(int f, double wanted, const std::string& why)
    {
        if (std::fabs(view.fader[f] - wanted) > kFaderTolerance)
            wrong << "fader " << f + 1 << " at " << view.fader[f] << ", wanted " << wanted << " (" << why << "); ";
    }
    // The strip's colour 0..15 as colour 0..7 plus the inverted flag.
    Display nameDisplay(int s)
    {
        if (s == kBlank) return blankDisplay();
        std::string name;
        dumpedText(values[stripPrefix(s) + "/config/name"], name);
        Display d = stripColoured(s, stripLabel(s).substr(0, 7));
        d.bottoms = {name.substr(0, 7)};
        return d;
    }
    Display stripColoured(int s, const std::string& top)
    {
        int color = static_cast<int>(get(stripPrefix(s) + "/config/color"));
        return {color & 7, color >= 8 ? 1 : 0, top, {}};
    }
    void expectDisplay(int i, const Display& d, const std::string& why)
    {
        bool bottomOk = d.bottoms.empty();
        for (const std::string& b : d.bottoms) bottomOk = bottomOk || view.displayBottom[i] == b;
        if (view.displayTop[i] == d.top && bottomOk && view.displayColor[i] == d.color &&
            view.displayInverted[i] == d.inverted)
            return;
        wrong << "display " << i + 1 << " \"" << view.displayTop[i] << "\"/\"" << view.displayBottom[i] << "\" colour "
              << view.displayColor[i] << " inv " << view.displayInverted[i] << ", wanted \"" << d.top << "\"/\""
              << (d.bottoms.empty() ? "*" : d.bottoms[0]) << "\" colour " << d.color << " inv " << d.inverted << " ("
              << why << "); ";
    }
    void expectRingNear(int i, double v, const std::string& why)
    {
        int rings[2][2];
        ringsNear(v, rings);
        if (view.ring[i][0] != rings[0][0] || view.ring[i][1] != rings[0][1])
            expectRing(i, rings[1][0], rings[1][1], "value " + std::to_string(v) + ", " + why);
    }
    void expectRing(int i, int first, int second, const std::string& why)
    {
        if (view.ring[i][0] != first || view.ring[i][1] != second)
            wrong << "ring " << i + 1 << " " << view.ring[i][0] << " " << view.ring[i][1] << ", wanted " << first << " "
                  << second << " (" << why << "); ";
    }

    const SurfaceView& view;
    Values& values;
    std::ostringstream wrong;
};

// The page's lamp among the eight mode lamps and the send and effects lamps.
void expectPageLamps(Check& c, int page)
{
    int own = -1, value = 127;
    if (page == 0) own = 0x33;
    else if (page == 1) own = 0x2C;
    else if (page == 28) own = 0x28;
    else if (page == 29 || page == 30) own = 0x2D, value = page == 29 ? 1 : 127;
    else if (page == 34) own = 0x55;
    else if (page >= 31 && page <= 33) own = 0x2B - (page - 31);
    else if (page >= 8 && page <= 15) own = 0x3E + page - 8;
    else if (page >= 16 && page <= 23) own = 0x36 + page - 16;
    for (int note : {0x33, 0x2C, 0x28, 0x2D, 0x2B, 0x2A, 0x29, 0x55})
        c.expectLamp(note, note == own ? value : 0, "page " + std::to_string(page) + " lamps");
    for (int note = 0x36; note <= 0x45; ++note) c.expectLamp(note, note == own ? 127 : 0, "page lamps");
    for (int k = 0; k < 4; ++k) {
        c.expectLamp(0x46 + k, 0, "effects page lamps");
        c.expectLamp(0x50 + k, 0, "effects page lamps");
    }
}

// The head amp the console names for strip S, or -1.
int headAmpOf(ThreeDevices& devices, int S)
{
    int headAmp = -1;
    std::string value;
    if (S <= 39 && consoleValue(devices, "/-ha/" + two(S) + "/index", value)) std::sscanf(value.c_str(), "i %d", &headAmp);
    return headAmp;
}

std::string headAmpPath(int h) { return "/headamp/" + (h < 100 ? "0" + two(h) : std::to_string(h)); }

// Row A and the displays of the pages of the selected strip S (below 72).
void expectSelectedStripPage(Check& c, ThreeDevices& devices, int page, int S, int eqLayer)
{
    const std::string p = stripPrefix(S);
    const std::string why = "page " + std::to_string(page) + ", selected " + p;
    auto on = [&](const std::string& address) { return c.get(address) == 1.0; };
    if (page == 1) {
        c.expectLit(1, on(p + "/eq/on"), "EQ on, " + why);
        c.expectLit(2, S <= 31 && on(p + "/preamp/hpon"), "low cut on, " + why);
        for (int n : {0, 3, 4, 5, 6, 7}) c.expectLamp(n, 0, why);
        c.expectDisplay(0, c.nameDisplay(S), why);
        c.expectDisplay(1, {7, 0, eqLayer == 0 ? "1/2" : "2/2", {"EQ"}}, why);
        if (S <= 47) c.expectDisplay(3, blankDisplay(), why);
        int bands = S <= 47 ? 4 : 6;
        for (int b = 1; b <= bands; ++b) {
            const std::string band = p + "/eq/" + std::to_string(b);
            Display d{6, 0, "", {}};
            if (eqLayer == 1) {
                int type = static_cast<int>(c.get(band + "/type"));
                d.top = type >= 0 && type < 6 ? kBandTypes[type] : "?";
                d.bottoms = qTexts(c.get(band + "/q"));
            } else {
                char gain[24];
                std::snprintf(gain, sizeof gain, "%+02.02f", c.get(band + "/g") * 30.0 - 15.0);
                d.bottoms = {gain};
                d.top = c.view.displayTop[b + 7 - bands];  // the frequency table is not checked here
            }
            c.expectDisplay(b + 7 - bands, d, "band " + std::to_string(b) + ", " + why);
        }
    } else if (page == 28) {
        const int headAmp = headAmpOf(devices, S);
        bool phantom = headAmp >= 0 && on(headAmpPath(headAmp) + "/phantom");
        for (int n : {0, 1}) c.expectLamp(n, 0, why);
        c.expectLit(6, S <= 31 && on(p + "/delay/on"), "delay, " + why);
        c.expectLit(2, phantom, "phantom, " + why);
        c.expectLit(7, (S < 32 || S > 47) && on(p + "/insert/on"), "insert, " + why);
        c.expectLit(5, S <= 31 && on(p + "/preamp/hpon"), "low cut, " + why);
        c.expectLit(3, hasPolarityOf(S) && on(p + "/preamp/invert"), "polarity, " + why);
        c.expectDisplay(0, c.nameDisplay(S), why);
        c.expectDisplay(2, headAmp < 0 ? blankDisplay() : label("Phantom", phantom ? "On" : "Off"), "phantom, " + why);
        c.expectDisplay(3, !hasPolarityOf(S) ? blankDisplay() : label("Polarit", on(p + "/preamp/invert") ? "On" : "Off"), why);
        if (S >= 40) c.expectDisplay(1, blankDisplay(), why);
        if (S > 31) c.expectDisplay(5, blankDisplay(), why);
        if (S > 31) c.expectDisplay(6, blankDisplay(), why);
        if (S >= 32 && S <= 47) {
            c.expectDisplay(7, blankDisplay(), why);
        } else {
            int slot = static_cast<int>(c.get(p + "/insert/sel"));
            std::string text = std::string(c.get(p + "/insert/pos") == 0.0 ? "*" : " ") + " " + insertSlotName(slot);
            c.expectDisplay(7, label("Insert", text.substr(0, 7)), why);
        }
    } else if (page == 29 || page == 30) {
        if (S <= 47) {
            int first = page == 29 ? 1 : 9;
            for (int i = 0; i < 8; ++i) {
                c.expectLit(i, on(p + "/mix/" + two(first + i) + "/on"), "send " + std::to_string(first + i) + ", " + why);
                c.expectDisplay(i, c.stripColoured(48 + first + i - 1, stripLabel(48 + first + i - 1)), why);
            }
        } else if (S <= 63 || S >= 70) {
            // Buses and mains send to the six matrices on both pages.
            for (int i = 0; i < 8; ++i) {
                c.expectLit(i, i < 6 && on(p + "/mix/" + two(i + 1) + "/on"), "matrix send, " + why);
                c.expectDisplay(i, i < 6 ? c.stripColoured(64 + i, stripLabel(64 + i)) : blankDisplay(), why);
            }
        } else {
            for (int i = 0; i < 8; ++i) c.expectDisplay(i, blankDisplay(), why);
        }
    }
}

// A value printed as the bridge prints it, for the console's number a hair
// either side: the dump has six decimals, the bridge the console's float.
std::vector<std::string> printedNear(const char* format, double v, double scale, double offset)
{
    std::vector<std::string> texts;
    for (double d : {-2e-6, 0.0, 2e-6}) {
        char text[32];
        std::snprintf(text, sizeof text, format, (v + d) * scale + offset);
        texts.push_back(text);
    }
    return texts;
}

// Side-chain key sources and filter types of the gate and dynamics pages.
std::string keySourceName(int k)
{
    char text[16] = "?";
    if (k == 0) return "Self";
    if (k >= 1 && k <= 32) std::snprintf(text, sizeof text, "Ch%02d", k);
    if (k >= 33 && k <= 38) std::snprintf(text, sizeof text, "Aux%d", k - 32);
    if (k == 39 || k == 40) return k == 39 ? "USB L" : "USB R";
    if (k >= 41 && k <= 48) std::snprintf(text, sizeof text, "FX%d %c", (k - 39) / 2, k % 2 ? 'L' : 'R');
    if (k >= 49 && k <= 64) std::snprintf(text, sizeof text, "BUS %02d", k - 48);
    return text;
}
const char* const kFilterTypes[9] = {"LC6", "LC12", "HC6", "HC12", "1.0", "2.0", "3.0", "5.0", "10.0"};

// Row A and the displays of the assignment (31), gate (32) and dynamics
// (33) pages of the selected strip S. Table texts (levels, times,
// frequencies) are not compared here; their tables have tests of their own.
void expectProcessingPage(Check& c, const Model& m, int page, int S)
{
    const std::string p = stripPrefix(S);
    const std::string why = "page " + std::to_string(page) + ", selected " + p;
    auto on = [&](const std::string& suffix) { return c.get(p + suffix) != 0.0; };
    auto shown = [&](int position, const std::string& top, std::vector<std::string> bottoms) {
        c.expectDisplay(position, {6, 0, top, bottoms}, why);
    };
    c.expectDisplay(0, c.nameDisplay(S), why);
    if (page == 31) {
        c.expectLit(1, S <= 63 && on("/mix/st"), "stereo, " + why);
        c.expectLit(2, S <= 63 && on("/mix/mono"), "mono, " + why);
        c.expectLit(6, S <= 71 && (static_cast<int>(c.get(p + "/grp/dca")) >> m.chosenDca & 1), "DCA, " + why);
        c.expectLit(7, S <= 71 && (static_cast<int>(c.get(p + "/grp/mute")) >> m.chosenMute & 1), "mute group, " + why);
        const double pan = c.get(p + "/mix/pan");
        std::vector<std::string> panTexts;
        for (double d : {-2e-6, 2e-6}) {
            const double x = pan + d;
            char text[16];
            if (std::fabs(x - 0.5) * 200.0 < 0.5) std::snprintf(text, sizeof text, "<>");
            else if (x < 0.5) std::snprintf(text, sizeof text, "< %-3ld", std::lround((0.5 - x) * 200.0));
            else std::snprintf(text, sizeof text, "%3ld >", std::lround((x - 0.5) * 200.0));
            panTexts.push_back(text);
        }
        if (panKnown(S)) shown(1, "Pan", panTexts);
        else c.expectDisplay(1, blankDisplay(), "no pan, " + why);
        if (S <= 63) shown(2, "M/C", {});  // the console has no mono level beyond the buses
        else c.expectDisplay(2, blankDisplay(), why);
        c.expectDisplay(3, blankDisplay(), why);
        if (S <= 7) {
            const int group = static_cast<int>(c.get(p + "/automix/group"));
            const std::string letter = group == 1 ? "X" : (group == 2 ? "Y" : " ");
            std::vector<std::string> texts;
            for (const std::string& weight : printedNear("%+2.1f", c.get(p + "/automix/weight"), 24.0, -12.0))
                texts.push_back((letter + " " + weight).substr(0, 7));
            shown(4, "Automix", texts);
        } else {
            c.expectDisplay(4, blankDisplay(), why);
        }
        c.expectDisplay(5, blankDisplay(), why);
        shown(6, "Dca grp", {std::to_string(m.chosenDca + 1)});
        shown(7, "Mutegrp", {std::to_string(m.chosenMute + 1)});
        return;
    }
    const bool gate = page == 32;
    const bool none = gate ? S >= 32 : (S >= 32 && S <= 47);
    const std::string x = gate ? "/gate/" : "/dyn/";
    const bool keySolo = c.get("/-stat/keysolo") != 0.0;
    if (gate) {
        for (int n : {0, 3, 4, 5}) c.expectLamp(n, 0, why);
        c.expectLamp(2, 127, why);
        c.expectLit(1, !none && on("/gate/on"), "gate on, " + why);
        c.expectLit(6, !none && on("/gate/filter/on"), "gate filter, " + why);
        c.expectLit(7, !none && keySolo, "key solo, " + why);
    } else {
        if (none) c.expectLit(0, false, why);  // else note 0 keeps what it showed
        c.expectLit(1, !none && on("/dyn/on"), "dynamics on, " + why);
        c.expectLit(2, !none && on("/dyn/mode"), "dynamics mode, " + why);
        c.expectLit(3, !none, why);
        c.expectLit(4, !none && on("/dyn/det"), "detector, " + why);
        c.expectLit(5, !none && on("/dyn/env"), "envelope, " + why);
        c.expectLit(6, !none && on("/dyn/filter/on"), "dynamics filter, " + why);
        c.expectLit(7, !none && keySolo, "key solo, " + why);
    }
    if (none) {
        for (int i = 1; i < 8; ++i) c.expectDisplay(i, blankDisplay(), why);
        return;
    }
    if (gate) {
        shown(1, "Thresh", printedNear("%+2.1f", c.get(p + "/gate/thr"), 80.0, -80.0));
        shown(2, "Range", printedNear("%2.1f", c.get(p + "/gate/range"), 57.0, 3.0));
    } else {
        shown(1, "Thresh", printedNear("%+2.1f", c.get(p + "/dyn/thr"), 60.0, -60.0));
        shown(2, "Mix", printedNear("%3.0f", c.get(p + "/dyn/mix"), 100.0, 0.0));
    }
    shown(3, "Attck", printedNear("%2.0f", c.get(p + x + "attack"), 120.0, 0.0));
    shown(4, "Hold", {});
    shown(5, "Rel", {});
    const int key = static_cast<int>(c.get(p + x + "keysrc"));
    const int filter = static_cast<int>(c.get(p + x + "filter/type"));
    if (key >= 0 && key <= 64 && filter >= 0 && filter <= 8)
        shown(6, keySourceName(key).substr(0, 7), {kFilterTypes[filter]});
    shown(7, "freq", {});
}

// Every page but home: the ring of encoder k shows what that encoder edits
// for the selected strip S (below 72), dark where it edits nothing.
void expectRings(Check& c, ThreeDevices& devices, const Model& m, int page, int S)
{
    const std::string p = stripPrefix(S);
    const std::string why = "page " + std::to_string(page) + ", selected " + p;
    bool lit[8] = {};
    auto show = [&](int k, double v) {
        lit[k] = true;
        c.expectRingNear(k, v, "ring " + std::to_string(k + 1) + ", " + why);
    };
    auto at = [&](int k, const std::string& suffix, double highest = 1.0) { show(k, c.get(p + suffix) / highest); };
    const char* const times[5] = {"thr", "range", "attack", "hold", "release"};
    if (page == 1) {
        if (S <= 31) at(2, "/preamp/hpf");
        const int bands = S <= 47 ? 4 : 6;
        for (int b = 1; b <= bands; ++b) at(7 - bands + b, "/eq/" + std::to_string(b) + (m.eqLayer ? "/q" : "/g"));
    } else if (page == 28) {
        const int headAmp = headAmpOf(devices, S);
        if (S <= 39 && headAmp >= 0) show(1, c.get(headAmpPath(headAmp) + "/gain"));
        else if (S <= 39) at(1, "/preamp/trim");
        if (S <= 31) {
            at(5, "/preamp/hpf");
            at(6, "/delay/time");
        }
        if (S <= 31 || S >= 48) at(7, "/insert/sel", 22.0);
    } else if (page == 29 || page == 30) {
        for (int k = 0; k < 8; ++k) {
            if (S <= 47) at(k, "/mix/" + two(k + (page == 29 ? 1 : 9)) + "/level");
            else if ((S <= 63 || S >= 70) && k < 6) at(k, "/mix/" + two(k + 1) + "/level");
        }
    } else if (page == 31) {
        if (panKnown(S)) at(1, "/mix/pan");
        if (S <= 63) at(2, "/mix/mlevel");
        if (S <= 7) at(4, "/automix/weight");
        show(6, m.chosenDca / 7.0);
        show(7, m.chosenMute / 5.0);
    } else if ((page == 32 && S <= 31) || (page == 33 && (S <= 31 || S >= 48))) {
        const std::string x = page == 32 ? "/gate/" : "/dyn/";
        for (int k = 1; k <= 5; ++k) at(k, x + (page == 33 && k == 2 ? "mix" : times[k - 1]));
        at(6, x + "filter/type", 8.0);
        at(7, x + "filter/f");
    }
    for (int k = 0; k < 8; ++k)
        if (!lit[k]) c.expectRing(k, 0, 0, "encoder " + std::to_string(k + 1) + " edits nothing, " + why);
}

bool consoleValues(ThreeDevices& devices, const Model& m, int selected, Values& values)
{
    for (int s : m.shown)
        if (s != kBlank && !consoleDump(devices, stripPrefix(s) + "/", values)) return false;
    bool ok = consoleDump(devices, "/main/st/mix/", values) && consoleDump(devices, "/config/amixenable/", values) &&
              consoleDump(devices, "/config/mute/", values) && consoleDump(devices, "/config/routing/routswitch", values);
    if (m.page == 1 || m.page >= 28)
        ok = ok && consoleDump(devices, stripPrefix(selected) + "/", values);
    if (m.page == 28) ok = ok && consoleDump(devices, "/headamp/", values);
    if (m.page == 29 || m.page == 30)
        ok = ok && consoleDump(devices, "/bus/", values) && consoleDump(devices, "/mtx/", values);
    return ok;
}

}  // namespace

std::string surfaceMismatch(ThreeDevices& devices, const Model& m, int unit)
{
    SurfaceView view;
    Values values;
    if (!readSurface(devices, view, unit)) return "no dump from the surface emulator";
    if (view.malformed != 0) return std::to_string(view.malformed) + " malformed MIDI messages reached the surface";
    // The console holds the selection the bridge last sent or was told.
    if (!consoleDump(devices, "/-stat/", values)) return "no dump from the console emulator";
    double selectedValue = 0.0;
    number(values, "/-stat/selidx", selectedValue);
    const int S = static_cast<int>(selectedValue);
    if (m.selected >= 0 && S != m.selected)
        return "the console's selected strip is " + std::to_string(S) + ", wanted " + std::to_string(m.selected);
    if (!consoleValues(devices, m, S >= 0 && S < 72 ? S : 0, values)) return "no dump from the console emulator";
    Check c(view, values);
    const int page = m.page;
    const bool sendPage = page >= 8 && page <= 23;
    for (int i = 0; i < 8; ++i) {
        const int s = m.shown[i];
        const std::string p = s == kBlank ? "" : stripPrefix(s);
        const std::string where = "strip " + std::to_string(i + 1) + (s == kBlank ? " blank" : " " + p);
        if (page == 0 || sendPage || page == 34) c.expectDisplay(i, c.nameDisplay(s), where);
        // On the send and mono pages a strip without that level has a dark fader.
        if (!m.held[i] && !m.unchecked[i]) {
            if (s == kBlank) c.expectFader(i, 0.0, where);
            else if (sendPage && s <= 47) c.expectFader(i, c.get(p + "/mix/" + two(page - 7) + "/level"), "send, " + where);
            else if (page == 34 && s <= 63) c.expectFader(i, c.get(p + "/mix/mlevel"), "mono level, " + where);
            else if (sendPage || page == 34) c.expectFader(i, 0.0, "dark, " + where);
            else c.expectFader(i, c.get(mixPath(s) + "/fader"), where);
        }
        c.expectLit(0x10 + i, s != kBlank && c.get(mixPath(s) + "/on", 1.0) == 0.0, "mute, " + where);
        c.expectLit(0x08 + i, s != kBlank && c.get("/-stat/solosw/" + two(s + 1)) == 1.0, "solo, " + where);
        if (page == 0) {
            c.expectLamp(i, 0, "top row of the home page");
            double pan = 0.0;
            if (s == kBlank || !panKnown(s)) c.expectRing(i, 0, 0, "no pan, " + where);
            else if (panKnown(s) && number(values, p + "/mix/pan", pan)) c.expectRingNear(i, pan, "pan, " + where);
        } else if (sendPage) {
            c.expectLit(i, s <= 47 && c.get(p + "/mix/" + two(page - 7) + "/on") == 1.0, "send on, " + where);
        } else if (page == 34) {
            c.expectLit(i, s <= 63 && c.get(p + "/mix/mono") == 1.0, "mono on, " + where);
        }
    }
    if (S >= 0 && S < 72 && page >= 31 && page <= 33) expectProcessingPage(c, m, page, S);
    else if (S >= 0 && S < 72 && (page == 1 || page >= 28) && page != 34)
        expectSelectedStripPage(c, devices, page, S, m.eqLayer);
    if (page != 0 && S >= 0 && S < 72) expectRings(c, devices, m, page, S);
    if (!m.held[8] && !m.unchecked[8]) c.expectFader(8, c.get("/main/st/mix/fader"), "LR");
    expectPageLamps(c, page);
    c.expectLit(97, m.bank < 8, "bank up");
    c.expectLit(96, m.lowerBank, "bank down");
    bool anySolo = c.get("/-stat/keysolo") != 0.0;
    for (int n = 1; n <= 80; ++n) anySolo = anySolo || c.get("/-stat/solosw/" + two(n)) == 1.0;
    c.expectLamp(0x73, anySolo ? 1 : 0, "solo active");
    c.expectLit(0x54, anySolo, "solo active");
    c.expectLit(0x59, c.get("/config/amixenable/X") != 0.0, "automix X");
    c.expectLit(0x5A, c.get("/config/amixenable/Y") != 0.0, "automix Y");
    for (int g = 1; g <= 6; ++g) c.expectLit(0x49 + g, c.get("/config/mute/" + std::to_string(g)) != 0.0, "mute group");
    c.expectLit(0x56, c.get("/config/routing/routswitch") != 0.0, "routing switch");
    return c.wrong.str();
}
