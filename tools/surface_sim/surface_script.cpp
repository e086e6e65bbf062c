#include "surface_script.h"

#include <cstdlib>
#include <vector>

#include "../common/sim_common.h"
#include "surface_output.h"
#include "surface_state.h"

ScriptState script;

const char* const kScriptHelp =
    "commands: press NOTE | down NOTE | up NOTE | turn ENC VALUE|+TICKS|-TICKS | fader N POS | "
    "touch N 0|1 | raw HEX... | restart | wait MS | dump | expect [within MS] LINE | quit";

namespace {

bool number(const std::vector<std::string>& words, size_t at, long low, long high, long& out)
{
    return words.size() > at && parseWholeNumber(words[at], low, high, out);
}

// Encoder value: 0..127 as sent, or +N / -N ticks (N 1..63).
bool encoderValue(const std::string& word, long& out)
{
    long ticks = 0;
    if (word.size() > 1 && word[0] == '+' && parseWholeNumber(word.substr(1), 1, 63, ticks)) {
        out = ticks;
        return true;
    }
    if (word.size() > 1 && word[0] == '-' && parseWholeNumber(word.substr(1), 1, 63, ticks)) {
        out = 64 + ticks;
        return true;
    }
    return parseWholeNumber(word, 0, 127, out);
}

bool position(const std::string& word, double& out)
{
    char* end = nullptr;
    out = std::strtod(word.c_str(), &end);
    return !word.empty() && *end == '\0' && out >= 0.0 && out <= 1.0;
}

// The text after "expect" and an optional "within MS", trimmed.
std::string expectedText(const std::string& line, size_t skipWords)
{
    size_t i = 0;
    for (size_t word = 0; word < skipWords; ++word) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    }
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    std::string text = line.substr(i);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
    return text;
}

bool stateHasLine(const std::string& text)
{
    for (const std::string& line : surfaceDumpLines(true))
        if (line == text) return true;
    return false;
}

void startExpect(const std::vector<std::string>& words, const std::string& line, int64_t nowMs)
{
    long within = kDefaultExpectMs;
    size_t skip = 1;
    if (words.size() >= 3 && words[1] == "within") {
        if (!number(words, 2, 0, 3600000L, within)) {
            say("error: expect within MS LINE");
            return;
        }
        skip = 3;
    }
    script.expected = expectedText(line, skip);
    if (script.expected.empty()) {
        say("error: expect needs a dump line");
        return;
    }
    script.expecting = true;
    script.expectDeadlineMs = nowMs + within;
    checkExpectation(nowMs);
}

bool sendCommand(const std::vector<std::string>& words)
{
    const std::string& verb = words[0];
    long a = 0;
    long b = 0;
    double pos = 0.0;
    std::vector<uint8_t> bytes;
    if (verb == "press" && words.size() == 2 && number(words, 1, 0, 127, a)) {
        sendToBridge(noteMessage(static_cast<int>(a), 127));
        sendToBridge(noteMessage(static_cast<int>(a), 0));
    } else if ((verb == "down" || verb == "up") && words.size() == 2 && number(words, 1, 0, 127, a)) {
        sendToBridge(noteMessage(static_cast<int>(a), verb == "down" ? 127 : 0));
    } else if (verb == "turn" && words.size() == 3 && number(words, 1, 1, 8, a) && encoderValue(words[2], b)) {
        sendToBridge(encoderMessage(static_cast<int>(a), static_cast<int>(b)));
    } else if (verb == "fader" && words.size() == 3 && number(words, 1, 1, 9, a) && position(words[2], pos)) {
        moveFaderByHand(static_cast<int>(a), pos);
    } else if (verb == "touch" && words.size() == 3 && number(words, 1, 1, 9, a) && number(words, 2, 0, 1, b)) {
        holdFader(static_cast<int>(a), b == 1);
    } else if (verb == "raw" && parseHexWords(words, 1, bytes)) {
        sendToBridge(bytes);
    } else {
        return false;
    }
    return true;
}

// Runs one line; false when it holds the lines after it (wait, expect, quit).
bool runLine(const std::string& line, int64_t nowMs)
{
    std::vector<std::string> words = splitWords(line);
    if (words.empty() || words[0][0] == '#') return true;
    const std::string& verb = words[0];
    long ms = 0;
    if (verb == "wait") {
        if (!number(words, 1, 0, 86400000L, ms)) {
            say("error: wait MS");
            return true;
        }
        script.resumeAtMs = nowMs + ms;
        return ms == 0;
    }
    if (verb == "dump") {
        for (const std::string& text : surfaceDumpLines(false)) say("%s", text.c_str());
        return true;
    }
    if (verb == "expect") {
        startExpect(words, line, nowMs);
        return !script.expecting;
    }
    if (verb == "restart") {
        restartSurface(nowMs);
        say("restarted");
        return true;
    }
    if (verb == "help") {
        say("%s", kScriptHelp);
        return true;
    }
    if (verb == "quit") {
        script.quitRequested = true;
        return false;
    }
    if (!sendCommand(words)) say("error: bad command: %s", line.c_str());
    return true;
}

}  // namespace

void runScript(int64_t nowMs)
{
    while (!script.quitRequested && !script.expecting && nowMs >= script.resumeAtMs && !script.lines.empty()) {
        std::string line = script.lines.front();
        script.lines.pop_front();
        if (!runLine(line, nowMs)) break;
    }
}

void checkExpectation(int64_t nowMs)
{
    if (!script.expecting) return;
    if (stateHasLine(script.expected)) {
        say("expect ok: %s", script.expected.c_str());
        script.expecting = false;
    } else if (nowMs >= script.expectDeadlineMs) {
        say("expect failed: %s", script.expected.c_str());
        ++script.failedExpectations;
        script.expecting = false;
    }
}

int64_t msUntilScriptDue(int64_t nowMs)
{
    if (script.expecting) return script.expectDeadlineMs > nowMs ? script.expectDeadlineMs - nowMs : 0;
    if (!script.lines.empty() && script.resumeAtMs > nowMs) return script.resumeAtMs - nowMs;
    return -1;
}

bool scriptIdle() { return script.lines.empty() && !script.expecting && !script.quitRequested; }
