#include "e2e/model_surface.h"

#include <cstdio>
#include <sstream>

#include "support/process.h"

namespace {

// Top-row button or encoder n of a page of the selected strip S (up to upTo,
// or alsoFrom to alsoUpTo) and what it edits, "unpushed|pushed": "/..." after
// the strip's prefix, "!..." a whole address, "#..." worked out below.
struct PageControl {
    int page;
    bool encoder;
    int n;
    const char* edits;
    int upTo, alsoUpTo;
    int alsoFrom = 48;
};

const PageControl pageControls[] = {
    {1, false, 1, "/eq/on", 71, 0}, {1, false, 2, "/preamp/hpon", 31, 0}, {1, true, 3, "/preamp/hpf", 31, 0},
    {28, false, 2, "#phantom", 39, 0}, {28, false, 3, "/preamp/invert", 39, 69, 64}, {28, false, 4, "#link", 69, 0},
    {28, false, 5, "/preamp/hpon", 31, 0}, {28, false, 6, "/delay/on", 31, 0}, {28, false, 7, "/insert/on", 31, 71},
    {28, true, 2, "#gain|/config/source", 39, 0}, {28, true, 6, "/preamp/hpf", 31, 0},
    {28, true, 7, "/delay/time", 31, 0}, {28, true, 8, "/insert/sel", 31, 71}, {31, false, 1, "/mix/st", 63, 0},
    {31, false, 2, "/mix/mono", 63, 0}, {31, false, 4, "/automix/group", 7, 0}, {31, false, 6, "/grp/dca", 71, 0},
    {31, false, 7, "/grp/mute", 71, 0}, {31, true, 2, "/mix/pan", 63, 70, 70}, {31, true, 3, "/mix/mlevel", 63, 0},
    {31, true, 5, "/automix/weight", 7, 0}, {32, false, 1, "/gate/on", 31, 0}, {32, false, 2, "/gate/mode", 31, 0},
    {32, false, 6, "/gate/filter/on", 31, 0}, {32, false, 7, "!/-stat/keysolo", 31, 0},
    {32, true, 2, "/gate/thr", 31, 0}, {32, true, 3, "/gate/range", 31, 0}, {32, true, 4, "/gate/attack", 31, 0},
    {32, true, 5, "/gate/hold", 31, 0}, {32, true, 6, "/gate/release", 31, 0},
    {32, true, 7, "/gate/filter/type|/gate/keysrc", 31, 0}, {32, true, 8, "/gate/filter/f", 31, 0},
    {33, false, 1, "/dyn/on", 31, 71}, {33, false, 2, "/dyn/mode", 31, 71}, {33, false, 3, "/dyn/knee", 31, 71},
    {33, false, 4, "/dyn/det", 31, 71}, {33, false, 5, "/dyn/env", 31, 71}, {33, false, 6, "/dyn/filter/on", 31, 71},
    {33, false, 7, "!/-stat/keysolo", 31, 71}, {33, true, 2, "/dyn/thr|/dyn/ratio", 31, 71},
    {33, true, 3, "/dyn/mix|/dyn/mgain", 31, 71}, {33, true, 4, "/dyn/attack", 31, 71},
    {33, true, 5, "/dyn/hold", 31, 71}, {33, true, 6, "/dyn/release", 31, 71},
    {33, true, 7, "/dyn/filter/type|/dyn/keysrc", 31, 71}, {33, true, 8, "/dyn/filter/f", 31, 71},
};

bool serves(int upTo, int alsoUpTo, int S, int alsoFrom = 48)
{
    return S >= 0 && (S <= upTo || (S >= alsoFrom && S <= alsoUpTo));
}

struct Edit {
    const Model& m;
    int S;  // the console's selected strip
    int headAmp;
    bool pushed[8];
    std::set<std::string> out;

    void addOf(int s, const std::string& suffix) { out.insert(stripPrefix(s) + suffix); }

    void pageControl(bool encoder, int n)
    {
        for (const PageControl& c : pageControls) {
            if (c.page != m.page || c.encoder != encoder || c.n != n || !serves(c.upTo, c.alsoUpTo, S, c.alsoFrom)) continue;
            std::string what = c.edits;
            const size_t bar = what.find('|');
            if (bar != std::string::npos) what = encoder && pushed[n - 1] ? what.substr(bar + 1) : what.substr(0, bar);
            char address[40];
            // A link names the odd-even pair of S within its kind: "/config/chlink/5-6".
            const int first[] = {0, 32, 40, 48, 64};
            const char* const kinds[] = {"chlink", "auxlink", "fxlink", "buslink", "mtxlink"};
            const int k = S < 32 ? 0 : S < 40 ? 1 : S < 48 ? 2 : S < 64 ? 3 : 4, pair = ((S - first[k]) & ~1) + 1;
            if (what == "#link") std::snprintf(address, sizeof address, "/config/%s/%d-%d", kinds[k], pair, pair + 1);
            else std::snprintf(address, sizeof address, "/headamp/%03d/%s", headAmp, what == "#gain" ? "gain" : "phantom");
            if (what[0] != '#') what[0] == '!' ? (void)out.insert(what.substr(1)) : addOf(S, what);
            else if (what == "#link" || headAmp >= 0) out.insert(address);
            else if (what == "#gain") addOf(S, "/preamp/trim");
        }
    }

    void sends(int n, const char* field)  // pages 29 and 30: buses and mains have six
    {
        const int send = S <= 47 ? n + (m.page == 30 ? 8 : 0) : ((S >= 48 && S <= 63) || S >= 70) && n <= 6 ? n : 0;
        if (S >= 0 && send > 0) addOf(S, "/mix/" + two(send) + field);
    }

