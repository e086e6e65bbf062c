// The console emulator holds, strip family by strip family, exactly the
// addresses the real console has: an extra one hides a query the bridge
// should not make, a missing one a value the bridge cannot read. The table
// here is written from the console's address list, not from the emulator.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include "support/process.h"
#include "tools/device_probe.h"

namespace {

struct FamilyAddresses {
    const char* dumpPrefix;  // what "dump PREFIX*" is given
    const char* root;        // printf pattern taking the strip number
    int count;
    const char* mix;         // space-separated words after "mix/" ("" for the DCAs' own on/fader)
    const char* preamp;      // words after "preamp/"
    bool gate;
    int dynamics;            // 0 none, 1 without key source, 2 with
    int eqBands;
    bool insert;
    bool groups;
    int sends;
    bool channelExtras;      // config/source, delay, automix on 1-8
    bool source;             // config/source alone (aux inputs)
};

const FamilyAddresses families[] = {
    {"/ch/", "/ch/%02d", 32, "on fader st mono mlevel pan", "trim invert hpon hpslope hpf", true, 2, 4, true, true, 16, true, true},
    {"/auxin/", "/auxin/%02d", 8, "on fader st mono mlevel pan", "trim invert", false, 0, 4, false, true, 16, false, true},
    {"/fxrtn/", "/fxrtn/%02d", 8, "on fader st mono mlevel pan", "", false, 0, 4, false, true, 16, false, false},
    {"/bus/", "/bus/%02d", 16, "on fader st mono mlevel pan", "", false, 2, 6, true, true, 6, false, false},
    {"/mtx/", "/mtx/%02d", 6, "on fader", "invert", false, 1, 6, true, true, 0, false, false},
    {"/main/st/", "/main/st", 1, "on fader pan", "", false, 1, 6, true, true, 6, false, false},
    {"/main/m/", "/main/m", 1, "on fader", "", false, 1, 6, true, true, 6, false, false},
    {"/dca/", "/dca/%d", 8, nullptr, "", false, 0, 0, false, false, 0, false, false},
};

void addWords(std::set<std::string>& out, const std::string& prefix, const char* words)
{
    std::string word;
    for (const char* c = words;; ++c) {
        if (*c == ' ' || *c == '\0') {
            if (!word.empty()) out.insert(prefix + word);
            word.clear();
            if (*c == '\0') return;
        } else {
            word += *c;
        }
    }
}

std::set<std::string> expectedAddresses(const FamilyAddresses& f)
{
    std::set<std::string> out;
    for (int n = 1; n <= f.count; ++n) {
        char root[24];
        std::snprintf(root, sizeof root, f.root, n);
        const std::string p = root;
        addWords(out, p + "/config/", "name icon color");
        if (f.source) out.insert(p + "/config/source");
        if (f.channelExtras) {
            addWords(out, p + "/delay/", "on time");
            if (n <= 8) addWords(out, p + "/automix/", "group weight");
        }
        if (f.mix) addWords(out, p + "/mix/", f.mix);
        else addWords(out, p + "/", "on fader");
        addWords(out, p + "/preamp/", f.preamp);
        if (f.gate) addWords(out, p + "/gate/", "on mode thr range attack hold release keysrc filter/on filter/type filter/f");
        if (f.dynamics > 0) {
            addWords(out, p + "/dyn/", "on mode det env thr ratio knee mgain attack hold release mix filter/on filter/type filter/f");
            if (f.dynamics == 2) out.insert(p + "/dyn/keysrc");
        }
        if (f.eqBands > 0) out.insert(p + "/eq/on");
        for (int b = 1; b <= f.eqBands; ++b) addWords(out, p + "/eq/" + std::to_string(b) + "/", "type f g q");
        if (f.insert) addWords(out, p + "/insert/", "on pos sel");
        if (f.groups) addWords(out, p + "/grp/", "dca mute");
        for (int s = 1; s <= f.sends; ++s) {
            char send[8];
            std::snprintf(send, sizeof send, "%02d/", s);
            addWords(out, p + "/mix/" + send, "level on pan type");
        }
    }
    return out;
}

// Every address "dump PREFIX*" lists, up to its "dumped N" line.
std::set<std::string> dumpedAddresses(ChildProcess& sim, const std::string& prefix)
{
    std::set<std::string> out;
    if (!writeToProcess(sim, "dump " + prefix + "*\n")) return out;
    std::string line;
    while (waitForLine(sim, "", 5000, line) && line.rfind("dumped ", 0) != 0) {
        if (line.rfind(prefix, 0) == 0) out.insert(line.substr(0, line.find(' ')));
    }
    return out;
}

}  // namespace

TEST(ConsoleSim, HoldsExactlyTheConsolesAddressesPerStripFamily)
{
    ChildProcess sim;
    ASSERT_GT(startConsoleSim(sim), 0);
    for (const FamilyAddresses& family : families) {
        SCOPED_TRACE(family.dumpPrefix);
        const std::set<std::string> expected = expectedAddresses(family);
        const std::set<std::string> held = dumpedAddresses(sim, family.dumpPrefix);
        ASSERT_FALSE(held.empty());
        for (const std::string& address : held) EXPECT_TRUE(expected.count(address)) << "extra " << address;
        for (const std::string& address : expected) EXPECT_TRUE(held.count(address)) << "missing " << address;
    }
}
