#include "console_commands.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "../common/sim_common.h"
#include "console_server.h"

CommandQueue commands;

namespace {

const char* const kHelp =
    "commands: set ADDRESS VALUE | silent on [MS] | silent off | ignore ADDRESS | ignore none | delay MS | drop PERCENT | "
    "scene COUNT | shuffle | dump ADDRESS | dump PREFIX* | changes | writes | wait MS | clients | stats | quit";

std::string formatArg(const OscArg& arg)
{
    char text[48];
    if (arg.type == 'i') {
        std::snprintf(text, sizeof text, "i %d", arg.i);
        return text;
    }
    if (arg.type == 's') return "s \"" + arg.s + "\"";
    std::snprintf(text, sizeof text, "f %.6f", static_cast<double>(arg.f));
    return text;
}

bool parseFloatText(const std::string& text, float& out)
{
    char* end = nullptr;
    out = std::strtof(text.c_str(), &end);
    return !text.empty() && end != text.c_str() && *end == '\0';
}

// The text after the first two words, without surrounding quotes.
std::string valueText(const std::string& line)
{
    size_t i = 0;
    for (int word = 0; word < 2; ++word) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    }
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    std::string value = line.substr(i);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.pop_back();
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    return value;
}

void runSet(const std::vector<std::string>& words, const std::string& line, int64_t nowMs)
{
    Param* param = words.size() >= 2 ? findParam(words[1]) : nullptr;
    if (words.size() >= 2 && param == nullptr) {
        consoleLog("unknown address %s", words[1].c_str());
        return;
    }
    // Only a name may be set to the empty text.
    if (param == nullptr || (words.size() < 3 && param->type != 's')) {
        consoleLog("usage: set ADDRESS VALUE");
        return;
    }
    std::string text = valueText(line);
    OscArg arg;
    long whole = 0;
    float real = 0.0f;
    bool isWhole = parseWholeNumber(text, -2147483647L, 2147483647L, whole);
    if (param->type == 's') {
        arg = oscString(text);
    } else if (param->type == 'i') {
        if (!isWhole) {
            consoleLog("%s takes an integer", param->address.c_str());
            return;
        }
        arg = oscInt(static_cast<int32_t>(whole));
    } else if (parseFloatText(text, real)) {
        arg = oscFloat(real);
    } else {
        consoleLog("%s takes a number", param->address.c_str());
        return;
    }
    storeParamValue(*param, arg);
    pushParam(*param, nullptr, nowMs);
    consoleLog("set %s %s", param->address.c_str(), formatParamValue(*param).c_str());
}

void runDump(const std::string& what)
{
    if (!what.empty() && what.back() == '*') {
        std::string prefix = what.substr(0, what.size() - 1);
        int count = 0;
        for (const Param& param : params) {
            if (param.address.compare(0, prefix.size(), prefix) != 0) continue;
            consoleLog("%s %s", param.address.c_str(), formatParamValue(param).c_str());
            ++count;
        }
        consoleLog("dumped %d", count);
        return;
    }
    OscArg value;
    if (queryValue(what, value)) consoleLog("%s %s", what.c_str(), formatArg(value).c_str());
    else consoleLog("unknown address %s", what.c_str());
}

// What "changes" printed last, per parameter; empty before its first use,
// so that the first "changes" prints the whole state.
std::vector<std::string> changeBaseline;

void runChanges()
{
    changeBaseline.resize(params.size());
    int count = 0;
    for (size_t i = 0; i < params.size(); ++i) {
        std::string value = formatParamValue(params[i]);
        if (value == changeBaseline[i]) continue;
        consoleLog("%s %s", params[i].address.c_str(), value.c_str());
        changeBaseline[i] = std::move(value);
        ++count;
    }
    consoleLog("changed %d unknown %llu", count, static_cast<unsigned long long>(server.unknown));
}

