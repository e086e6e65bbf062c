// velumbra-console-sim: an X32 as the bridge sees it, on one UDP port.
// One thread: poll() on the socket, standard input and the stop pipe, with
// the timers (delayed answers, meter blocks, silence, script waits) between.
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "../common/sim_common.h"
#include "console_commands.h"
#include "console_server.h"
#include "param_store.h"
#include "xinfo.h"

namespace {

struct Options {
    sockaddr_in listen{};
    int silentAfterMs = 0;
    std::string scriptPath;
    bool help = false;
};

const char* const kUsage =
    "usage: velumbra-console-sim [--listen IP:PORT | --port N] [--delay-ms N] [--drop-percent P]\n"
    "                            [--seed S] [--silent-after-ms N] [--ignore ADDRESS]... [--verbose]\n"
    "                            [--script FILE] [--shuffle] [--name NAME] [--help]\n"
    "  --listen IP:PORT      address to serve (default 127.0.0.1:10023; port 0 picks one)\n"
    "  --port N              port on 127.0.0.1 (0 picks one)\n"
    "  --delay-ms N          delay every answer by N ms\n"
    "  --drop-percent P      drop P% of the answers (random, see --seed)\n"
    "  --seed S              seed of the random drops, scenes and shuffles (default 1)\n"
    "  --silent-after-ms N   stop answering anything N ms after start\n"
    "  --ignore ADDRESS      never answer a query of ADDRESS, or of any address starting\n"
    "                        with PREFIX when given as PREFIX* (may be repeated)\n"
    "  --verbose             log every received message\n"
    "  --script FILE         run the commands in FILE, then those on standard input\n"
    "  --shuffle             start from random show settings (the shuffle command, see --seed)\n"
    "  --name NAME           the console's name in its answer to /xinfo (default X32-SIM)\n"
    "commands (standard input, one per line): set ADDRESS VALUE, silent on [MS], silent off,\n"
    "  ignore ADDRESS, ignore none, delay MS, drop P, scene COUNT, shuffle, dump ADDRESS,\n"
    "  dump PREFIX*, changes, writes, wait MS, clients, stats, quit\n";

bool parseOptions(int argc, char** argv, Options& options)
{
    parseHostPort("127.0.0.1:10023", options.listen);
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        bool hasValue = i + 1 < argc;
        std::string value = hasValue ? argv[i + 1] : "";
        long number = 0;
        if (option == "--verbose") {
            server.verbose = true;
            continue;
        }
        if (option == "--shuffle") {
            commands.lines.push_back("shuffle");
            continue;
        }
        if (option == "--help" || option == "-h") {
            options.help = true;
            continue;
        }
        static const char* const known[] = {"--listen", "--port", "--delay-ms", "--drop-percent",
                                            "--seed", "--silent-after-ms", "--script", "--ignore", "--name"};
        bool isKnown = false;
        for (const char* name : known) isKnown = isKnown || option == name;
        if (!isKnown) {
            std::fprintf(stderr, "unknown option %s\n", option.c_str());
            return false;
        }
        if (!hasValue) {
            std::fprintf(stderr, "%s needs a value\n", option.c_str());
            return false;
        }
        ++i;
        bool ok = true;
        if (option == "--listen") {
            ok = parseHostPort(value, options.listen);
        } else if (option == "--port") {
            ok = parseWholeNumber(value, 0, 65535, number);
            options.listen.sin_port = htons(static_cast<uint16_t>(number));
        } else if (option == "--delay-ms") {
            ok = parseWholeNumber(value, 0, 600000, number);
            server.delayMs = static_cast<int>(number);
        } else if (option == "--drop-percent") {
            ok = parseWholeNumber(value, 0, 100, number);
            server.dropPercent = static_cast<int>(number);
        } else if (option == "--seed") {
            ok = parseWholeNumber(value, 0, 4294967295L, number);
            server.random.seed(static_cast<uint32_t>(number));
        } else if (option == "--silent-after-ms") {
            ok = parseWholeNumber(value, 1, 86400000L, number);
            options.silentAfterMs = static_cast<int>(number);
        } else if (option == "--ignore") {
            server.ignored.push_back(value);
        } else if (option == "--name") {
            ok = !value.empty() && value.size() < 32;
            identity.name = value;
        } else if (option == "--script") {
            options.scriptPath = value;
        }
        if (!ok) {
            std::fprintf(stderr, "bad value for %s: %s\n", option.c_str(), value.c_str());
            return false;
        }
    }
    return true;
}

