// End-to-end tests of velumbra-console-sim as a real process on loopback.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>

#include "support/process.h"
#include "tools/device_probe.h"

namespace {

using Clock = std::chrono::steady_clock;

long msSince(Clock::time_point start)
{
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

struct Expected {
    const char* address;
    char type;
    double number;      // for 'i' and 'f'
    const char* text;   // for 's'
};

// Start values of a few parameters of every family, with their OSC types.
const Expected kStartValues[] = {
    {"/ch/01/config/name", 's', 0, "Kick"},
    {"/ch/01/config/color", 'i', 9, nullptr},
    {"/ch/01/mix/fader", 'f', 0.75, nullptr},
    {"/ch/29/mix/on", 'i', 0, nullptr},
    {"/ch/32/mix/on", 'i', 1, nullptr},
    {"/ch/03/grp/dca", 'i', 1, nullptr},
    {"/ch/17/grp/dca", 'i', 0x88, nullptr},
    {"/ch/08/automix/weight", 'f', 0.5, nullptr},
    {"/ch/25/config/name", 's', 0, "Trombone"},
    {"/ch/10/preamp/invert", 'i', 1, nullptr},
    {"/auxin/08/mix/fader", 'f', 0.0, nullptr},
    {"/auxin/01/config/source", 'i', 29, nullptr},
    {"/fxrtn/01/config/name", 's', 0, "Hall"},
    {"/fxrtn/08/grp/mute", 'i', 4, nullptr},
    {"/bus/16/mix/06/level", 'f', 0.0, nullptr},
    {"/bus/01/eq/6/type", 'i', 4, nullptr},
    {"/mtx/06/dyn/ratio", 'i', 4, nullptr},
    {"/main/st/mix/pan", 'f', 0.5, nullptr},
    {"/main/m/config/name", 's', 0, "Mono"},
    {"/main/m/mix/06/level", 'f', 0.75, nullptr},
    {"/dca/1/config/name", 's', 0, "Drums"},
    {"/dca/8/fader", 'f', 0.75, nullptr},
    {"/dca/8/config/color", 'i', 13, nullptr},
    {"/headamp/006/phantom", 'i', 1, nullptr},
    {"/headamp/127/phantom", 'i', 0, nullptr},
    {"/-ha/06/index", 'i', 6, nullptr},
    {"/-ha/32/index", 'i', 28, nullptr},
    {"/-ha/35/index", 'i', -1, nullptr},
    {"/-ha/79/index", 'i', -1, nullptr},
    {"/-stat/selidx", 'i', 0, nullptr},
    {"/-stat/solosw/80", 'i', 0, nullptr},
    {"/-stat/keysolo", 'i', 0, nullptr},
    {"/-stat/lock", 'i', 0, nullptr},
    {"/config/amixenable/Y", 'i', 0, nullptr},
    {"/config/routing/AES50B/41-48", 'i', 11, nullptr},
    {"/config/routing/OUT/13-16", 'i', 7, nullptr},
    {"/config/routing/routswitch", 'i', 0, nullptr},
    {"/config/userrout/in/32", 'i', 32, nullptr},
    {"/config/mute/6", 'i', 0, nullptr},
    {"/config/chlink/7-8", 'i', 1, nullptr},
    {"/fx/8/type", 'i', 27, nullptr},
    {"/fx/1/par/01", 'f', 0.5, nullptr},
};

// Addresses an X32 does not have (or not for that family): never answered.
const char* const kUnknownAddresses[] = {
    "/ch/33/mix/fader",    "/ch/00/mix/fader",       "/ch/1/mix/fader",       "/ch/09/automix/group",
    "/ch/01/eq/5/f",       "/ch/01/mix/17/level",    "/auxin/01/gate/on",     "/auxin/09/mix/fader",
    "/fxrtn/01/preamp/trim", "/bus/01/mix/07/level", "/bus/01/preamp/hpf",    "/mtx/01/mix/mono",
    "/mtx/07/mix/fader",   "/mtx/01/dyn/keysrc",     "/main/m/mix/pan",       "/main/st/grp/mute",
    "/main/st/keysolo",    "/dca/9/fader",           "/dca/1/mix/fader",      "/headamp/128/gain",
    "/headamp/7/gain",     "/-ha/80/index",          "/-ha/5/x",              "/-stat/solosw/81",
    "/fx/9/type",          "/fx/1/par/65",           "/config/routing/IN/33-40", "/status",
};

struct ConsoleSim {
    ChildProcess child;
    int port = 0;
    explicit ConsoleSim(const std::vector<std::string>& extra = {}) { port = startConsoleSim(child, extra); }
};

// Sends a query and returns the first message that comes back.
bool ask(ProbeSocket& socket, int port, const std::string& address, OscReply& reply, int timeoutMs = 2000)
{
    return sendBytes(socket, port, oscQuery(address)) && receiveOsc(socket, timeoutMs, reply);
}

void expectReplyValue(const OscReply& reply, const Expected& expected)
{
    ASSERT_EQ(reply.address, expected.address);
    ASSERT_EQ(reply.tags, std::string(1, expected.type));
    if (expected.type == 's') {
        EXPECT_EQ(reply.s, expected.text);
    } else if (expected.type == 'i') {
        EXPECT_EQ(reply.i, static_cast<int32_t>(expected.number));
    } else {
        EXPECT_FLOAT_EQ(reply.f, static_cast<float>(expected.number));
    }
}

void becomeRemote(ProbeSocket& socket, int port)
{
    // The reply to a query after "/xremote" proves the console has seen both.
    sendBytes(socket, port, oscQuery("/xremote"));
    OscReply reply;
    ASSERT_TRUE(ask(socket, port, "/-stat/lock", reply));
}

}  // namespace

TEST(ConsoleSim, AnswersQueriesWithTypedStartValues)
{
    ConsoleSim sim;
    ASSERT_GT(sim.port, 0);
    ProbeSocket probe;
    for (const Expected& expected : kStartValues) {
        SCOPED_TRACE(expected.address);
        OscReply reply;
        ASSERT_TRUE(ask(probe, sim.port, expected.address, reply));
        expectReplyValue(reply, expected);
    }
}

TEST(ConsoleSim, LeavesUnknownAddressesUnansweredAndLogsThem)
{
    ConsoleSim sim;
    ASSERT_GT(sim.port, 0);
    ProbeSocket probe;
    for (const char* address : kUnknownAddresses) ASSERT_TRUE(sendBytes(probe, sim.port, oscQuery(address)));
    // Loopback keeps the order: the first answer must be the one to this query.
    OscReply reply;
    ASSERT_TRUE(ask(probe, sim.port, "/ch/02/config/name", reply));
    EXPECT_EQ(reply.address, "/ch/02/config/name");
    for (const char* address : kUnknownAddresses) {
        std::string line;
        EXPECT_TRUE(waitForLine(sim.child, std::string("unknown address ") + address, 2000, line)) << address;
    }
}

TEST(ConsoleSim, AppliesWritesAndPushesThemToOtherRemoteClientsOnly)
{
    ConsoleSim sim;
    ASSERT_GT(sim.port, 0);
    ProbeSocket writer, listener, bystander;
    becomeRemote(writer, sim.port);
    becomeRemote(listener, sim.port);
    struct Write {
        Bytes message;
        Expected expected;
    };
    const Write writes[] = {
        {oscFloat("/ch/05/mix/fader", 0.25f), {"/ch/05/mix/fader", 'f', 0.25, nullptr}},
        {oscInt("/ch/32/mix/on", 0), {"/ch/32/mix/on", 'i', 0, nullptr}},
        {oscString("/ch/03/config/name", "Tom 1 new"), {"/ch/03/config/name", 's', 0, "Tom 1 new"}},
        {oscInt("/dca/3/on", 0), {"/dca/3/on", 'i', 0, nullptr}},
        {oscFloat("/main/m/mix/fader", 0.125f), {"/main/m/mix/fader", 'f', 0.125, nullptr}},
        {oscInt("/config/routing/AES50A/17-24", 3), {"/config/routing/AES50A/17-24", 'i', 3, nullptr}},
        {oscInt("/-stat/selidx", 48), {"/-stat/selidx", 'i', 48, nullptr}},
        {oscInt("/fx/3/par/04", 4), {"/fx/3/par/04", 'i', 4, nullptr}},   // the delay's factor
        {oscFloat("/fx/3/par/07", 0.5f), {"/fx/3/par/07", 'f', 0.5, nullptr}},
        {oscFloat("/headamp/007/gain", 0.875f), {"/headamp/007/gain", 'f', 0.875, nullptr}},
        {oscInt("/config/chlink/5-6", 1), {"/config/chlink/5-6", 'i', 1, nullptr}},
    };
    for (const Write& write : writes) {
        SCOPED_TRACE(write.expected.address);
        ASSERT_TRUE(sendBytes(writer, sim.port, write.message));
        OscReply pushed;
        ASSERT_TRUE(receiveOsc(listener, 2000, pushed));
        expectReplyValue(pushed, write.expected);
        OscReply answer;
        ASSERT_TRUE(ask(writer, sim.port, "/-stat/lock", answer));
        EXPECT_EQ(answer.address, "/-stat/lock");  // the writer gets no echo of its write
        ASSERT_TRUE(ask(bystander, sim.port, "/-stat/lock", answer));
        EXPECT_EQ(answer.address, "/-stat/lock");  // nor does a client without /xremote
        ASSERT_TRUE(ask(writer, sim.port, write.expected.address, answer));
        expectReplyValue(answer, write.expected);
    }
}

// Like the desk: four remote clients at most; a fifth gets no pushes.
TEST(ConsoleSim, ServesAtMostFourRemoteClients)
{
    ConsoleSim sim;
    ASSERT_GT(sim.port, 0);
    ProbeSocket clients[5], writer;
    for (ProbeSocket& client : clients) becomeRemote(client, sim.port);
    ASSERT_TRUE(sendBytes(writer, sim.port, oscFloat("/ch/05/mix/fader", 0.25f)));
    for (int n = 0; n < 5; ++n) {
        OscReply pushed;
        EXPECT_EQ(receiveOsc(clients[n], n < 4 ? 2000 : 200, pushed), n < 4) << "client " << n + 1;
    }
    std::string line;
    EXPECT_TRUE(waitForLine(sim.child, "client limit: ", 1000, line));
}

// Both emulators answer --help with their usage and success.
TEST(ConsoleSim, HelpOfBothEmulatorsPrintsUsageAndSucceeds)
{
    for (const char* program : {"velumbra-console-sim", "velumbra-surface-sim"}) {
        SCOPED_TRACE(program);
        ChildProcess child;
        ASSERT_TRUE(startProcess(child, std::string(VELUMBRA_TOOLS_DIR "/") + program, {"--help"}));
        ASSERT_TRUE(waitForExit(child, 3000));
        ASSERT_TRUE(WIFEXITED(child.exitStatus));
        EXPECT_EQ(WEXITSTATUS(child.exitStatus), 0);
        std::string line;
        EXPECT_TRUE(waitForLine(child, std::string("usage: ") + program, 100, line));
        for (const std::string& text : outputLines(child)) EXPECT_EQ(text.find("%%"), std::string::npos) << text;
    }
}

TEST(ConsoleSim, RejectsWritesOfTheWrongType)
{
    ConsoleSim sim;
    ASSERT_GT(sim.port, 0);
    ProbeSocket writer, listener;
    becomeRemote(listener, sim.port);
    ASSERT_TRUE(sendBytes(writer, sim.port, oscInt("/ch/05/mix/fader", 1)));
    ASSERT_TRUE(sendBytes(writer, sim.port, oscFloat("/ch/05/mix/on", 0.0f)));
    ASSERT_TRUE(sendBytes(writer, sim.port, oscInt("/ch/05/config/name", 3)));
    std::string line;
    EXPECT_TRUE(waitForLine(sim.child, "wrong type for /ch/05/mix/fader", 2000, line));
    OscReply reply;
    ASSERT_TRUE(ask(writer, sim.port, "/ch/05/mix/fader", reply));
    EXPECT_FLOAT_EQ(reply.f, 0.7f);
    ASSERT_TRUE(ask(writer, sim.port, "/ch/05/mix/on", reply));
    EXPECT_EQ(reply.i, 1);
    ASSERT_TRUE(ask(writer, sim.port, "/ch/05/config/name", reply));
    EXPECT_EQ(reply.s, "Tom 2");
    ASSERT_TRUE(ask(listener, sim.port, "/-stat/lock", reply));
    EXPECT_EQ(reply.address, "/-stat/lock");  // nothing was pushed
}

// The argument kinds of "/fx/N/par/NN" follow the slot's effect type, whether
// the type comes from a client or from the console's own keyboard.
TEST(ConsoleSim, EffectParametersFollowTheSlotsType)
{
    ConsoleSim sim;
    ASSERT_GT(sim.port, 0);
    ProbeSocket writer, listener;
    becomeRemote(writer, sim.port);
    becomeRemote(listener, sim.port);
    auto kindsOf = [&](int slot, int count) {
        std::string kinds;
        OscReply reply;
        for (int n = 1; n <= count; ++n) {
            char address[24];
            std::snprintf(address, sizeof address, "/fx/%d/par/%02d", slot, n);
            kinds += ask(writer, sim.port, address, reply) && reply.address == address ? reply.tags : "?";
        }
        return kinds;
    };
    EXPECT_EQ(kindsOf(3, 12), "ffiiifffffff");   // the delay it starts with
    // The type, then its 64 parameters, to every client.
    auto pushedKinds = [&](ProbeSocket& client, const char* slot) {
        std::string pushed;
        OscReply reply;
        while (pushed.size() < 64 && receiveOsc(client, 2000, reply)) {
            if (reply.address.compare(0, 9, std::string("/fx/") + slot + "/par") == 0) pushed += reply.tags;
        }
        return pushed;
    };
    ASSERT_TRUE(sendBytes(writer, sim.port, oscInt("/fx/3/type", 12)));
    EXPECT_EQ(pushedKinds(listener, "3"), "ffffffifififiii" + std::string(49, 'f'));
    EXPECT_EQ(pushedKinds(writer, "3"), "ffffffifififiii" + std::string(49, 'f'));
    EXPECT_EQ(kindsOf(3, 16), "ffffffifififiiif");
    ASSERT_TRUE(writeToProcess(sim.child, "set /fx/8/type 11\n"));
    EXPECT_EQ(pushedKinds(writer, "8"), "ffffffii" + std::string(56, 'f'));
    EXPECT_EQ(kindsOf(8, 8), "ffffffii");
    std::string line;
    ASSERT_TRUE(writeToProcess(sim.child, "set /fx/8/par/07 0.5\n"));
    EXPECT_TRUE(waitForLine(sim.child, "/fx/8/par/07 takes an integer", 2000, line));
}

TEST(ConsoleSim, ClearSoloClearsEverySoloAndTellsEveryRemoteClient)
{
    ConsoleSim sim;
    ASSERT_GT(sim.port, 0);
    ProbeSocket writer, listener;
    becomeRemote(writer, sim.port);
    becomeRemote(listener, sim.port);
    ASSERT_TRUE(sendBytes(writer, sim.port, oscInt("/-stat/solosw/03", 1)));
    ASSERT_TRUE(sendBytes(writer, sim.port, oscInt("/-stat/solosw/71", 1)));
    OscReply reply;
    ASSERT_TRUE(receiveOsc(listener, 2000, reply));
    ASSERT_TRUE(receiveOsc(listener, 2000, reply));
    ASSERT_TRUE(sendBytes(writer, sim.port, oscInt("/-action/clearsolo", 1)));
    for (ProbeSocket* client : {&writer, &listener}) {
        std::map<std::string, int32_t> solos;
        for (int n = 0; n < 2; ++n) {
            ASSERT_TRUE(receiveOsc(*client, 2000, reply));
            solos[reply.address] = reply.i;
        }
        EXPECT_EQ(solos, (std::map<std::string, int32_t>{{"/-stat/solosw/03", 0}, {"/-stat/solosw/71", 0}}));
    }
    ASSERT_TRUE(ask(writer, sim.port, "/-stat/solosw/71", reply));
    EXPECT_EQ(reply.i, 0);
}

TEST(ConsoleSim, StreamsMeterBlobsWithTheirLayoutToSubscribersOnly)
{
    ConsoleSim sim;
    ASSERT_GT(sim.port, 0);
    ProbeSocket subscriber, other;
    const char* const aliases[3] = {"/meter1", "/meter2", "/meter3"};
    const size_t minimum[3] = {32, 25, 22};
    for (int k = 0; k < 3; ++k)
        ASSERT_TRUE(sendBytes(subscriber, sim.port, oscSubscribe(aliases[k], "/meters/" + std::to_string(k + 1))));
    ASSERT_TRUE(sendBytes(other, sim.port, oscSubscribe("/meter9", "/meters/9")));
    std::map<std::string, std::vector<std::vector<float>>> blocks;
    for (const Bytes& bytes : receiveAll(subscriber, 700)) {
        OscReply reply;
        ASSERT_TRUE(decodeOsc(bytes, reply));
        ASSERT_EQ(reply.tags, "b");
        ASSERT_GE(reply.blob.size(), 4u);
        int32_t count;
        std::memcpy(&count, reply.blob.data(), 4);  // little-endian, as the host
        ASSERT_EQ(reply.blob.size(), 4 + 4 * static_cast<size_t>(count));
        std::vector<float> values(static_cast<size_t>(count));
        std::memcpy(values.data(), reply.blob.data() + 4, 4 * values.size());
        for (float value : values) ASSERT_TRUE(value >= 0.0f && value <= 1.0f) << value;
        blocks[reply.address].push_back(values);
    }
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE(aliases[k]);
        const auto& series = blocks[aliases[k]];
        ASSERT_GE(series.size(), 6u);  // about 20 a second
        ASSERT_GE(series.front().size(), minimum[k]);
        EXPECT_NE(series.front(), series.back());  // levels move
    }
    EXPECT_EQ(blocks.size(), 3u);
    EXPECT_FLOAT_EQ(blocks["/meter1"].back()[28], 0.0f);  // channel 29 is muted
    EXPECT_GT(blocks["/meter1"].back()[0], 0.0f);
    EXPECT_TRUE(receiveAll(other, 100).empty());
}

