// velumbra-surface-sim: an X-Touch in network mode, MIDI bytes in UDP.
// Interactive on a terminal (draws the surface, keys press buttons), or
// scripted (commands on standard input). One thread: poll() on the socket,
// the keyboard or script input and the stop pipe.
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "../common/sim_common.h"
#include "surface_output.h"
#include "surface_script.h"
#include "surface_state.h"
#include "surface_ui.h"

namespace {

struct Options {
    sockaddr_in listen{};
    bool scripted = false;
    std::string scriptPath;
    bool exitOnEof = false;
    bool help = false;
};

const char* const kUsage =
    "usage: velumbra-surface-sim [--listen IP:PORT] [--bridge IP:PORT] [--script [FILE]]\n"
    "                            [--exit-on-eof] [--verbose] [--help]\n"
    "  --listen IP:PORT   local address (default 0.0.0.0:10111; port 0 picks one)\n"
    "  --bridge IP:PORT   where the bridge listens (default 127.0.0.1:10111)\n"
    "  --script [FILE]    scripted mode: FILE's commands, then standard input's\n"
    "                     (also the mode whenever standard input is no terminal)\n"
    "  --exit-on-eof      in scripted mode, end once standard input is used up\n"
    "  --verbose          print every datagram received and sent (scripted mode)\n";

bool parseOptions(int argc, char** argv, Options& options)
{
    parseHostPort("0.0.0.0:10111", options.listen);
    parseHostPort("127.0.0.1:10111", surfaceLink.bridge);
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        bool hasValue = i + 1 < argc;
        if (option == "--help" || option == "-h") {
            options.help = true;
        } else if (option == "--verbose") {
            surfaceLink.verbose = true;
        } else if (option == "--exit-on-eof") {
            options.exitOnEof = true;
        } else if (option == "--script") {
            options.scripted = true;
            if (hasValue && argv[i + 1][0] != '-') options.scriptPath = argv[++i];
        } else if ((option == "--listen" || option == "--bridge") && hasValue) {
            sockaddr_in& target = option == "--listen" ? options.listen : surfaceLink.bridge;
            if (!parseHostPort(argv[++i], target)) {
                std::fprintf(stderr, "bad address for %s: %s\n", option.c_str(), argv[i]);
                return false;
            }
        } else {
            std::fprintf(stderr, "bad option %s\n", option.c_str());
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
        script.lines.push_back(line);
    }
    return true;
}

void receiveDatagrams()
{
    uint8_t buffer[2048];
    for (int n = 0; n < 1024; ++n) {
        ssize_t length = recv(surfaceLink.socketFd, buffer, sizeof buffer, 0);
        if (length < 0) return;
        applySurfaceDatagram(buffer, static_cast<size_t>(length));
        if (surfaceLink.verbose && !surfaceLink.interactive)
            say("received %s", hexBytes(buffer, static_cast<size_t>(length)).c_str());
        ui.dirty = true;
    }
}

void readInput(LineReader& input)
{
    if (surfaceLink.interactive) {
        char keys[256];
        ssize_t count = read(input.fd, keys, sizeof keys);
        if (count <= 0) input.eof = true;
        else handleKeyBytes(keys, static_cast<size_t>(count));
        return;
    }
    std::vector<std::string> lines;
    readLines(input, lines);
    script.lines.insert(script.lines.end(), lines.begin(), lines.end());
}

int runLoop(const Options& options)
{
    LineReader input;
    input.fd = STDIN_FILENO;
    int64_t lastDrawMs = 0;
    const int64_t kFrameMs = 40;
    while (!stopWasRequested() && !script.quitRequested && !ui.quitRequested) {
        int64_t now = monotonicMs();
        sendProbeIfDue(now);
        runScript(now);
        checkExpectation(now);
        runScript(now);
        if (script.quitRequested) break;
        if (!surfaceLink.interactive && input.eof && options.exitOnEof && scriptIdle()) break;
        int64_t waitMs = 250;
        int64_t due = msUntilScriptDue(now);
        if (due >= 0 && due < waitMs) waitMs = due;
        int64_t probeDue = msUntilProbe(now);
        if (probeDue >= 0 && probeDue < waitMs) waitMs = probeDue;
        if (surfaceLink.interactive && ui.dirty) {
            if (now - lastDrawMs >= kFrameMs) {
                ui.columns = terminalColumns();
                std::string screen = renderScreen();
                ssize_t ignored = write(STDOUT_FILENO, screen.data(), screen.size());
                (void)ignored;
                lastDrawMs = now;
                ui.dirty = false;
            } else if (kFrameMs - (now - lastDrawMs) < waitMs) {
                waitMs = kFrameMs - (now - lastDrawMs);
            }
        }
        pollfd fds[3] = {{surfaceLink.socketFd, POLLIN, 0}, {stopPipeFd(), POLLIN, 0}, {input.fd, POLLIN, 0}};
        int count = input.eof ? 2 : 3;
        if (poll(fds, static_cast<nfds_t>(count), static_cast<int>(waitMs)) < 0) continue;
        if (fds[1].revents != 0 || stopWasRequested()) break;
        if (fds[0].revents & POLLIN) {
            receiveDatagrams();
            checkExpectation(monotonicMs());
        }
        if (count == 3 && fds[2].revents != 0) {
            if (fds[2].revents & POLLNVAL) input.eof = true;
            else readInput(input);
        }
    }
    return script.failedExpectations > 0 ? 1 : 0;
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
    if (!options.scriptPath.empty() && !loadScript(options.scriptPath)) return 2;
    if (!installSimStopHandlers()) {
        std::perror("pipe");
        return 1;
    }
    std::string error;
    surfaceLink.socketFd = openBoundUdpSocket(options.listen, error);
    if (surfaceLink.socketFd < 0) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    ui.localText = endpointText(options.listen);
    ui.bridgeText = endpointText(surfaceLink.bridge);
    std::printf("listening on %s\n", ui.localText.c_str());
    std::fflush(stdout);
    bool wantsTerminal = !options.scripted && isatty(STDIN_FILENO) && isatty(STDOUT_FILENO);
    surfaceLink.interactive = wantsTerminal && enterTerminalMode();
    int result = runLoop(options);
    restoreTerminal();
    close(surfaceLink.socketFd);
    if (!surfaceLink.interactive) say("stopped");
    return result;
}
