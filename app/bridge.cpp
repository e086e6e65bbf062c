#include "app/bridge.h"

#include <atomic>
#include <string>
#include <thread>

#include "app/config.h"
#include "app/console_loop.h"
#include "app/mixer_discovery.h"
#include "app/mixer_watchdog.h"
#include "app/options.h"
#include "app/query_sweep.h"
#include "app/reset_state.h"
#include "app/startup.h"
#include "app/status_report.h"
#include "diag/traffic_log.h"
#include "editor/editor_clicks.h"
#include "editor/editor_prefs.h"
#include "mixer/keepalive.h"
#include "mixer/mixer_send.h"
#include "app/osc_receive.h"
#include "model/console_model.h"
#include "platform/console_input.h"
#include "platform/console_output.h"
#include "platform/desktop.h"
#include "platform/profile.h"
#include "platform/stop_signal.h"
#include "platform/udp.h"
#include "app/surface_receive.h"
#include "app/surface_heartbeat.h"
#include "control/surface_dispatch.h"
#include "surface/output_queue.h"
#include "surface/self_loop.h"
#include "surface/surface_learn.h"

namespace {

constexpr int RECEIVE_BUFFER_BYTES = 8 * 1024 * 1024;

void interruptSocket(void* socket) { static_cast<UdpSocket*>(socket)->interrupt(); }
void wakeSender(void*) { wakeSurfaceSender(); }

const char* addressSource(bool fromOption, const char* option, bool typed)
{
    if (fromOption) return option;
    return typed ? "the prompt" : "the configuration file";
}

const char* statusOrigin(bool fromOption, bool typed, bool automatic, const char* autoOrigin)
{
    if (automatic) return autoOrigin;
    if (fromOption) return "command line";
    return typed ? "prompt" : "configuration file";
}

std::string addressText(const UdpEndpoint& endpoint, bool automatic)
{
    return automatic ? std::string("auto") : formatEndpoint(endpoint);
}

// "X-Touch A from ..." or "X-Touches A, B from ...": every surface, in order.
std::string surfacesText(const SurfaceList& surfaces, bool automatic)
{
    if (automatic) return "X-Touch auto";
    std::string text = surfaces.count > 1 ? "X-Touches " : "X-Touch ";
    for (int k = 0; k < surfaces.count; ++k) {
        if (k > 0) text += ", ";
        text += formatEndpoint(surfaces.endpoints[k]);
    }
    return text;
}

// Which addresses are left to be found ("auto"), from the command line or
// else the file's (or typed) text.
struct AutoAddresses {
    bool mixer = false;
    bool surface = false;
};

// One address from the command line or else the file's (or typed) text;
// "auto" leaves it to be found. False when the text is no address.
bool resolveAddress(bool fromOption, bool optionAuto, uint32_t optionAddress, const char* text,
                    UdpEndpoint& endpoint, bool& automatic)
{
    automatic = fromOption ? optionAuto : isAutoAddress(text);
    if (automatic) return true;
    if (fromOption) {
        endpoint.address = optionAddress;
        return true;
    }
    return parseHostPort(text, endpoint.address, endpoint.port);
}

// The file's (or typed) addresses with the command line on top. False,
// with a line saying which, when one is neither an address nor "auto".
bool resolveEndpoints(const BridgeOptions& options, const AddressPair& addresses,
                      UdpEndpoint& mixer, SurfaceList& surfaces, AutoAddresses& automatic)
{
    mixer.port = options.mixerPort;
    if (!resolveAddress(options.haveMixer, options.mixerAuto, options.mixerAddress, addresses.mixer,
                        mixer, automatic.mixer)) {
        consolePrint("No valid mixer address; start with -c to enter one.\n");
        return false;
    }
    automatic.surface = options.haveSurface ? options.surfaceAuto : isAutoAddress(addresses.surface);
    std::string why;
    if (options.haveSurface) {
        surfaces = options.surfaces;
    } else if (!automatic.surface && !parseSurfaceList(addresses.surface, surfaces, why)) {
        consolePrint("No valid X-Touch address; start with -c to enter one.\n");
        return false;
    }
    return true;
}

// True, after saying why, when a surface endpoint is this machine's own
// listening socket: the bridge would hear its own messages as surface moves.
bool refuseSelfLoop(const SurfaceList& surfaces, bool toBeLearned, uint16_t listeningPort)
{
    if (toBeLearned) return false;
    for (int k = 0; k < surfaces.count; ++k) {
        const UdpEndpoint& surface = surfaces.endpoints[k];
        if (!surfaceLoopsBack(surface, listeningPort)) continue;
        consolePrint("The X-Touch address %s is this computer's own (%s) with the port the bridge "
                     "listens on: the bridge would hear its own messages as surface moves. Set the "
                     "X-Touch address to the X-Touch's own address.\n",
                     formatEndpoint(surface).c_str(), ownAddressesText().c_str());
        return true;
    }
    return false;
}

// True, after saying why, when --editor-follows names a surface the list
// does not hold.
bool refuseEditorSurface(const BridgeOptions& options, const SurfaceList& surfaces, bool toBeLearned)
{
    if (toBeLearned || options.editorFollows <= surfaces.count) return false;
    consolePrint("--editor-follows %d: only %d X-Touch%s listed.\n", options.editorFollows, surfaces.count,
                 surfaces.count == 1 ? " is" : "es are");
    return true;
}

// Asks until the answers are usable, and only then rewrites the file, so a
// refused answer never lands in it. Returns -1 to go on, or the exit code.
int promptUntilUsable(const BridgeOptions& options, const std::string& configPath,
                      AddressPair& addresses, UdpEndpoint& mixer, SurfaceList& surfaces,
                      AutoAddresses& automatic)
{
    for (;;) {
        PromptResult r = promptAddresses(addresses);
        if (r == PromptResult::EndOfInput) {
            consolePrint("Cannot ask for the addresses: standard input is closed. Write %s "
                         "or start with --mixer and --surface (an address or auto).\n",
                         configPath.c_str());
            return EXIT_NO_USABLE_CONFIGURATION;
        }
        if (r == PromptResult::Stopped) return 0;
        if (!resolveEndpoints(options, addresses, mixer, surfaces, automatic)) continue;
        if (!refuseSelfLoop(surfaces, automatic.surface, options.listenPort)) break;
    }
    if (!writeConfigFile(configPath, addresses)) {
        consolePrint("Warning: could not write the configuration file %s\n", configPath.c_str());
    }
    return -1;
}

// Addresses from the file or the prompts, with the command line on top.
// Returns -1 to go on, or the exit code to end with.
int settleAddresses(const BridgeOptions& options, const std::string& configPath,
                    UdpEndpoint& mixer, SurfaceList& surfaces, AutoAddresses& automatic)
{
    AddressPair addresses;
    // The file's own echo lines only when nothing overrides it; otherwise
    // they would show addresses that are not used.
    const bool anyOverride = options.haveMixer || options.haveSurface;
    std::string problem;
    bool known = readConfigFile(configPath, addresses, !anyOverride, &problem);
    bool overridden = options.haveMixer && options.haveSurface;
    if (!known && !overridden && !problem.empty()) {
        consolePrint("The configuration file %s cannot be used: %s.\n", configPath.c_str(), problem.c_str());
    }
    bool typed = false;
    if (options.forcePrompt || (!known && !overridden)) {
        int result = promptUntilUsable(options, configPath, addresses, mixer, surfaces, automatic);
        if (result >= 0) return result;
        typed = true;
    } else if (!resolveEndpoints(options, addresses, mixer, surfaces, automatic)) {
        return EXIT_NO_USABLE_CONFIGURATION;
    }
    consolePrint("Using mixer %s from %s, %s from %s\n",
                 addressText(mixer, automatic.mixer).c_str(),
                 addressSource(options.haveMixer, "--mixer", typed),
                 surfacesText(surfaces, automatic.surface).c_str(),
                 addressSource(options.haveSurface, "--surface", typed));
    setAddressOrigins(statusOrigin(options.haveMixer, typed, automatic.mixer, "found"),
                      statusOrigin(options.haveSurface, typed, automatic.surface, "learned"));
    return -1;
}

// The start-up sweep can take long, or wait for a console that is not
// there yet; the keys must work meanwhile, so the keyboard is read here
// while a worker thread runs the sweep.
void runStartupWithKeyboard(const BridgeOptions& options, const std::string& configPath,
                            AddressPair& addresses)
{
    std::atomic<bool> done{false};
    std::thread startup([&] {
        runStartupSynchronisation(options);
        done = true;
        interruptConsoleInput();
    });
    for (;;) {
        char c = 0;
        KeyStatus status = readConsoleCharUntil(c, done);
        // At the end of input only a signal or the sweep's end stops the wait.
        if (status != KeyStatus::Key || !handleConsoleKey(c, configPath, addresses)) break;
    }
    startup.join();
}

// Surface k at the k-th address (none yet for a surface to be learned), all
// on the one socket.
void linkSurfaces(UdpSocket* socket, const SurfaceList& surfaces)
{
    forEverySurfaceRecord([&] {
        const int k = servedSurface();
        setSurfaceLink(socket, k < surfaces.count ? surfaces.endpoints[k] : UdpEndpoint{});
    });
    surfacesServed = surfaces.count > 0 ? surfaces.count : 1;
}

} // namespace