TEST(ConsoleSim, DelaysAnswersByTheGivenTime)
{
    ConsoleSim sim({"--delay-ms", "300"});
    ASSERT_GT(sim.port, 0);
    ProbeSocket probe;
    auto start = Clock::now();
    OscReply reply;
    ASSERT_TRUE(ask(probe, sim.port, "/ch/01/mix/fader", reply, 2000));
    EXPECT_GE(msSince(start), 290);
    ASSERT_TRUE(writeToProcess(sim.child, "delay 0\n"));
    std::string line;
    ASSERT_TRUE(waitForLine(sim.child, "delay 0 ms", 2000, line));
    start = Clock::now();
    ASSERT_TRUE(ask(probe, sim.port, "/ch/01/mix/fader", reply, 2000));
    EXPECT_LT(msSince(start), 250);
}

TEST(ConsoleSim, DropsTheGivenShareOfAnswers)
{
    ConsoleSim sim({"--drop-percent", "50", "--seed", "7"});
    ASSERT_GT(sim.port, 0);
    ProbeSocket probe;
    for (int n = 0; n < 200; ++n) ASSERT_TRUE(sendBytes(probe, sim.port, oscQuery("/ch/01/mix/fader")));
    size_t answers = receiveAll(probe, 500).size();
    EXPECT_GT(answers, 50u);
    EXPECT_LT(answers, 150u);
    ASSERT_TRUE(writeToProcess(sim.child, "drop 100\n"));
    std::string line;
    ASSERT_TRUE(waitForLine(sim.child, "drop 100%", 2000, line));
    for (int n = 0; n < 20; ++n) ASSERT_TRUE(sendBytes(probe, sim.port, oscQuery("/ch/01/mix/fader")));
    EXPECT_TRUE(receiveAll(probe, 200).empty());
}

