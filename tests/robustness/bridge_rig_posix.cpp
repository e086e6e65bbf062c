#include "robustness/bridge_rig.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

// "remote client 127.0.0.1:41234" gives 41234.
int portAfterColon(const std::string& line)
{
    size_t colon = line.rfind(':');
    return colon == std::string::npos ? 0 : std::atoi(line.c_str() + colon + 1);
}

bool startsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

void BridgeRig::SetUp()
{
    profile = fs::temp_directory_path() /
              ("velumbra-rig-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(profile);
    fs::create_directories(profile / "Documents");
    const char* saved = std::getenv("USERPROFILE");
    savedProfile = saved ? saved : "";
    ::setenv("USERPROFILE", profile.c_str(), 1);
}

void BridgeRig::TearDown()
{
    if (HasFailure()) {
        std::vector<std::string> lines = outputLines(*bridge);
        size_t from = lines.size() > 40 ? lines.size() - 40 : 0;
        std::string tail;
        for (size_t i = from; i < lines.size(); ++i) tail += "  " + lines[i] + "\n";
        ADD_FAILURE() << "last bridge output:\n" << tail;
    }
    stopProcess(*bridge, 3000);
    stopProcess(*surface, 2000);
    stopProcess(*console, 2000);
    if (savedProfile.empty()) ::unsetenv("USERPROFILE");
    else ::setenv("USERPROFILE", savedProfile.c_str(), 1);
    std::error_code ignored;
    fs::remove_all(profile, ignored);
}

bool BridgeRig::startRig(const RigOptions& options)
{
    consolePort = startConsoleSim(*console, options.consoleArgs);
    EXPECT_GT(consolePort, 0) << "console sim did not start";
    if (consolePort <= 0) return false;
    // The bridge does not tell its surface port, so one is picked for it; a
    // port taken in between shows as a failed bind and is tried again.
    for (int attempt = 0; attempt < 3 && bridgeSurfacePort == 0; ++attempt) {
        int port = freeUdpPort();
        std::vector<std::string> args = {"--mixer", "127.0.0.1:" + std::to_string(consolePort),
                                         "--surface", "127.0.0.1:0", "--listen-port",
                                         std::to_string(port), "--no-editor", "--silence-ms",
                                         std::to_string(options.silenceMs)};
        surface = std::make_unique<ChildProcess>();
        surfacePort = startSurfaceSim(*surface, port);
        EXPECT_GT(surfacePort, 0) << "surface sim did not start";
        if (surfacePort <= 0) return false;
        args[3] = "127.0.0.1:" + std::to_string(surfacePort);
        args.insert(args.end(), options.bridgeArgs.begin(), options.bridgeArgs.end());
        if (!startProcess(*bridge, VELUMBRA_BINARY, args)) return false;
        std::string line;
        if (waitForLine(*bridge, "Ready for the messages...", 5000, line)) {
            bridgeSurfacePort = port;
            break;
        }
        bridge = std::make_unique<ChildProcess>();
    }
    EXPECT_GT(bridgeSurfacePort, 0) << "bridge did not start";
    if (bridgeSurfacePort == 0) return false;
    std::string line;
    bool started = waitForLine(*bridge, "Listening to messages...", options.startupTimeoutMs, line);
    EXPECT_TRUE(started) << "bridge start-up did not finish";
    if (!started) return false;
    bool seen = waitForLine(*console, "remote client 127.0.0.1:", 5000, line);
    EXPECT_TRUE(seen) << "console never saw the bridge's keep-alive";
    bridgeMixerPort = seen ? portAfterColon(line) : 0;
    return bridgeMixerPort > 0;
}

void BridgeRig::stopConsole()
{
    stopProcess(*console, 2000);
}

bool BridgeRig::restartConsole(const std::vector<std::string>& args)
{
    console = std::make_unique<ChildProcess>();
    std::vector<std::string> arguments = {"--listen", "127.0.0.1:" + std::to_string(consolePort)};
    arguments.insert(arguments.end(), args.begin(), args.end());
    if (!startProcess(*console, VELUMBRA_TOOLS_DIR "/velumbra-console-sim", arguments)) return false;
    return waitForListeningPort(*console, 5000) == consolePort;
}

std::vector<std::string> BridgeRig::surfaceDump()
{
    std::vector<std::string> lines;
    std::string line;
    if (!writeToProcess(*surface, "dump\n") || !waitForLine(*surface, "display 1 ", 3000, line)) return lines;
    lines.push_back(line);
    while (waitForLine(*surface, "", 3000, line)) {
        lines.push_back(line);
        if (startsWith(line, "heartbeats ")) break;
    }
    return lines;
}

bool BridgeRig::surfaceShows(const std::string& wanted, int withinMs)
{
    std::string line;
    if (!writeToProcess(*surface, "expect within " + std::to_string(withinMs) + " " + wanted + "\n"))
        return false;
    if (!waitForLine(*surface, "expect ", withinMs + 3000, line)) return false;
    return line == "expect ok: " + wanted;
}

bool BridgeRig::surfaceCommand(const std::string& command)
{
    return writeToProcess(*surface, command + "\n");
}

bool BridgeRig::consoleCommand(const std::string& command)
{
    return writeToProcess(*console, command + "\n");
}

std::string BridgeRig::consoleValue(const std::string& address)
{
    std::string line;
    if (!writeToProcess(*console, "dump " + address + "\n")) return "";
    if (!waitForLine(*console, address + " ", 3000, line)) return "";
    return line.substr(address.size() + 1);
}

double BridgeRig::consoleNumber(const std::string& address)
{
    std::string value = consoleValue(address);
    if (value.size() < 3 || (value[0] != 'f' && value[0] != 'i')) return std::nan("");
    return std::strtod(value.c_str() + 2, nullptr);
}

bool BridgeRig::consoleNumberReaches(const std::string& address, double wanted, int withinMs)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(withinMs);
    for (;;) {
        // A hand's 7-bit position, as the bridge reads it: up to 127 / 32636 off.
        if (std::fabs(consoleNumber(address) - wanted) < 128.0 / 32636.0) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

std::vector<std::string> BridgeRig::consoleDumpAll()
{
    std::vector<std::string> lines;
    if (!writeToProcess(*console, "dump /*\n")) return lines;
    std::string line;
    while (waitForLine(*console, "", 5000, line)) {
        if (startsWith(line, "dumped ")) break;
        if (startsWith(line, "/")) lines.push_back(line);
    }
    return lines;
}

bool BridgeRig::bridgeSays(const std::string& prefix, int timeoutMs)
{
    std::string line;
    return waitForLine(*bridge, prefix, timeoutMs, line);
}

int BridgeRig::bridgeLineCount(const std::string& prefix)
{
    int count = 0;
    for (const std::string& line : outputLines(*bridge))
        if (startsWith(line, prefix)) ++count;
    return count;
}

long BridgeRig::bridgeRssKb()
{
    std::ifstream file("/proc/" + std::to_string(bridge->pid) + "/status");
    for (std::string line; std::getline(file, line);) {
        if (startsWith(line, "VmRSS:")) return std::atol(line.c_str() + 6);
    }
    return -1;
}

int freeUdpPort()
{
    HostSocket probe("127.0.0.1");
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (probe.fd < 0 || getsockname(probe.fd, reinterpret_cast<sockaddr*>(&local), &length) != 0) return 0;
    return ntohs(local.sin_port);
}

HostSocket::HostSocket(const char* address)
{
    fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    if (fd >= 0 && (inet_pton(AF_INET, address, &local.sin_addr) != 1 ||
                    bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0)) {
        close(fd);
        fd = -1;
    }
}

HostSocket::~HostSocket()
{
    if (fd >= 0) close(fd);
}

bool sendFromHost(HostSocket& socket, int port, const Bytes& bytes)
{
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(static_cast<uint16_t>(port));
    ssize_t sent = sendto(socket.fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    return sent == static_cast<ssize_t>(bytes.size());
}
