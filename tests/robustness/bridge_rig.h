// The real bridge between the two device emulators on loopback, for tests
// of faults and hostile traffic end to end: console sim, surface sim and
// velumbra as child processes on ephemeral ports, stopped at the end of
// every test (bridge first). POSIX only.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/process.h"
#include "robustness/malformed_traffic.h"
#include "tools/device_probe.h"

struct RigOptions {
    std::vector<std::string> consoleArgs;  // extra velumbra-console-sim arguments
    std::vector<std::string> bridgeArgs;   // extra velumbra arguments
    int silenceMs = 3000;
    int startupTimeoutMs = 60000;
};

class BridgeRig : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the three programs and waits until the bridge has finished its
    // start-up; false (with a test failure) when something did not come up.
    bool startRig(const RigOptions& options = {});

    // Starts a console sim again on the same port (after stopConsole): a
    // console that rebooted. Extra arguments as for the first.
    bool restartConsole(const std::vector<std::string>& args = {});
    void stopConsole();

    // The surface sim's dump lines, "display 1 ..." to "heartbeats N".
    std::vector<std::string> surfaceDump();
    // The sim's own "expect within MS LINE": true once its state shows LINE.
    bool surfaceShows(const std::string& line, int withinMs);
    // A command line for the surface sim (fader, press, ...).
    bool surfaceCommand(const std::string& command);

    // The console sim's value of a parameter as dumped ("f 0.750000", "s \"Kick\"").
    std::string consoleValue(const std::string& address);
    // The value as a number; NaN when it is not one.
    double consoleNumber(const std::string& address);
    // Polls until the parameter is within 0.002 of wanted.
    bool consoleNumberReaches(const std::string& address, double wanted, int withinMs);
    // Every parameter the console sim dumps, "ADDRESS VALUE" per line.
    std::vector<std::string> consoleDumpAll();
    bool consoleCommand(const std::string& command);

    // Waits for a bridge output line starting with prefix.
    bool bridgeSays(const std::string& prefix, int timeoutMs);
    // Bridge output lines starting with prefix so far.
    int bridgeLineCount(const std::string& prefix);

    // Resident memory of the bridge in kB; -1 if unknown.
    long bridgeRssKb();

    std::filesystem::path profile;
    std::string savedProfile;
    int consolePort = 0;
    int surfacePort = 0;
    int bridgeSurfacePort = 0;  // where the bridge receives from the surface
    int bridgeMixerPort = 0;    // the bridge's mixer socket, as the console saw it
    std::unique_ptr<ChildProcess> console = std::make_unique<ChildProcess>();
    std::unique_ptr<ChildProcess> surface = std::make_unique<ChildProcess>();
    std::unique_ptr<ChildProcess> bridge = std::make_unique<ChildProcess>();
};

// A UDP port on 127.0.0.1 that was free a moment ago.
int freeUdpPort();

// A UDP socket bound to a loopback address of the caller's choice (port 0),
// for traffic that must come from a given host. fd -1 when it failed.
struct HostSocket {
    int fd = -1;
    explicit HostSocket(const char* address);
    ~HostSocket();
    HostSocket(const HostSocket&) = delete;
    HostSocket& operator=(const HostSocket&) = delete;
};
bool sendFromHost(HostSocket& socket, int port, const Bytes& bytes);
