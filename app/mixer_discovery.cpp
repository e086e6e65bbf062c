#include "app/mixer_discovery.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "app/config.h"
#include "app/console_loop.h"
#include "mixer/discovery.h"
#include "platform/console_input.h"
#include "platform/console_output.h"
#include "platform/stop_signal.h"

namespace {

constexpr int TARGET_MAX = 16;

void interruptSocket(void* socket) { static_cast<UdpSocket*>(socket)->interrupt(); }

std::string targetsText(const UdpEndpoint* targets, int count)
{
    std::string text;
    for (int i = 0; i < count; ++i) text += (i ? ", " : "") + formatEndpoint(targets[i]);
    return text;
}

void listMixers(const MixerSearch& search)
{
    consolePrint("%d mixers answered:\n", search.count);
    for (int i = 0; i < search.count; ++i) {
        consolePrint("  %d. %s\n", i + 1, describeFoundMixer(search.found[i]).c_str());
    }
}

// The search runs on a worker so that the keys (q, i, s) work while nobody
// answers; the wait for a key ends when the search does.
SearchResult searchWithKeyboard(UdpSocket& socket, const UdpEndpoint* targets, int targetCount,
                                const std::string& configPath, MixerSearch& search)
{
    std::atomic<bool> done{false};
    SearchResult result = SearchResult::Stopped;
    std::thread worker([&] {
        result = searchMixers(socket, targets, targetCount, search);
        done = true;
        interruptConsoleInput();
    });
    AddressPair unused;
    for (;;) {
        char c = 0;
        // At the end of input only a signal or an answer ends the search.
        if (readConsoleCharUntil(c, done) != KeyStatus::Key) break;
        if (!handleConsoleKey(c, configPath, unused)) break;
    }
    worker.join();
    return result;
}

// Without a keyboard to choose: the exit-2 line, after the list.
int refuseToChoose(const MixerSearch& search)
{
    consolePrint("Several mixers answered and there is no keyboard to choose one. Start with "
                 "--mixer IP (for example --mixer %s) or write that address into the "
                 "configuration file.\n",
                 formatIpv4(search.found[0].endpoint.address).c_str());
    return 2;
}

// Several answered: the operator picks one by its number. -1 with mixer set,
// or the exit code.
int chooseMixer(const MixerSearch& search, UdpEndpoint& mixer)
{
    listMixers(search);
    for (;;) {
        if (consoleInputEnded()) return refuseToChoose(search);
        consolePrint("Which mixer should the bridge use? Enter 1 to %d:\n", search.count);
        char line[32];
        bool truncated = false;
        const KeyStatus status = readConsoleLine(line, sizeof line, &truncated);
        if (status == KeyStatus::Stopped) return 0;
        if (status == KeyStatus::EndOfInput) return refuseToChoose(search);
        char* end = nullptr;
        const long choice = std::strtol(line, &end, 10);
        if (!truncated && end != line && *end == '\0' && choice >= 1 && choice <= search.count) {
            mixer = search.found[choice - 1].endpoint;
            consolePrint("Using mixer %s\n", describeFoundMixer(search.found[choice - 1]).c_str());
            return -1;
        }
        consolePrint("\"%s\" is not one of the numbers 1 to %d.\n", printableText(line, 31).c_str(),
                     search.count);
    }
}

} // namespace

int discoverMixer(const BridgeOptions& options, const std::string& configPath, UdpEndpoint& mixer)
{
    const UdpEndpoint given{options.discoverAddress, options.discoverPort};
    UdpEndpoint targets[TARGET_MAX];
    const int targetCount = xinfoTargets(options.haveDiscoverAddress ? &given : nullptr,
                                         options.mixerPort, targets, TARGET_MAX);
    UdpSocket socket;
    if (!socket.open()) fatalSystemError("osc socket");
    if (!options.haveDiscoverAddress && !socket.allowBroadcast()) {
        consolePrint("Cannot broadcast on this network (%s); start with --mixer IP or "
                     "--discover-address IP.\n",
                     UdpSocket::lastErrorText().c_str());
        return 1;
    }
    consolePrint("Looking for the mixer: /xinfo to %s\n", targetsText(targets, targetCount).c_str());
    MixerSearch search;
    const int waker = addStopWaker(interruptSocket, &socket);
    const SearchResult result = searchWithKeyboard(socket, targets, targetCount, configPath, search);
    removeStopWaker(waker);
    if (result == SearchResult::Failed) return 1;
    if (result == SearchResult::Stopped || stopRequested) {
        consolePrint("Stopped before a mixer was found.\n");
        return 0;
    }
    if (search.count == 1) {
        mixer = search.found[0].endpoint;
        consolePrint("Found mixer %s\n", describeFoundMixer(search.found[0]).c_str());
        return -1;
    }
    return chooseMixer(search, mixer);
}