    // A press of note n, or the down half of one; on the send and mono pages
    // the faders and top row act on the strip above them.
    void note(int n, bool fader = false)
    {
        const int s = m.shown[n & 7], page = m.page;
        const bool sendFaders = page >= 8 && page <= 23 && s <= 47, monoFaders = page == 34 && s <= 63;
        if (fader && n == 8) return (void)out.insert("/main/st/mix/fader");
        // A fader writes only the level it shows: a dark one, one on the
        // equaliser page and a held one whose strip or page changed under
        // the hand write nothing.
        if (fader && (s == kBlank || page == 1 || (m.held[n] && m.heldOn[n] != s * 100 + page))) return;
        if (fader && page >= 8 && page <= 23) return sendFaders ? addOf(s, "/mix/" + two(page - 7) + "/level") : void();
        if (fader && page == 34) return monoFaders ? addOf(s, "/mix/mlevel") : void();
        if (fader) return (void)out.insert(mixPath(s) + "/fader");
        if (n <= 7 && (page == 29 || page == 30)) sends(n + 1, "/on");
        else if (n <= 7 && (sendFaders || monoFaders)) addOf(s, sendFaders ? "/mix/" + two(page - 7) + "/on" : "/mix/mono");
        else if (n <= 7 && !(page >= 8 && page <= 23) && page != 34) pageControl(false, n);
        if (n >= 8 && n <= 15 && s != kBlank) out.insert("/-stat/solosw/" + two(s + 1));
        if (n >= 16 && n <= 23 && s != kBlank) out.insert(mixPath(s) + "/on");
        // Only a select press or step writes the selection, never a bank step.
        if ((n >= 24 && n <= 31) || n == 48 || n == 49) out.insert("/-stat/selidx");
        if (n >= 32 && n <= 39) {
            pushed[n - 32] = true;
            if (page == 0 && panKnown(s)) addOf(s, "/mix/pan");
            if (page == 28 && n == 39 && serves(31, 71, S)) addOf(S, "/insert/pos");
            if (page == 31 && n == 33 && panKnown(S)) addOf(S, "/mix/pan");
        }
        if (n >= 74 && n <= 79) out.insert("/config/mute/" + std::to_string(n - 73));
        if (n == 86) out.insert("/config/routing/routswitch");
        // Clear solo is the console's own action: it writes that, and the console clears every solo.
        if (n == 84) out.insert("/-action/clearsolo");
        for (int k = 1; n == 84 && k <= 80; ++k) out.insert("/-stat/solosw/" + two(k));
        if (n == 89 || n == 90) out.insert(n == 89 ? "/config/amixenable/X" : "/config/amixenable/Y");
    }

    void encoder(int e)
    {
        const int page = m.page;
        // Bands on encoders 5-8 (four bands) or 3-8 (six); the layer and push pick the field.
        const int band = S <= 47 ? (e >= 5 ? e - 4 : 0) : (S <= 71 && e >= 3 ? e - 2 : 0);
        const char* field = m.eqLayer == 1 ? (pushed[e - 1] ? "type" : "q") : (pushed[e - 1] ? "f" : "g");
        if (e == 1 && (page == 1 || page == 28 || (page >= 31 && page <= 33))) out.insert("/-stat/selidx");
        else if (page == 0 && panKnown(m.shown[e - 1])) addOf(m.shown[e - 1], "/mix/pan");
        else if (page == 29 || page == 30) sends(e, "/level");
        else if (page == 1 && S >= 0 && !(e == 3 && S <= 31) && band > 0) addOf(S, "/eq/" + std::to_string(band) + "/" + field);
        else if (page != 0) pageControl(true, e);
    }
};

}  // namespace

std::set<std::string> surfaceEdits(const std::string& command, const Model& m, const Values& before, int headAmp)
{
    double selected = 0.0;
    number(before, "/-stat/selidx", selected);
    Edit edit{m, selected < 72 ? static_cast<int>(selected) : -1, headAmp, {}, {}};
    std::istringstream lines(command);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string verb;
        int n = 0;
        words >> verb >> n;
        if (verb == "fader" && n >= 1 && n <= 9) edit.note(n - 1, true);
        else if (verb == "press" || verb == "down") edit.note(n);
        else if (verb == "turn" && n >= 1 && n <= 8) edit.encoder(n);
        else if (verb == "up" && n >= 32 && n <= 39) edit.pushed[n - 32] = false;
    }
    return edit.out;
}

bool consoleChanges(ThreeDevices& devices, Values& values, Values& changed, long& unknown)
{
    changed.clear();
    if (!writeToProcess(devices.console, "changes\n")) return false;
    std::string line;
    while (waitForLine(devices.console, "", 3000, line)) {
        if (line.rfind("changed ", 0) == 0) return std::sscanf(line.c_str(), "changed %*d unknown %ld", &unknown) == 1;
        const size_t space = line.find(' ');
        // Other lines (logged writes, clients) do not start with an address.
        if (line.empty() || line[0] != '/' || space == std::string::npos) continue;
        const std::string address = line.substr(0, space);
        changed[address] = values.count(address) ? values[address] : "(none)";
        values[address] = line.substr(space + 1);
    }
    return false;
}

std::string untouchedMismatch(const Values& changed, const Values& now, const std::set<std::string>& allowed)
{
    std::ostringstream wrong;
    for (const auto& [address, was] : changed)
        if (!allowed.count(address)) wrong << address << " changed from " << was << " to " << now.at(address) << "; ";
    return wrong.str();
}