void runClients(int64_t nowMs)
{
    for (const RemoteClient& client : server.clients)
        consoleLog("client %s last /xremote %lld ms ago", endpointText(client.endpoint).c_str(),
                   static_cast<long long>(nowMs - client.lastXremoteMs));
    for (const MeterSubscription& s : server.subscriptions)
        consoleLog("meters %d as %s to %s every %lld ms", s.block, s.alias.c_str(), endpointText(s.endpoint).c_str(),
                   static_cast<long long>(s.periodMs));
    consoleLog("clients %zu subscriptions %zu", server.clients.size(), server.subscriptions.size());
}

void runStats()
{
    consoleLog("received %llu answered %llu dropped %llu applied %llu pushed %llu meters %llu unknown %llu",
               static_cast<unsigned long long>(server.received), static_cast<unsigned long long>(server.answered),
               static_cast<unsigned long long>(server.dropped), static_cast<unsigned long long>(server.applied),
               static_cast<unsigned long long>(server.pushed), static_cast<unsigned long long>(server.meterBlobs),
               static_cast<unsigned long long>(server.unknown));
}

bool wordNumber(const std::vector<std::string>& words, size_t at, long low, long high, long& out)
{
    return words.size() > at && parseWholeNumber(words[at], low, high, out);
}

// Runs one line; false when the line holds the queue (wait) or quits.
bool runLine(const std::string& line, int64_t nowMs)
{
    std::vector<std::string> words = splitWords(line);
    if (words.empty() || words[0][0] == '#') return true;
    const std::string& verb = words[0];
    long number = 0;
    if (verb == "set") {
        runSet(words, line, nowMs);
    } else if (verb == "silent" && words.size() >= 2 && (words[1] == "on" || words[1] == "off")) {
        long forMs = 0;
        if (words[1] == "on" && words.size() >= 3 && !wordNumber(words, 2, 1, 86400000L, forMs)) {
            consoleLog("usage: silent on [MS]");
            return true;
        }
        setSilent(words[1] == "on", forMs > 0 ? nowMs + forMs : 0);
    } else if (verb == "ignore" && words.size() == 2) {
        if (words[1] == "none") server.ignored.clear();
        else server.ignored.push_back(words[1]);
        consoleLog("ignoring %zu addresses", server.ignored.size());
    } else if (verb == "delay" && wordNumber(words, 1, 0, 600000L, number)) {
        server.delayMs = static_cast<int>(number);
        consoleLog("delay %d ms", server.delayMs);
    } else if (verb == "drop" && wordNumber(words, 1, 0, 100, number)) {
        server.dropPercent = static_cast<int>(number);
        consoleLog("drop %d%%", server.dropPercent);
    } else if (verb == "scene" && wordNumber(words, 1, 1, 100000L, number)) {
        recallRandomScene(static_cast<int>(number), nowMs);
    } else if (verb == "dump" && words.size() == 2) {
        runDump(words[1]);
    } else if (verb == "shuffle" && words.size() == 1) {
        shuffleSettings(nowMs);
    } else if (verb == "writes" && words.size() == 1) {
        // Every write heard since the last "writes", in the order heard.
        for (const std::string& entry : server.writeLog) consoleLog("wrote %s", entry.c_str());
        consoleLog("writes %zu not logged %llu", server.writeLog.size(),
                   static_cast<unsigned long long>(server.writesNotLogged));
        server.writeLog.clear();
        server.writesNotLogged = 0;
    } else if (verb == "changes" && words.size() == 1) {
        runChanges();
    } else if (verb == "wait" && wordNumber(words, 1, 0, 86400000L, number)) {
        commands.resumeAtMs = nowMs + number;
        return false;
    } else if (verb == "clients") {
        runClients(nowMs);
    } else if (verb == "stats") {
        runStats();
    } else if (verb == "help") {
        consoleLog("%s", kHelp);
    } else if (verb == "quit") {
        commands.quitRequested = true;
        return false;
    } else {
        consoleLog("bad command: %s (%s)", line.c_str(), kHelp);
    }
    return true;
}

