#include "robustness/bridge_rig.h"

#include <cmath>
#include <cstdlib>

void BridgeRig::TearDown()
{
    if (HasFailure()) ADD_FAILURE() << "last bridge output:\n" << bridgeTail(d, 40);
}

bool BridgeRig::startRig(const RigOptions& options)
{
    std::string why;
    bool started = startThreeDevices(d, options.startupTimeoutMs, why, options.consoleArgs, options.bridgeArgs);
    EXPECT_TRUE(started) << why;
    std::string line;
    bool seen = started && waitForLine(d.console, "remote client 127.0.0.1:", 5000, line);
    EXPECT_TRUE(!started || seen) << "the console never saw the bridge's keep-alive";
    bridgeMixerPort = seen ? std::atoi(line.c_str() + line.rfind(':') + 1) : 0;
    return bridgeMixerPort > 0;
}

std::string BridgeRig::consoleValue(const std::string& address)
{
    std::string value;
    return ::consoleValue(d, address, value) ? value : "";
}

double BridgeRig::consoleNumber(const std::string& address)
{
    std::string value = consoleValue(address);
    if (value.size() < 3 || (value[0] != 'f' && value[0] != 'i')) return std::nan("");
    return std::strtod(value.c_str() + 2, nullptr);
}

bool BridgeRig::consoleNumberReaches(const std::string& address, double wanted, int withinMs)
{
    // A hand's position arrives as the nearest of 16384 steps.
    return eventually(withinMs, [&] {
        return std::fabs(consoleNumber(address) - wanted) < 1.0 / 16383.0 ? "" : "not yet";
    }).empty();
}

bool BridgeRig::bridgeSays(const std::string& prefix, int timeoutMs)
{
    std::string line;
    return waitForLine(d.bridge, prefix, timeoutMs, line);
}

int BridgeRig::bridgeLineCount(const std::string& prefix)
{
    int count = 0;
    for (const std::string& line : outputLines(d.bridge)) count += line.compare(0, prefix.size(), prefix) == 0;
    return count;
}
