// Shared pieces of the benchmarks: sample statistics, the bridge and the
// device emulators as child processes on loopback, stand-in peers that
// time-stamp every datagram they get, and readings of a process from /proc.
// POSIX (Linux) only, like the benchmarks.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/udp.h"
#include "support/process.h"

// ---- statistics ----

struct SampleStats {
    size_t count = 0;
    double median = 0, p99 = 0, mean = 0, min = 0, max = 0;
};

SampleStats summarize(std::vector<double> samples);
// "  label: median 41.2 us, p99 88.0 us, min 30.1 us (n=500)"
void printStats(const char* label, const SampleStats& stats);
// "  target: what: met|MISSED (detail)"; returns met.
bool printTarget(const char* what, bool met, const std::string& detail);

// ---- programs and folders ----

// The bridge the benchmarks run: $VELUMBRA_BENCH_BRIDGE when set (to compare
// another build), else the one built beside them.
std::string benchBridgeBinary();
std::string benchToolPath(const char* name);   // "velumbra-console-sim"

// A user profile folder with Documents and the effects files; removed by
// removeBenchProfile.
std::string makeBenchProfile();
void removeBenchProfile(const std::string& folder);

int unusedUdpPort();

// The minimal blocking C relay (bench/relay), relaying to destPort on
// 127.0.0.1; returns the port it listens on, 0 when it did not come up.
int startMinimalRelay(ChildProcess& child, uint16_t destPort);
// The same relay sending each datagram on to every one of destPorts in turn.
int startMinimalRelay(ChildProcess& child, const std::vector<uint16_t>& destPorts);

// The console emulator on 127.0.0.1, port chosen by the system; returns its
// port, 0 when it did not come up.
int startConsoleEmulator(ChildProcess& child, const std::vector<std::string>& extra = {});

struct BridgeLaunch {
    std::string binary;          // empty: benchBridgeBinary()
    std::string profile;
    int mixerPort = 0;
    int surfacePort = 0;
    int listenPort = 0;          // 0: an unused one is picked and stored here
    std::vector<std::string> extra;
};
bool startBridge(ChildProcess& child, BridgeLaunch& launch);
// Waits for the end of the start-up ("Listening to messages..."); false on
// time-out.
bool waitForBridgeSynchronised(ChildProcess& child, int timeoutMs);

// The surface-queue line of the bridge's status block ("i" + Enter).
struct BridgeQueueStatus {
    bool read = false;
    int depth = 0;
    int highWater = 0;
    unsigned long long dropped = 0;
};
BridgeQueueStatus readBridgeQueueStatus(ChildProcess& child);

// ---- loopback peers ----

struct Datagram {
    int64_t atNs = 0;   // steadyNanoseconds() right after it was received
    std::vector<uint8_t> bytes;
    UdpEndpoint from;
};

// A socket on 127.0.0.1 with a thread receiving from it. Each datagram goes
// to filter on that thread first; those it returns true for are logged.
struct LoopbackPeer {
    UdpSocket socket;
    uint16_t port = 0;
    std::function<bool(const Datagram&)> filter;
    std::thread receiver;
    std::atomic<bool> stopping{false};
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<Datagram> log;
};

bool openPeer(LoopbackPeer& peer);   // binds; call before startPeer
void startPeer(LoopbackPeer& peer);  // set filter before this
void stopPeer(LoopbackPeer& peer);
bool sendFromPeer(LoopbackPeer& peer, const void* data, int length, uint16_t toPort);
// Waits until the log holds at least count datagrams.
bool waitForLogged(LoopbackPeer& peer, size_t count, int timeoutMs);
std::vector<Datagram> takeLog(LoopbackPeer& peer);
size_t loggedCount(LoopbackPeer& peer);

// A relay standing where the console is: what the bridge sends goes on to
// the console emulator and the answers come back, so the relay sees both
// directions with time stamps, can drop the meter blobs, and can inject
// changes as if the console had pushed them.
struct ConsoleRelay {
    LoopbackPeer bridgeSide;    // the bridge's --mixer points here
    LoopbackPeer consoleSide;   // talks to the emulator
    uint16_t consolePort = 0;
    std::atomic<bool> dropMeters{false};
    std::atomic<bool> holdConsole{false};   // drop everything the console sends
    std::atomic<uint16_t> copyTo{0};         // also send what the console sends here
    std::atomic<bool> copyFirst{true};       // the copy leaves before the bridge's datagram
    std::atomic<uint32_t> bridgePortSeen{0};
    // Datagrams from the bridge that this returns true for are logged in
    // bridgeSide.log (all are forwarded).
    std::function<bool(const Datagram&)> tapFromBridge;
};
bool startRelay(ConsoleRelay& relay, uint16_t consolePort);
void stopRelay(ConsoleRelay& relay);
// Sends as the console would; false until the bridge has sent something.
bool injectToBridge(ConsoleRelay& relay, const std::vector<uint8_t>& datagram);

// The bridge between the console emulator, behind a relay, and a stand-in
// surface. Set surface.filter and relay.tapFromBridge before startRig.
struct BridgeRig {
    ChildProcess console;
    ConsoleRelay relay;
    LoopbackPeer surface;
    ChildProcess bridge;
    BridgeLaunch launch;
    std::vector<std::string> consoleExtra;   // arguments for the emulator
};
// Starts all of it and waits for the bridge's start-up (window 16); binary
// empty means benchBridgeBinary(). False with a line printed on failure.
bool startRig(BridgeRig& rig, const std::string& binary = "", const std::vector<std::string>& extra = {});
void stopRig(BridgeRig& rig);

// One path to time: send(k) starts round k, the next datagram logged by
// peer ends it.
struct TimedPath {
    LoopbackPeer* peer = nullptr;
    std::function<void(int)> send;
    std::vector<double> samples;   // microseconds
};
// Times every path once per round, in turn and each round starting with
// the next one, so that all of them see the same machine (other load comes
// and goes); before each sample the
// receivers get time to go idle. Samples whose datagram does not come
// within a second are left out.
void timeRounds(std::vector<TimedPath*> paths, int rounds);

// ---- OSC and MIDI bytes ----

std::vector<uint8_t> oscMessage(const std::string& address);                 // no arguments
std::vector<uint8_t> oscFloatMessage(const std::string& address, float value);
std::vector<uint8_t> oscIntMessage(const std::string& address, int32_t value);
// The one 'f' or 'i' argument of a reply to address; false for anything else.
bool oscNumberOf(const std::vector<uint8_t>& bytes, const char* address, double& value);
bool oscAddressIs(const std::vector<uint8_t>& bytes, const char* address);
bool isMeterBlob(const std::vector<uint8_t>& bytes);
// Pitch bend as the surface sends it: a 14-bit step in two 7-bit bytes.
std::vector<uint8_t> surfaceFaderMessage(int fader, double position);

// ---- readings of a process ----

// CPU time of all its threads in nanoseconds; -1 if unknown.
int64_t processCpuNanoseconds(int pid);
long residentKilobytes(int pid);          // VmRSS
// Voluntary context switches (wake-ups after a wait) per thread id.
std::map<int, long long> threadWakeUps(int pid);
// Datagrams the kernel dropped on the process's UDP sockets (full receive
// buffers), summed.
unsigned long long udpDropsOf(int pid);
// The largest resident mappings, "  1234 kB  [heap]" lines.
std::vector<std::string> residentBreakdown(int pid, size_t lines);

// The machine, for the results: CPU model, cores, kernel.
std::string machineDescription();
