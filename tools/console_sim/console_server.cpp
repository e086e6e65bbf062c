#include "console_server.h"

#include <sys/socket.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "../common/sim_common.h"
#include "meters.h"
#include "xinfo.h"

ConsoleServer server;

void consoleLog(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vfprintf(stdout, format, args);
    va_end(args);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

namespace {

bool isLive(int64_t lastMs, int64_t nowMs) { return nowMs - lastMs < kRemoteWindowMs; }

// Head amp feeding a channel or aux input: its source picks a console input
// 1-32, whose routing block says where that input comes from. Local inputs
// and the two AES50 ports have head amps (0-31, 32-79, 80-127); card and
// other sources have none.
int headAmpIndexOfStrip(int strip)
{
    if (strip < 0 || strip >= 40) return -1;
    int source = intValueOf(stripPrefix(strip) + "/config/source", 0);
    if (source < 1 || source > 32) return -1;
    int input = source - 1;
    static const char* const blocks[4] = {"1-8", "9-16", "17-24", "25-32"};
    // The routing switch puts the playback blocks in place of the input blocks.
    const char* row = intValueOf("/config/routing/routswitch", 0) == 1 ? "PLAY" : "IN";
    int block = intValueOf(std::string("/config/routing/") + row + "/" + blocks[input / 8], -1);
    int base;
    if (block >= 0 && block <= 3) base = block * 8;
    else if (block >= 4 && block <= 9) base = 32 + (block - 4) * 8;
    else if (block >= 10 && block <= 15) base = 80 + (block - 10) * 8;
    else return -1;
    return base + input % 8;
}

// "/-ha/NN/index" with NN 00..79 gives NN; -1 for anything else.
int headAmpQueryStrip(const std::string& address)
{
    const std::string prefix = "/-ha/";
    const std::string suffix = "/index";
    if (address.size() <= prefix.size() + suffix.size()) return -1;
    if (address.compare(0, prefix.size(), prefix) != 0) return -1;
    if (address.compare(address.size() - suffix.size(), suffix.size(), suffix) != 0) return -1;
    std::string number = address.substr(prefix.size(), address.size() - prefix.size() - suffix.size());
    long strip = 0;
    for (char c : number)
        if (c < '0' || c > '9') return -1;
    if (!parseWholeNumber(number, 0, 79, strip)) return -1;
    return static_cast<int>(strip);
}

void sendNow(const sockaddr_in& to, const std::vector<uint8_t>& bytes)
{
    if (!sendDatagram(server.socketFd, to, bytes.data(), bytes.size()) && server.verbose)
        consoleLog("send to %s failed", endpointText(to).c_str());
}

void sendAnswer(const sockaddr_in& to, const std::string& address, const OscArg& value, int64_t nowMs)
{
    if (server.dropPercent > 0) {
        std::uniform_int_distribution<int> roll(0, 99);
        if (roll(server.random) < server.dropPercent) {
            ++server.dropped;
            if (server.verbose) consoleLog("dropped answer %s", address.c_str());
            return;
        }
    }
    ++server.answered;
    std::vector<uint8_t> bytes = encodeOscMessage(address, {value});
    if (server.delayMs > 0) {
        server.pending.push_back({nowMs + server.delayMs, to, std::move(bytes)});
        return;
    }
    sendNow(to, bytes);
}

RemoteClient* findClient(const sockaddr_in& endpoint)
{
    for (RemoteClient& client : server.clients)
        if (sameEndpoint(client.endpoint, endpoint)) return &client;
    return nullptr;
}

void renewSubscriptions(const sockaddr_in& from, const std::string* alias, int64_t nowMs)
{
    for (MeterSubscription& subscription : server.subscriptions)
        if (sameEndpoint(subscription.endpoint, from) && (alias == nullptr || subscription.alias == *alias))
            subscription.renewedMs = nowMs;
}

// Endpoints served now: remote clients and meter subscribers, each once.
size_t servedEndpoints(const sockaddr_in* plus)
{
    std::vector<sockaddr_in> seen;
    auto add = [&](const sockaddr_in& e) {
        for (const sockaddr_in& s : seen)
            if (sameEndpoint(s, e)) return;
        seen.push_back(e);
    };
    for (const RemoteClient& client : server.clients) add(client.endpoint);
    for (const MeterSubscription& subscription : server.subscriptions) add(subscription.endpoint);
    if (plus != nullptr) add(*plus);
    return seen.size();
}

bool turnedAway(const sockaddr_in& from)
{
    if (servedEndpoints(&from) <= kMaxClients) return false;
    consoleLog("client limit: %s turned away", endpointText(from).c_str());
    return true;
}

void handleXremote(const sockaddr_in& from, int64_t nowMs)
{
    if (RemoteClient* client = findClient(from)) {
        client->lastXremoteMs = nowMs;
    } else if (!turnedAway(from)) {
        server.clients.push_back({from, nowMs});
        consoleLog("remote client %s", endpointText(from).c_str());
    }
}

void handleBatchSubscribe(const OscMessage& message, const sockaddr_in& from, int64_t nowMs)
{
    if (message.tags.size() < 2 || message.tags.compare(0, 2, "ss") != 0) {
        consoleLog("bad /batchsubscribe from %s: %s", endpointText(from).c_str(),
                   describeOscMessage(message).c_str());
        return;
    }
    const std::string& alias = message.args[0].s;
    int block = meterBlockNumber(message.args[1].s);
    if (block == 0 || alias.empty() || alias[0] != '/') {
        consoleLog("unknown meter subscription %s", describeOscMessage(message).c_str());
        return;
    }
    if (turnedAway(from)) return;
    int64_t factor = 1;
    if (message.tags.size() >= 5 && message.tags[4] == 'i') factor = std::clamp<int64_t>(message.args[4].i, 1, 20);
    server.subscriptions.erase(
        std::remove_if(server.subscriptions.begin(), server.subscriptions.end(),
                       [&](const MeterSubscription& s) { return sameEndpoint(s.endpoint, from) && s.alias == alias; }),
        server.subscriptions.end());
    server.subscriptions.push_back({from, alias, block, kMeterPeriodMs * factor, nowMs, nowMs});
    consoleLog("meters %s as %s to %s", message.args[1].s.c_str(), alias.c_str(), endpointText(from).c_str());
}

void handleWrite(const OscMessage& message, const sockaddr_in& from, int64_t nowMs)
{
    Param* param = findParam(message.address);
    if (param == nullptr) {
        ++server.unknown;
        consoleLog("unknown address %s (write from %s)", describeOscMessage(message).c_str(),
                   endpointText(from).c_str());
        return;
    }
    if (!storeParamValue(*param, message.args[0])) {
        consoleLog("wrong type for %s: got ,%s, holds ,%c", message.address.c_str(), message.tags.c_str(),
                   param->type);
        return;
    }
    ++server.applied;
    pushParam(*param, &from, nowMs);
}

// An ignored entry is an address, or a prefix ending in '*'.
bool isIgnored(const std::string& address)
{
    for (const std::string& entry : server.ignored) {
        if (!entry.empty() && entry.back() == '*'
                ? address.compare(0, entry.size() - 1, entry, 0, entry.size() - 1) == 0
                : address == entry)
            return true;
    }
    return false;
}

void handleQuery(const OscMessage& message, const sockaddr_in& from, int64_t nowMs)
{
    if (isIgnored(message.address)) {
        consoleLog("ignored query %s", message.address.c_str());
        return;
    }
    OscArg value;
    if (!queryValue(message.address, value)) {
        ++server.unknown;
        consoleLog("unknown address %s (query from %s)", message.address.c_str(), endpointText(from).c_str());
        return;
    }
    sendAnswer(from, message.address, value, nowMs);
}

}  // namespace

bool queryValue(const std::string& address, OscArg& out)
{
    if (const Param* param = findParam(address)) {
        out = paramValue(*param);
        return true;
    }
    int strip = headAmpQueryStrip(address);
    if (strip < 0) return false;
    out = oscInt(headAmpIndexOfStrip(strip));
    return true;
}

static void pushOneParam(const Param& param, const sockaddr_in* except, int64_t nowMs)
{
    if (server.silent) return;
    std::vector<uint8_t> bytes;
    for (const RemoteClient& client : server.clients) {
        if (!isLive(client.lastXremoteMs, nowMs)) continue;
        if (except != nullptr && sameEndpoint(client.endpoint, *except)) continue;
        if (bytes.empty()) bytes = encodeOscMessage(param.address, {paramValue(param)});
        sendNow(client.endpoint, bytes);
        ++server.pushed;
    }
}

void pushParam(const Param& param, const sockaddr_in* except, int64_t nowMs)
{
    pushOneParam(param, except, nowMs);
    if (param.fxSlot == 0) return;
    // A new effect type brings new parameter values, the writer's included.
    char address[24];
    for (int n = 1; n <= 64; ++n) {
        std::snprintf(address, sizeof address, "/fx/%d/par/%02d", param.fxSlot, n);
        if (const Param* par = findParam(address)) pushOneParam(*par, nullptr, nowMs);
    }
}

void clearAllSolos(int64_t nowMs)
{
    char address[32];
    for (int n = 1; n <= 80; ++n) {
        std::snprintf(address, sizeof address, "/-stat/solosw/%02d", n);
        Param* param = findParam(address);
        if (param == nullptr || param->i == 0) continue;
        param->i = 0;
        pushParam(*param, nullptr, nowMs);
    }
}

void setSilent(bool on, int64_t untilMs)
{
    if (on != server.silent) consoleLog(on ? "silent" : "answering again");
    server.silent = on;
    server.silentUntilMs = on ? untilMs : 0;
    if (on) server.pending.clear();
}

namespace {
void logWrite(const OscMessage& message)
{
    if (server.writeLog.size() >= kWriteLogMax) {
        ++server.writesNotLogged;
        return;
    }
    std::string entry = message.address;
    for (const OscArg& arg : message.args) {
        char value[32];
        if (arg.type == 'i') std::snprintf(value, sizeof value, " i %d", arg.i);
        else if (arg.type == 'f') std::snprintf(value, sizeof value, " f %.6f", static_cast<double>(arg.f));
        else std::snprintf(value, sizeof value, " %c", arg.type);
        entry += value;
    }
    server.writeLog.push_back(std::move(entry));
}
}  // namespace

void handleConsoleDatagram(const uint8_t* data, size_t length, const sockaddr_in& from, int64_t nowMs)
{
    ++server.received;
    OscMessage message;
    std::string why;
    if (!parseOscMessage(data, length, message, why)) {
        consoleLog("malformed datagram from %s (%zu bytes): %s", endpointText(from).c_str(), length, why.c_str());
        return;
    }
    if (server.silent) {
        if (server.verbose) consoleLog("silent, ignored %s", describeOscMessage(message).c_str());
        return;
    }
    if (server.verbose) consoleLog("from %s: %s", endpointText(from).c_str(), describeOscMessage(message).c_str());
    const std::string& address = message.address;
    if (address == "/xremote") {
        handleXremote(from, nowMs);
    } else if (address == "/renew") {
        const std::string* alias = !message.args.empty() && message.args[0].type == 's' ? &message.args[0].s : nullptr;
        renewSubscriptions(from, alias, nowMs);
    } else if (address == "/batchsubscribe") {
        handleBatchSubscribe(message, from, nowMs);
    } else if (address == "/xinfo") {
        answerXinfo(server.socketFd, from);
    } else if (address == "/-action/clearsolo") {
        logWrite(message);
        if (message.args.size() == 1 && message.args[0].type == 'i') clearAllSolos(nowMs);
        else consoleLog("/-action/clearsolo needs one integer: %s", describeOscMessage(message).c_str());
    } else if (message.args.empty()) {
        handleQuery(message, from, nowMs);
    } else if (message.args.size() == 1) {
        logWrite(message);
        handleWrite(message, from, nowMs);
    } else {
        consoleLog("unexpected arguments: %s", describeOscMessage(message).c_str());
    }
}

int serviceConsoleTimers(int64_t nowMs, int maxWaitMs)
{
    int64_t next = nowMs + maxWaitMs;
    if (server.silent && server.silentUntilMs > 0) {
        if (nowMs >= server.silentUntilMs) setSilent(false, 0);
        else next = std::min(next, server.silentUntilMs);
    }
    for (size_t i = 0; i < server.pending.size();) {
        if (server.pending[i].dueMs <= nowMs) {
            sendNow(server.pending[i].to, server.pending[i].bytes);
            server.pending.erase(server.pending.begin() + static_cast<long>(i));
        } else {
            next = std::min(next, server.pending[i].dueMs);
            ++i;
        }
    }
    server.clients.erase(std::remove_if(server.clients.begin(), server.clients.end(),
                                        [&](const RemoteClient& c) { return !isLive(c.lastXremoteMs, nowMs); }),
                         server.clients.end());
    server.subscriptions.erase(
        std::remove_if(server.subscriptions.begin(), server.subscriptions.end(),
                       [&](const MeterSubscription& s) { return !isLive(s.renewedMs, nowMs); }),
        server.subscriptions.end());
    for (MeterSubscription& subscription : server.subscriptions) {
        if (subscription.nextSendMs <= nowMs) {
            if (!server.silent) {
                sendNow(subscription.endpoint,
                        meterBlobMessage(subscription.alias, meterBlockValues(subscription.block, nowMs)));
                ++server.meterBlobs;
            }
            subscription.nextSendMs += subscription.periodMs;
            if (subscription.nextSendMs <= nowMs) subscription.nextSendMs = nowMs + subscription.periodMs;
        }
        next = std::min(next, subscription.nextSendMs);
    }
    return static_cast<int>(std::max<int64_t>(0, next - nowMs));
}
