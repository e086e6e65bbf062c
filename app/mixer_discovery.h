// "--mixer auto" at start: find the console, let the operator choose when
// several answer, and keep the keys working while nobody answers. Runs on the
// entry thread, before the worker threads start.
#pragma once

#include <string>

#include "app/options.h"
#include "platform/udp.h"

// Fills mixer with the console to use. Returns -1 to go on, or the exit code
// to end with: 0 after a stop, 1 when the network cannot be used, 2 when
// several consoles answered and no keyboard can choose.
int discoverMixer(const BridgeOptions& options, const std::string& configPath, UdpEndpoint& mixer);
