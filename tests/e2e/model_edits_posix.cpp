#include "e2e/model_edits.h"

#include <cstdio>
#include <sstream>

#include "support/process.h"

namespace {

std::string two(int n)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d", n);
    return text;
}

struct Edit {
    Edit(const Model& model, int selected, int amp)
        : m(model), page(model.page), S(selected), p(S >= 0 && S < 72 ? stripPrefix(S) : "/none"), headAmp(amp)
    {
    }

    const Model& m;
    int page;
    int S;  // the console's selected strip
    std::string p;
    int headAmp;
    bool pushed[8] = {};
    std::set<std::string> out;

    void add(const std::string& address) { out.insert(address); }
    void addStrip(const std::string& suffix) { add(p + suffix); }

    // The odd-even pair of S within its kind: "/config/chlink/5-6".
    void addLink()
    {
        const struct { int first; int count; const char* word; } kinds[] = {
            {0, 32, "chlink"}, {32, 8, "auxlink"}, {40, 8, "fxlink"}, {48, 16, "buslink"}, {64, 6, "mtxlink"}};
        for (const auto& k : kinds) {
            if (S < k.first || S >= k.first + k.count) continue;
            const int n = ((S - k.first) & ~1) + 1;
            add(std::string("/config/") + k.word + "/" + std::to_string(n) + "-" + std::to_string(n + 1));
        }
    }

    void fader(int n)
    {
        if (n == 9) return add("/main/st/mix/fader");
        const int s = m.shown[n - 1];
        if (s == kBlank) return;
        add(mixPath(s) + "/fader");
        if (m.page >= 8 && m.page <= 23 && s <= 47) add(stripPrefix(s) + "/mix/" + two(m.page - 7) + "/level");
        if (m.page == 34 && s <= 63) add(stripPrefix(s) + "/mix/mlevel");
    }

    void topRow(int n)
    {
        const bool channel = S <= 31;
        switch (page) {
        case 1:
            if (n == 1) addStrip("/eq/on");
            if (n == 2 && channel) addStrip("/preamp/hpon");
            break;
        case 28: {
            const char* const suffixes[8] = {"", "", "", "/preamp/invert", "", "/preamp/hpon", "/delay/on", "/insert/on"};
            if (n == 2 && headAmp >= 0) {
                char address[32];
                std::snprintf(address, sizeof address, "/headamp/%03d/phantom", headAmp);
                add(address);
            }
            if (n == 3 && S <= 39) addStrip(suffixes[n]);
            if (n == 4 && S <= 69) addLink();
            if ((n == 5 || n == 6) && channel) addStrip(suffixes[n]);
            if (n == 7 && (channel || (S >= 48 && S <= 71))) addStrip(suffixes[n]);
            break;
        }
        case 29:
        case 30: {
            const int send = S <= 47 ? n + 1 + (page == 30 ? 8 : 0) : ((S >= 48 && S <= 63) || S >= 70) && n < 6 ? n + 1 : 0;
            if (send > 0) addStrip("/mix/" + two(send) + "/on");
            break;
        }
        case 31: {
            const char* const suffixes[8] = {"", "/mix/st", "/mix/mono", "", "/automix/group", "", "/grp/dca", "/grp/mute"};
            if (n == 4 && S <= 7) addStrip(suffixes[n]);
            else if (n != 4 && S <= 63 && *suffixes[n]) addStrip(suffixes[n]);
            break;
        }
        case 32: {
            const char* const suffixes[8] = {"", "/gate/on", "/gate/mode", "", "", "", "/gate/filter/on", ""};
            if (S <= 30 && n == 7) add("/-stat/keysolo");
            else if (S <= 30 && *suffixes[n]) addStrip(suffixes[n]);
            break;
        }
        case 33: {
            const char* const suffixes[8] = {"", "/dyn/on", "/dyn/mode", "/dyn/knee", "/dyn/det", "/dyn/env", "/dyn/filter/on", ""};
            const bool takes = S <= 30 || (S >= 48 && S <= 71);
            if (takes && n == 7) add("/-stat/keysolo");
            else if (takes && *suffixes[n]) addStrip(suffixes[n]);
            break;
        }
        default:
            if (page >= 8 && page <= 23 && m.shown[n] <= 47) add(stripPrefix(m.shown[n]) + "/mix/" + two(page - 7) + "/on");
            if (page == 34 && m.shown[n] <= 63) add(stripPrefix(m.shown[n]) + "/mix/mono");
            break;
        }
    }

    // A press of note (or its down half).
    void note(int n)
    {
        const int at = n & 7;
        if (n >= 0 && n <= 7) topRow(n);
        if (n >= 8 && n <= 15 && m.shown[at] != kBlank) add("/-stat/solosw/" + two(m.shown[at] + 1));
        if (n >= 16 && n <= 23 && m.shown[at] != kBlank) add(mixPath(m.shown[at]) + "/on");
        if ((n >= 24 && n <= 31) || n == 48 || n == 49 || n == 96 || n == 97) add("/-stat/selidx");
        if (n >= 32 && n <= 39) {
            pushed[at] = true;
            if (page == 0 && m.shown[at] < 71) add(stripPrefix(m.shown[at]) + "/mix/pan");
            if (page == 28 && n == 39 && (S <= 31 || (S >= 48 && S <= 71))) addStrip("/insert/pos");
            if (page == 31 && n == 33 && S <= 70) addStrip("/mix/pan");
        }
        if (n >= 74 && n <= 79) add("/config/mute/" + std::to_string(n - 73));
        if (n == 86) add("/config/routing/routswitch");
        if (n == 89 || n == 90) add(n == 89 ? "/config/amixenable/X" : "/config/amixenable/Y");
    }