TEST(ConsoleSim, GoesSilentOnCommandAndComesBack)
{
    ConsoleSim sim;
    ASSERT_GT(sim.port, 0);
    ProbeSocket probe, meters;
    ASSERT_TRUE(sendBytes(meters, sim.port, oscSubscribe("/meter1", "/meters/1")));
    Bytes blob;
    ASSERT_TRUE(receiveBytes(meters, 1000, blob));
    ASSERT_TRUE(writeToProcess(sim.child, "silent on\n"));
    std::string line;
    ASSERT_TRUE(waitForLine(sim.child, "silent", 2000, line));
    receiveAll(meters, 60);  // what was already under way
    ASSERT_TRUE(sendBytes(probe, sim.port, oscFloat("/ch/01/mix/fader", 0.1f)));
    ASSERT_TRUE(sendBytes(probe, sim.port, oscQuery("/ch/01/mix/fader")));
    EXPECT_TRUE(receiveAll(probe, 200).empty());
    EXPECT_TRUE(receiveAll(meters, 150).empty());
    ASSERT_TRUE(writeToProcess(sim.child, "silent off\n"));
    ASSERT_TRUE(waitForLine(sim.child, "answering again", 2000, line));
    OscReply reply;
    ASSERT_TRUE(ask(probe, sim.port, "/ch/01/mix/fader", reply));
    EXPECT_FLOAT_EQ(reply.f, 0.75f);  // the write made while silent was lost
    EXPECT_TRUE(receiveBytes(meters, 1000, blob));  // subscription still renewed in time
}