int runBridge(int argc, const char* const* argv)
{
    flushConsole();
    resetAllState();
    BridgeOptions options;
    std::string error;
    if (!parseOptions(argc, argv, options, error)) {
        consolePrint("velumbra: %s\n%s", error.c_str(), usageText());
        return EXIT_NO_USABLE_CONFIGURATION;
    }
    if (options.showHelp) {
        consolePrint("%s", usageText());
        return 0;
    }
    if (options.showVersion) {
        consolePrint("velumbra %s\n", VELUMBRA_VERSION);
        return 0;
    }
    for (const std::string& ignored : options.ignoredArguments) {
        consolePrint("Ignoring the argument \"%s\" (--help lists the options)\n", ignored.c_str());
    }
    installStopSignals();
    setStatusRequestHandler(printLinkStatus);
    setEditorInStatus(!options.noEditor);
    startupComplete = 0;
    if (options.noEditor) useNullDesktop();
    setTrafficLogLevel(options.verbose);
    if (!options.prefsFile.empty()) setPreferencesFileOverride(options.prefsFile.c_str());

    std::string profile;
    if (!userProfileFolder(profile)) {
        consolePrint("Error reading the environment variable USERPROFILE\n");
        return 1;
    }
    const std::string configPath = configFilePath(profile);
    // Before the addresses: typed ones are checked against this machine's
    // own addresses before they are saved.
    int wsa = startSocketLibrary();
    if (wsa != 0) {
        consolePrint("WSAStartup failed: %d\n", wsa);
        return 1;
    }
    loadOwnAddresses();
    UdpEndpoint mixerEndpoint;
    SurfaceList surfaces;
    AutoAddresses automatic;
    int settled = settleAddresses(options, configPath, mixerEndpoint, surfaces, automatic);
    if (settled >= 0) return settled;
    if (refuseEditorSurface(options, surfaces, automatic.surface)) return EXIT_NO_USABLE_CONFIGURATION;
    setEditorSurface(options.editorFollows - 1);
    UdpSocket surfaceSocket;
    if (!surfaceSocket.open()) {
        consolePrint("Error creating socket: %d", UdpSocket::lastErrorCode());
        return 0;
    }
    UdpSocket mixerSocket;
    if (!mixerSocket.open()) fatalSystemError("osc socket");
    consolePrint("binding socket...\n");
    if (!surfaceSocket.bind(0, options.listenPort)) {
        consolePrint("bind: %s\n", UdpSocket::lastErrorText().c_str());
        consolePrint("Cannot listen for the X-Touch on port %u. If another program (perhaps "
                     "another bridge) holds it, end that program or start with --listen-port "
                     "and another port.\n",
                     options.listenPort);
        return 1;
    }
    if (options.listenPort == 0) consolePrint("surface port %u\n", surfaceSocket.localPort());
    if (refuseSelfLoop(surfaces, automatic.surface, surfaceSocket.localPort())) {
        return EXIT_NO_USABLE_CONFIGURATION;
    }
    // Before the console is looked for, so that the status block names the
    // surfaces, or says that they are still to be learned, meanwhile.
    if (automatic.surface) {
        surfaces = SurfaceList{};
        surfaces.count = 1;
        startSurfaceLearning();
    }
    linkSurfaces(&surfaceSocket, surfaces);
    if (automatic.mixer) {
        const int found = discoverMixer(options, configPath, mixerEndpoint);
        if (found >= 0) {
            linkSurfaces(nullptr, SurfaceList{});
            return found;
        }
    }
    if (automatic.surface) {
        consolePrint("Waiting for the X-Touch to ask for a host on port %u\n", surfaceSocket.localPort());
    }
    // A scene recall pushes thousands of changes at once; let them wait in
    // the socket rather than be dropped while the model catches up.
    mixerSocket.setReceiveBufferSize(RECEIVE_BUFFER_BYTES);
    surfaceSocket.setReceiveBufferSize(RECEIVE_BUFFER_BYTES);

    setMixerLink(&mixerSocket, mixerEndpoint);
    setMixerSourceFilter(mixerEndpoint.address);
    const int wakers[3] = {addStopWaker(interruptSocket, &surfaceSocket),
                           addStopWaker(interruptSocket, &mixerSocket),
                           addStopWaker(wakeSender, nullptr)};

    std::thread heartbeat(surfaceHeartbeatLoop);
    std::thread keepAlive(mixerKeepAliveLoop);
    // One sender per surface record: a surface learned later has its own
    // waiting already. Each sleeps until its queue holds something.
    std::thread senders[MAX_SURFACES];
    for (int s = 0; s < MAX_SURFACES; ++s) {
        senders[s] = std::thread([s] {
            serveSurface(s);
            surfaceSenderLoop();
        });
    }
    consolePrint("Ready for the messages...\n");
    std::thread oscReceive(oscReceiveLoop);
    std::thread surfaceReceive(surfaceReceiveLoop);
    setMixerSilenceLimit(options.silenceMs);
    std::thread watchdog(mixerWatchdogLoop);
    startEditorClicks();

    AddressPair current;
    runStartupWithKeyboard(options, configPath, current);
    if (!stopRequested) {
        consolePrint("Listening to messages...\n");
        runConsoleLoop(configPath, current);
    }

    consolePrint("Cleaning up and stopping...\n");
    requestStop();
    setStatusRequestHandler(nullptr);
    heartbeat.join();
    keepAlive.join();
    for (std::thread& sender : senders) sender.join();
    watchdog.join();  // joins its re-read thread first
    oscReceive.join();
    surfaceReceive.join();
    stopEditorClicks();
    linkSurfaces(nullptr, SurfaceList{});
    setMixerLink(nullptr, UdpEndpoint{});
    // The sockets end with this function; a late signal must not touch them.
    for (int id : wakers) removeStopWaker(id);
    releaseQueryWaker();
    return 0;
}