const char* const kSceneNames[] = {"Kick In", "Snr Top", "Lead", "Keys", "Pad", "Gtr Amp", "Horn", "Spare"};

}  // namespace

void recallRandomScene(int count, int64_t nowMs)
{
    std::vector<size_t> candidates;
    for (size_t i = 0; i < params.size(); ++i)
        if (params[i].address.compare(0, 7, "/-stat/") != 0) candidates.push_back(i);
    std::uniform_int_distribution<size_t> pick(0, candidates.size() - 1);
    std::uniform_real_distribution<float> level(0.0f, 1.0f);
    std::uniform_int_distribution<size_t> name(0, sizeof kSceneNames / sizeof kSceneNames[0] - 1);
    for (int n = 0; n < count; ++n) {
        Param& param = params[candidates[pick(server.random)]];
        if (param.type == 'f') {
            param.f = level(server.random);
        } else if (param.type == 'i') {
            std::uniform_int_distribution<int32_t> value(param.low, param.high);
            param.i = value(server.random);
        } else {
            param.s = kSceneNames[name(server.random)];
        }
        pushParam(param, nullptr, nowMs);
    }
    consoleLog("scene: %d changes", count);
}

void shuffleSettings(int64_t nowMs)
{
    auto pick = [](int low, int high) { return std::uniform_int_distribution<int>(low, high)(server.random); };
    auto put = [nowMs](const std::string& address, OscArg value) {
        if (Param* param = findParam(address); param && storeParamValue(*param, value)) pushParam(*param, nullptr, nowMs);
    };
    char address[40];
    const struct { const char* word; int count; } links[] = {
        {"chlink", 32}, {"auxlink", 8}, {"fxlink", 8}, {"buslink", 16}, {"mtxlink", 6}};
    for (const auto& link : links) {
        for (int n = 1; n < link.count; n += 2) {
            std::snprintf(address, sizeof address, "/config/%s/%d-%d", link.word, n, n + 1);
            put(address, oscInt(pick(0, 1)));
        }
    }
    for (int s = 0; s < 72; ++s) {
        const std::string p = stripPrefix(s);
        if (s < 32 || s >= 48) {
            put(p + "/insert/on", oscInt(pick(0, 1)));
            put(p + "/insert/pos", oscInt(pick(0, 1)));
            put(p + "/insert/sel", oscInt(pick(0, 22)));
        }
        if (s >= 64 && s < 70) put(p + "/preamp/invert", oscInt(pick(0, 1)));
        if (pick(0, 3) == 0) put(p + "/grp/dca", oscInt(pick(0, 255)));
        if (s >= 64 && pick(0, 3) == 0) put(p + "/grp/mute", oscInt(pick(0, 63)));
        std::snprintf(address, sizeof address, "/-stat/solosw/%02d", s + 1);
        put(address, oscInt(pick(0, 5) == 0 ? 1 : 0));
    }
    for (int g = 1; g <= 6; ++g) put("/config/mute/" + std::to_string(g), oscInt(pick(0, 1)));
    put("/config/routing/routswitch", oscInt(pick(0, 1)));
    put("/-stat/selidx", oscInt(pick(0, 71)));
    // Channels 1-8 under user routing: head amps the console does not name.
    if (pick(0, 1)) put("/config/routing/IN/1-8", oscInt(20));
    consoleLog("shuffled");
}

void runQueuedCommands(int64_t nowMs)
{
    while (!commands.quitRequested && !commands.lines.empty() && nowMs >= commands.resumeAtMs) {
        std::string line = commands.lines.front();
        commands.lines.pop_front();
        if (!runLine(line, nowMs)) break;
    }
}

int64_t msUntilCommandsResume(int64_t nowMs)
{
    if (commands.lines.empty() || nowMs >= commands.resumeAtMs) return -1;
    return commands.resumeAtMs - nowMs;
}