TEST(ConsoleSim, GoesSilentAfterTheGivenTime)
{
    ConsoleSim sim({"--silent-after-ms", "400"});
    ASSERT_GT(sim.port, 0);
    ProbeSocket probe;
    OscReply reply;
    ASSERT_TRUE(ask(probe, sim.port, "/ch/01/mix/fader", reply));
    std::string line;
    ASSERT_TRUE(waitForLine(sim.child, "silent", 3000, line));
    ASSERT_TRUE(sendBytes(probe, sim.port, oscQuery("/ch/01/mix/fader")));
    EXPECT_TRUE(receiveAll(probe, 200).empty());
}

TEST(ConsoleSim, CommandsSetDumpAndRecallScenes)
{
    ConsoleSim sim;
    ASSERT_GT(sim.port, 0);
    ProbeSocket remote;
    becomeRemote(remote, sim.port);
    ASSERT_TRUE(writeToProcess(sim.child, "set /ch/01/mix/fader 0.5\nset /ch/02/config/name Snare Top\n"
                                          "dump /ch/01/mix/fader\ndump /ch/02/config/name\ndump /-ha/00/index\n"));
    OscReply reply;
    ASSERT_TRUE(receiveOsc(remote, 2000, reply));
    EXPECT_EQ(reply.address, "/ch/01/mix/fader");
    EXPECT_FLOAT_EQ(reply.f, 0.5f);
    ASSERT_TRUE(receiveOsc(remote, 2000, reply));
    EXPECT_EQ(reply.s, "Snare Top");
    std::string line;
    ASSERT_TRUE(waitForLine(sim.child, "/ch/01/mix/fader ", 2000, line));
    EXPECT_EQ(line, "/ch/01/mix/fader f 0.500000");
    ASSERT_TRUE(waitForLine(sim.child, "/ch/02/config/name ", 2000, line));
    EXPECT_EQ(line, "/ch/02/config/name s \"Snare Top\"");
    ASSERT_TRUE(waitForLine(sim.child, "/-ha/00/index ", 2000, line));
    EXPECT_EQ(line, "/-ha/00/index i 0");
    // Small enough to fit the probe's default receive buffer as one burst.
    ASSERT_TRUE(writeToProcess(sim.child, "scene 120\n"));
    std::vector<Bytes> burst = receiveAll(remote, 1000);
    size_t typeChanges = 0;   // each brings the slot's 64 parameters along
    for (const Bytes& bytes : burst) {
        ASSERT_TRUE(decodeOsc(bytes, reply));
        ASSERT_EQ(reply.tags.size(), 1u);
        EXPECT_NE(reply.address.rfind("/-stat/", 0), 0u) << reply.address;
        typeChanges += reply.address.size() == 10 && reply.address.compare(6, 4, "type") == 0;
    }
    EXPECT_EQ(burst.size(), 120u + 64u * typeChanges);
}