    void encoder(int e)
    {
        const bool push = pushed[e - 1];
        if (e == 1 && (page == 1 || page == 28 || (page >= 31 && page <= 33))) return add("/-stat/selidx");
        if (page == 0) {
            if (m.shown[e - 1] < 71) add(stripPrefix(m.shown[e - 1]) + "/mix/pan");
        } else if (page == 1) {
            encoderOfEqualiser(e, push);
        } else if (page == 28) {
            if (e == 2 && push && S <= 39) addStrip("/config/source");
            if (e == 2 && !push && headAmp >= 0) {
                char address[32];
                std::snprintf(address, sizeof address, "/headamp/%03d/gain", headAmp);
                add(address);
            }
            if (e == 2 && !push && headAmp < 0 && S <= 39) addStrip("/preamp/trim");
            if (e == 6 && S <= 31) addStrip("/preamp/hpf");
            if (e == 7 && S <= 31) addStrip("/delay/time");
            if (e == 8 && (S <= 31 || (S >= 48 && S <= 71))) addStrip("/insert/sel");
        } else if (page == 29 || page == 30) {
            const int send = S <= 47 ? e + (page == 30 ? 8 : 0) : ((S >= 48 && S <= 63) || S >= 70) && e <= 6 ? e : 0;
            if (send > 0) addStrip("/mix/" + two(send) + "/level");
        } else if (page == 31) {
            if (e == 2 && S <= 70) addStrip("/mix/pan");
            if (e == 3 && S <= 63) addStrip("/mix/mlevel");
            if (e == 5 && S <= 7) addStrip("/automix/weight");
        } else if (page == 32 && S <= 31) {
            const char* const suffixes[9] = {"", "", "/gate/thr", "/gate/range", "/gate/attack", "/gate/hold",
                                             "/gate/release", "", "/gate/filter/f"};
            addStrip(e == 7 ? (push ? "/gate/keysrc" : "/gate/filter/type") : suffixes[e]);
        } else if (page == 33 && (S <= 31 || (S >= 48 && S <= 71))) {
            const char* const suffixes[9] = {"", "", "", "", "/dyn/attack", "/dyn/hold", "/dyn/release", "", "/dyn/filter/f"};
            if (e == 2) addStrip(push ? "/dyn/ratio" : "/dyn/thr");
            else if (e == 3) addStrip(push ? "/dyn/mgain" : "/dyn/mix");
            else if (e == 7) addStrip(push ? "/dyn/keysrc" : "/dyn/filter/type");
            else addStrip(suffixes[e]);
        }
    }

    void encoderOfEqualiser(int e, bool push)
    {
        if (e == 3 && S <= 31) return addStrip("/preamp/hpf");
        const int band = S <= 47 ? (e >= 5 ? e - 4 : 0) : (S <= 71 && e >= 3 ? e - 2 : 0);
        if (band == 0) return;
        const char* field = m.eqLayer == 1 ? (push ? "type" : "q") : (push ? "f" : "g");
        addStrip("/eq/" + std::to_string(band) + "/" + field);
    }
};

}  // namespace

std::set<std::string> surfaceEdits(const std::string& command, const Model& m, const Values& before, int headAmp)
{
    double selected = 0.0;
    number(before, "/-stat/selidx", selected);
    Edit edit(m, static_cast<int>(selected), headAmp);
    std::istringstream lines(command);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string verb;
        int n = 0;
        words >> verb >> n;
        if (verb == "fader") edit.fader(n);
        else if (verb == "press" || verb == "down") edit.note(n);
        else if (verb == "turn" && n >= 1 && n <= 8) edit.encoder(n);
        else if (verb == "up" && n >= 32 && n <= 39) edit.pushed[n - 32] = false;
    }
    edit.out.erase("");
    return edit.out;
}

bool consoleChanges(ThreeDevices& devices, Values& values, Values& changed)
{
    changed.clear();
    if (!writeToProcess(devices.console, "changes\n")) return false;
    std::string line;
    while (waitForLine(devices.console, "", 3000, line)) {
        if (line.rfind("changed ", 0) == 0) return true;
        const size_t space = line.find(' ');
        // Other lines (logged writes, clients) do not start with an address.
        if (line.empty() || line[0] != '/' || space == std::string::npos) continue;
        const std::string address = line.substr(0, space);
        auto old = values.find(address);
        changed[address] = old == values.end() ? "(none)" : old->second;
        values[address] = line.substr(space + 1);
    }
    return false;
}

std::string untouchedMismatch(const Values& changed, const Values& now, const std::set<std::string>& allowed)
{
    std::ostringstream wrong;
    for (const auto& [address, was] : changed) {
        auto found = now.find(address);
        if (!allowed.count(address))
            wrong << address << " changed from " << was << " to " << (found == now.end() ? "?" : found->second) << "; ";
    }
    return wrong.str();
}
