// The command line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/surface_device.h"
#include "platform/udp.h"

// The surfaces served, in order: the first is surface 1.
struct SurfaceList {
    UdpEndpoint endpoints[MAX_SURFACES];
    int count = 0;
};

struct BridgeOptions {
    bool forcePrompt = false;     // "-c" / "-C" as the first argument
    bool showHelp = false;
    bool showVersion = false;
    bool haveMixer = false;
    bool haveSurface = false;
    bool mixerAuto = false;       // "--mixer auto": find the console by "/xinfo"
    bool surfaceAuto = false;     // "--surface auto": every surface that probes is served
    bool haveDiscoverAddress = false;
    uint32_t discoverAddress = 0; // where "/xinfo" goes instead of the broadcasts
    uint16_t discoverPort = 10023;
    uint32_t mixerAddress = 0;
    uint16_t mixerPort = 10023;
    SurfaceList surfaces;         // "--surface A,B,...", default port 10111
    int editorFollows = 1;        // "--editor-follows N": the surface the editor follows
    uint16_t listenPort = 10111;
    bool noEditor = false;
    std::string prefsFile;
    int queryTimeoutMs = 250;
    int sweepWindow = 1;
    int silenceMs = 3000;         // console silence reported after this long
    int verbose = 0;              // 1 = messages, 2 = meters and heartbeats too
    std::vector<std::string> ignoredArguments;  // unknown ones, named at start
};

// Parses argv into options. False with a message in error for a bad value
// of a known option; unknown arguments go to ignoredArguments.
bool parseOptions(int argc, const char* const* argv, BridgeOptions& options, std::string& error);

// The one reader of an address, for the command line, the prompt and the
// configuration file: "IP" or "IP:PORT", dotted IPv4 and a port 1..65535,
// digits only, without signs, blanks or leading zeros. The port keeps the
// value it has when the text names none.
bool parseHostPort(const char* text, uint32_t& address, uint16_t& port);

// "IP[:PORT],IP[:PORT],...": 1..MAX_SURFACES surfaces, each as
// parseHostPort reads it with port 10111 unless named, none twice. False,
// with why, otherwise; list is then left alone. The same reader serves the
// command line, the prompt and the configuration file.
bool parseSurfaceList(const char* text, SurfaceList& list, std::string& why);

// What every reader says about a text parseHostPort refuses.
std::string addressRefusal(const char* text);

// At most limit characters of text, each byte outside printable ASCII
// written as \xNN, "..." when cut: safe to print whatever the text holds.
std::string printableText(const char* text, size_t limit);

// "auto" in any letter case: the address is found on the network.
bool isAutoAddress(const char* text);

const char* usageText();