TEST(ConsoleSim, RunsAScriptFileBeforeStandardInput)
{
    char path[] = "/tmp/velumbra-console-script-XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    const char script[] = "set /dca/2/config/name Low End\nwait 100\ndump /dca/2/config/name\n";
    ASSERT_EQ(write(fd, script, sizeof script - 1), static_cast<ssize_t>(sizeof script - 1));
    close(fd);
    ConsoleSim sim({"--script", path});
    unlink(path);
    ASSERT_GT(sim.port, 0);
    std::string line;
    ASSERT_TRUE(waitForLine(sim.child, "/dca/2/config/name ", 2000, line));
    EXPECT_EQ(line, "/dca/2/config/name s \"Low End\"");
}

TEST(ConsoleSim, SurvivesMalformedDatagrams)
{
    ConsoleSim sim;
    ASSERT_GT(sim.port, 0);
    ProbeSocket probe;
    const Bytes bad[] = {
        {},
        {'/', 'c', 'h'},
        {'/', 'x', 0, 0, ',', 'i', 0, 0},                       // integer missing
        {'/', 'x', 0, 0, ',', 's', 0, 0, 'a', 'b', 'c', 'd'},  // string not ended
        {'#', 'b', 'u', 'n', 'd', 'l', 'e', 0},
        {'/', 'a', 0, 0, ',', 'b', 0, 0, 0x7F, 0xFF, 0xFF, 0xFF},  // huge blob size
        {'/', 'a', 0, 0, ',', 'q', 0, 0},
    };
    for (const Bytes& bytes : bad) ASSERT_TRUE(sendBytes(probe, sim.port, bytes));
    OscReply reply;
    ASSERT_TRUE(ask(probe, sim.port, "/ch/01/config/name", reply));
    EXPECT_EQ(reply.s, "Kick");
    std::string line;
    EXPECT_TRUE(waitForLine(sim.child, "malformed datagram", 2000, line));
}