bool loadScript(const std::string& path)
{
    std::ifstream file(path);
    if (!file) {
        std::fprintf(stderr, "cannot read script %s\n", path.c_str());
        return false;
    }
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        commands.lines.push_back(line);
    }
    return true;
}

void receiveDatagrams(int64_t nowMs)
{
    uint8_t buffer[2048];
    for (int n = 0; n < 512; ++n) {
        sockaddr_in from{};
        socklen_t fromLength = sizeof from;
        ssize_t length = recvfrom(server.socketFd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from),
                                  &fromLength);
        if (length < 0) return;
        handleConsoleDatagram(buffer, static_cast<size_t>(length), from, nowMs);
    }
}

int runLoop(const Options& options)
{
    LineReader input;
    input.fd = STDIN_FILENO;
    int64_t start = monotonicMs();
    int64_t silentAt = options.silentAfterMs > 0 ? start + options.silentAfterMs : 0;
    while (!stopWasRequested()) {
        int64_t now = monotonicMs();
        if (silentAt != 0 && now >= silentAt) {
            setSilent(true, 0);
            silentAt = 0;
        }
        // A command sees every datagram that arrived before it: "writes"
        // right after a surface action includes what the action wrote.
        if (!commands.lines.empty()) receiveDatagrams(now);
        runQueuedCommands(now);
        if (commands.quitRequested) break;
        int64_t waitMs = serviceConsoleTimers(now, 200);
        int64_t resume = msUntilCommandsResume(now);
        if (resume >= 0 && resume < waitMs) waitMs = resume;
        if (silentAt != 0 && silentAt - now < waitMs) waitMs = silentAt - now;
        pollfd fds[3] = {{server.socketFd, POLLIN, 0}, {stopPipeFd(), POLLIN, 0}, {input.fd, POLLIN, 0}};
        int count = input.eof ? 2 : 3;
        if (poll(fds, static_cast<nfds_t>(count), static_cast<int>(waitMs)) < 0) continue;
        if (fds[1].revents != 0 || stopWasRequested()) break;
        now = monotonicMs();
        if (fds[0].revents & POLLIN) receiveDatagrams(now);
        if (count == 3 && fds[2].revents != 0) {
            if (fds[2].revents & POLLNVAL) {
                input.eof = true;
            } else {
                std::vector<std::string> lines;
                readLines(input, lines);
                commands.lines.insert(commands.lines.end(), lines.begin(), lines.end());
            }
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, nullptr, _IOLBF, 0);
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    buildParamStore();
    loadStartValues();
    if (!options.scriptPath.empty() && !loadScript(options.scriptPath)) return 2;
    if (!installSimStopHandlers()) {
        std::perror("pipe");
        return 1;
    }
    std::string error;
    server.socketFd = openBoundUdpSocket(options.listen, error);
    if (server.socketFd < 0) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    sockaddr_in bound{};
    socklen_t boundLength = sizeof bound;
    getsockname(server.socketFd, reinterpret_cast<sockaddr*>(&bound), &boundLength);
    identity.address = reportedAddress(bound);
    consoleLog("listening on %s", endpointText(options.listen).c_str());
    int result = runLoop(options);
    close(server.socketFd);
    consoleLog("stopped");
    return result;
}
