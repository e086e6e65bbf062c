// The real bridge between the two device emulators on loopback, for tests
// of faults and hostile traffic end to end: the three processes of the
// end-to-end tests as a fixture, stopped at the end of every test (bridge
// first), with the bridge's last lines printed when the test failed.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/three_devices.h"
#include "tools/device_probe.h"

struct RigOptions {
    std::vector<std::string> consoleArgs;  // extra velumbra-console-sim arguments
    std::vector<std::string> bridgeArgs;   // extra velumbra arguments
    int startupTimeoutMs = 60000;
};

class BridgeRig : public ::testing::Test {
protected:
    void TearDown() override;

    // Starts the three programs and waits until the bridge has finished its
    // start-up and kept the console alive; false (with a test failure) when
    // something did not come up.
    bool startRig(const RigOptions& options = {});

    bool surfaceShows(const std::string& line, int withinMs) { return surfaceExpect(d, line, withinMs); }
    bool surfaceCommand(const std::string& command) { return ::surfaceCommand(d, command); }
    bool consoleCommand(const std::string& command) { return ::consoleCommand(d, command); }
    // The console's value as dumped ("f 0.750000"); empty when none came.
    std::string consoleValue(const std::string& address);
    // The value as a number; NaN when it is not one.
    double consoleNumber(const std::string& address);
    // Polls until the parameter is where a hand's 7-bit position puts it.
    bool consoleNumberReaches(const std::string& address, double wanted, int withinMs);

    // Waits for a bridge output line starting with prefix.
    bool bridgeSays(const std::string& prefix, int timeoutMs);
    // Bridge output lines starting with prefix so far.
    int bridgeLineCount(const std::string& prefix);

    ThreeDevices d;
    int bridgeMixerPort = 0;  // the bridge's mixer socket, as the console saw it
};