TEST(ConsoleSim, KeepsRunningIdleAfterInputEnds)
{
    ConsoleSim sim;
    ASSERT_GT(sim.port, 0);
    closeProcessInput(sim.child);
    long before = processCpuTicks(sim.child.pid);
    usleep(500 * 1000);
    long after = processCpuTicks(sim.child.pid);
    ASSERT_GE(before, 0);
    EXPECT_LT(after - before, 10);  // 0.1 s of CPU at most in 0.5 s: not spinning
    ProbeSocket probe;
    OscReply reply;
    ASSERT_TRUE(ask(probe, sim.port, "/dca/1/fader", reply));
    EXPECT_FLOAT_EQ(reply.f, 0.75f);
}

class ConsoleSimSignal : public ::testing::TestWithParam<int> {};

TEST_P(ConsoleSimSignal, StopsPromptlyAndCleanly)
{
    ConsoleSim sim;
    ASSERT_GT(sim.port, 0);
    ProbeSocket probe;
    ASSERT_TRUE(sendBytes(probe, sim.port, oscSubscribe("/meter1", "/meters/1")));
    auto start = Clock::now();
    kill(sim.child.pid, GetParam());
    ASSERT_TRUE(waitForExit(sim.child, 1000 * SANITIZER_SLOWDOWN));
    EXPECT_LT(msSince(start), 1000 * SANITIZER_SLOWDOWN);
    ASSERT_TRUE(WIFEXITED(sim.child.exitStatus));
    EXPECT_EQ(WEXITSTATUS(sim.child.exitStatus), 0);
    std::string line;
    EXPECT_TRUE(waitForLine(sim.child, "stopped", 100, line));
}

INSTANTIATE_TEST_SUITE_P(Signals, ConsoleSimSignal, ::testing::Values(SIGINT, SIGTERM));

TEST(ConsoleSim, QuitCommandEndsTheProgram)
{
    ConsoleSim sim;
    ASSERT_GT(sim.port, 0);
    ASSERT_TRUE(writeToProcess(sim.child, "quit\n"));
    ASSERT_TRUE(waitForExit(sim.child, 2000));
    EXPECT_TRUE(WIFEXITED(sim.child.exitStatus));
}
