// Finding consoles on the network: "/xinfo" (no arguments) to one address or
// to every interface's broadcast address, and the answers collected. Runs on
// whichever thread calls it (the entry's discovery worker).
#pragma once

#include <cstdint>
#include <string>

#include "platform/udp.h"

constexpr int FOUND_MIXER_MAX = 16;
constexpr int MIXER_TEXT_SIZE = 32;
// Answers are collected this long after each "/xinfo"; with none, it is sent
// again every XINFO_REPEAT_MS and a line printed every XINFO_NOTICE_MS.
constexpr int XINFO_ANSWER_MS = 1000;
constexpr int XINFO_REPEAT_MS = 2000;
constexpr int XINFO_NOTICE_MS = 10000;

// One console that answered. Texts are printable ASCII, cut to fit.
struct FoundMixer {
    UdpEndpoint endpoint;  // where the answer came from: the bridge talks to that
    char name[MIXER_TEXT_SIZE] = {};
    char model[MIXER_TEXT_SIZE] = {};
    char firmware[MIXER_TEXT_SIZE] = {};
};

struct MixerSearch {
    FoundMixer found[FOUND_MIXER_MAX];
    int count = 0;
};

// Reads an answer to "/xinfo": ",ssss" with the console's address, name,
// model and firmware. False for any other datagram.
bool parseXinfoAnswer(uint8_t* datagram, int length, const UdpEndpoint& from, FoundMixer& mixer);

// Adds the console unless its endpoint answered already or the list is full.
bool addFoundMixer(MixerSearch& search, const FoundMixer& mixer);

// "NAME (MODEL FIRMWARE) at A:P".
std::string describeFoundMixer(const FoundMixer& mixer);

// Where "/xinfo" goes: the given endpoint, or every broadcast address of this
// machine on port (255.255.255.255 when none is known). Returns how many.
int xinfoTargets(const UdpEndpoint* given, uint16_t port, UdpEndpoint* out, int capacity);

enum class SearchResult { Found, Stopped, Failed };

// Asks the targets until at least one console has answered within an answer
// window, or stopRequested is set (a stop waker should interrupt the socket).
// The socket must be open, with broadcasts allowed when a target is one.
// Failed: the socket could no longer receive (the reason is printed).
SearchResult searchMixers(UdpSocket& socket, const UdpEndpoint* targets, int targetCount,
                          MixerSearch& search);
