#include "support/bench_support.h"

#include <dirent.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "model/fader_scale.h"
#include "platform/clock.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t LOOPBACK = 0x7F000001;

double percentile(const std::vector<double>& sorted, double p)
{
    if (sorted.empty()) return 0;
    double rank = p * static_cast<double>(sorted.size() - 1);
    size_t low = static_cast<size_t>(rank);
    size_t high = std::min(low + 1, sorted.size() - 1);
    double fraction = rank - static_cast<double>(low);
    return sorted[low] + (sorted[high] - sorted[low]) * fraction;
}

void appendPadded(std::vector<uint8_t>& out, const std::string& text)
{
    out.insert(out.end(), text.begin(), text.end());
    do out.push_back(0);
    while (out.size() % 4 != 0);
}

void receiveLoop(LoopbackPeer& peer)
{
    uint8_t buffer[2048];
    while (!peer.stopping) {
        int length = 0;
        UdpEndpoint from;
        ReceiveStatus status = peer.socket.receive(buffer, sizeof buffer, length, from, 200);
        if (status == ReceiveStatus::Failed) break;
        if (status != ReceiveStatus::Received) continue;
        Datagram d;
        d.atNs = steadyNanoseconds();
        d.bytes.assign(buffer, buffer + length);
        d.from = from;
        if (peer.filter && !peer.filter(d)) continue;
        {
            std::lock_guard<std::mutex> lock(peer.mutex);
            peer.log.push_back(std::move(d));
        }
        peer.arrived.notify_all();
    }
}

std::string firstLineOf(const std::string& path, const std::string& prefix)
{
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(prefix, 0) == 0) return line;
    return "";
}

}  // namespace

SampleStats summarize(std::vector<double> samples)
{
    SampleStats s;
    s.count = samples.size();
    if (samples.empty()) return s;
    std::sort(samples.begin(), samples.end());
    s.median = percentile(samples, 0.5);
    s.p99 = percentile(samples, 0.99);
    s.min = samples.front();
    s.max = samples.back();
    double sum = 0;
    for (double v : samples) sum += v;
    s.mean = sum / static_cast<double>(samples.size());
    return s;
}

void printStats(const char* label, const SampleStats& s)
{
    std::printf("  %s: median %.1f us, p99 %.1f us, min %.1f us (n=%zu)\n", label, s.median, s.p99, s.min,
                s.count);
}

bool printTarget(const char* what, bool met, const std::string& detail)
{
    std::printf("  target: %s: %s (%s)\n", what, met ? "met" : "MISSED", detail.c_str());
    return met;
}

std::string benchBridgeBinary()
{
    const char* chosen = std::getenv("VELUMBRA_BENCH_BRIDGE");
    return chosen && *chosen ? chosen : VELUMBRA_BINARY;
}

std::string benchToolPath(const char* name) { return std::string(VELUMBRA_TOOLS_DIR) + "/" + name; }

std::string makeBenchProfile()
{
    static int serial = 0;
    fs::path folder = fs::temp_directory_path() /
                      ("velumbra-bench-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
    std::error_code error;
    fs::remove_all(folder, error);
    fs::create_directories(folder / "Documents", error);
    fs::path fx = folder / "AppData" / "Roaming" / "Velumbra";
    fs::create_directories(fx, error);
    for (const char* name : {"fx1_4.prm", "fx5_8.prm"})
        fs::copy_file(fs::path(VELUMBRA_SOURCE_DIR) / "fxdata" / name, fx / name,
                      fs::copy_options::overwrite_existing, error);
    return folder.string();
}

void removeBenchProfile(const std::string& folder)
{
    std::error_code error;
    fs::remove_all(folder, error);
}

int unusedUdpPort()
{
    UdpSocket probe;
    if (!probe.open() || !probe.bind(LOOPBACK, 0)) return 0;
    return probe.localPort();
}

int startMinimalRelay(ChildProcess& child, uint16_t destPort)
{
    return startMinimalRelay(child, std::vector<uint16_t>{destPort});
}

int startMinimalRelay(ChildProcess& child, const std::vector<uint16_t>& destPorts)
{
    std::vector<std::string> arguments;
    for (uint16_t port : destPorts) arguments.push_back(std::to_string(port));
    if (!startProcess(child, VELUMBRA_MINIMAL_RELAY, arguments)) return 0;
    std::string line;
    int port = 0;
    if (!waitForLine(child, "port ", 5000, line) || std::sscanf(line.c_str(), "port %d", &port) != 1) return 0;
    return port;
}

int startConsoleEmulator(ChildProcess& child, const std::vector<std::string>& extra)
{
    std::vector<std::string> arguments = {"--listen", "127.0.0.1:0"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    if (!startProcess(child, benchToolPath("velumbra-console-sim"), arguments)) return 0;
    return waitForListeningPort(child, 5000);
}

bool startBridge(ChildProcess& child, BridgeLaunch& launch)
{
    if (launch.listenPort == 0) launch.listenPort = unusedUdpPort();
    std::vector<std::string> arguments = {"--mixer", "127.0.0.1:" + std::to_string(launch.mixerPort),
                                          "--surface", "127.0.0.1:" + std::to_string(launch.surfacePort),
                                          "--listen-port", std::to_string(launch.listenPort), "--no-editor"};
    arguments.insert(arguments.end(), launch.extra.begin(), launch.extra.end());
    const char* saved = std::getenv("USERPROFILE");
    std::string savedText = saved ? saved : "";
    ::setenv("USERPROFILE", launch.profile.c_str(), 1);
    bool started =
        startProcess(child, launch.binary.empty() ? benchBridgeBinary() : launch.binary, arguments);
    if (saved) ::setenv("USERPROFILE", savedText.c_str(), 1);
    else ::unsetenv("USERPROFILE");
    return started;
}

bool waitForBridgeSynchronised(ChildProcess& child, int timeoutMs)
{
    std::string line;
    return waitForLine(child, "Listening to messages...", timeoutMs, line);
}

BridgeQueueStatus readBridgeQueueStatus(ChildProcess& child)
{
    BridgeQueueStatus status;
    std::string line;
    if (!writeToProcess(child, "i\n") || !waitForLine(child, "surface 1 queue:", 3000, line)) return status;
    status.read = std::sscanf(line.c_str(), "surface 1 queue: depth %d, high-water %d, dropped %llu",
                              &status.depth, &status.highWater, &status.dropped) == 3;
    return status;
}

bool openPeer(LoopbackPeer& peer)
{
    if (!peer.socket.open() || !peer.socket.bind(LOOPBACK, 0)) return false;
    peer.port = peer.socket.localPort();
    return peer.port != 0;
}

void startPeer(LoopbackPeer& peer)
{
    peer.stopping = false;
    peer.receiver = std::thread(receiveLoop, std::ref(peer));
}

void stopPeer(LoopbackPeer& peer)
{
    peer.stopping = true;
    peer.socket.interrupt();
    if (peer.receiver.joinable()) peer.receiver.join();
}

bool sendFromPeer(LoopbackPeer& peer, const void* data, int length, uint16_t toPort)
{
    return peer.socket.sendTo(data, length, UdpEndpoint{LOOPBACK, toPort}) == length;
}

bool waitForLogged(LoopbackPeer& peer, size_t count, int timeoutMs)
{
    std::unique_lock<std::mutex> lock(peer.mutex);
    return peer.arrived.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                 [&] { return peer.log.size() >= count; });
}

std::vector<Datagram> takeLog(LoopbackPeer& peer)
{
    std::lock_guard<std::mutex> lock(peer.mutex);
    std::vector<Datagram> out;
    out.swap(peer.log);
    return out;
}

size_t loggedCount(LoopbackPeer& peer)
{
    std::lock_guard<std::mutex> lock(peer.mutex);
    return peer.log.size();
}

bool startRelay(ConsoleRelay& relay, uint16_t consolePort)
{
    relay.consolePort = consolePort;
    if (!openPeer(relay.bridgeSide) || !openPeer(relay.consoleSide)) return false;
    // A scene recall is thousands of pushes at once: none may be lost here.
    relay.bridgeSide.socket.setReceiveBufferSize(8 * 1024 * 1024);
    relay.consoleSide.socket.setReceiveBufferSize(8 * 1024 * 1024);
    relay.bridgeSide.filter = [&relay](const Datagram& d) {
        relay.bridgePortSeen = d.from.port;
        sendFromPeer(relay.consoleSide, d.bytes.data(), static_cast<int>(d.bytes.size()), relay.consolePort);
        return relay.tapFromBridge && relay.tapFromBridge(d);
    };
    relay.consoleSide.filter = [&relay](const Datagram& d) {
        uint32_t port = relay.bridgePortSeen;
        const uint16_t copy = relay.copyTo;
        const bool first = relay.copyFirst;
        if (copy && first) sendFromPeer(relay.consoleSide, d.bytes.data(), static_cast<int>(d.bytes.size()), copy);
        if (port != 0 && !relay.holdConsole && !(relay.dropMeters && isMeterBlob(d.bytes)))
            sendFromPeer(relay.bridgeSide, d.bytes.data(), static_cast<int>(d.bytes.size()), static_cast<uint16_t>(port));
        if (copy && !first) sendFromPeer(relay.consoleSide, d.bytes.data(), static_cast<int>(d.bytes.size()), copy);
        return false;
    };
    startPeer(relay.bridgeSide);
    startPeer(relay.consoleSide);
    return true;
}

void stopRelay(ConsoleRelay& relay)
{
    stopPeer(relay.bridgeSide);
    stopPeer(relay.consoleSide);
}

bool injectToBridge(ConsoleRelay& relay, const std::vector<uint8_t>& datagram)
{
    uint32_t port = relay.bridgePortSeen;
    return port != 0 && sendFromPeer(relay.bridgeSide, datagram.data(), static_cast<int>(datagram.size()),
                                     static_cast<uint16_t>(port));
}

bool startRig(BridgeRig& rig, const std::string& binary, const std::vector<std::string>& extra)
{
    int consolePort = startConsoleEmulator(rig.console, rig.consoleExtra);
    if (consolePort == 0 || !startRelay(rig.relay, static_cast<uint16_t>(consolePort)) || !openPeer(rig.surface)) {
        std::printf("  cannot set up the console emulator and the peers\n");
        return false;
    }
    startPeer(rig.surface);
    rig.launch.binary = binary;
    rig.launch.profile = makeBenchProfile();
    rig.launch.mixerPort = rig.relay.bridgeSide.port;
    rig.launch.surfacePort = rig.surface.port;
    rig.launch.extra = {"--sweep-window", "16"};
    rig.launch.extra.insert(rig.launch.extra.end(), extra.begin(), extra.end());
    if (!startBridge(rig.bridge, rig.launch) || !waitForBridgeSynchronised(rig.bridge, 60000)) {
        std::printf("  the bridge did not finish its start-up\n");
        return false;
    }
    return true;
}

void stopRig(BridgeRig& rig)
{
    stopProcess(rig.bridge, 3000);
    stopProcess(rig.console, 2000);
    stopPeer(rig.surface);
    stopRelay(rig.relay);
    removeBenchProfile(rig.launch.profile);
}

void timeRounds(std::vector<TimedPath*> paths, int rounds)
{
    for (int k = 0; k < rounds; ++k) {
        // Each round starts with the next path, so none is always first.
        for (size_t n = 0; n < paths.size(); ++n) {
            TimedPath* path = paths[(static_cast<size_t>(k) + n) % paths.size()];
            std::this_thread::sleep_for(std::chrono::microseconds(500));
            takeLog(*path->peer);
            int64_t start = steadyNanoseconds();
            path->send(k);
            if (!waitForLogged(*path->peer, 1, 1000)) continue;
            std::vector<Datagram> got = takeLog(*path->peer);
            path->samples.push_back(static_cast<double>(got.front().atNs - start) / 1000.0);
        }
    }
}

std::vector<uint8_t> oscMessage(const std::string& address)
{
    std::vector<uint8_t> out;
    appendPadded(out, address);
    appendPadded(out, ",");
    return out;
}

std::vector<uint8_t> oscFloatMessage(const std::string& address, float value)
{
    std::vector<uint8_t> out;
    appendPadded(out, address);
    appendPadded(out, ",f");
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(bits >> shift));
    return out;
}

std::vector<uint8_t> oscIntMessage(const std::string& address, int32_t value)
{
    std::vector<uint8_t> out;
    appendPadded(out, address);
    appendPadded(out, ",i");
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(value) >> shift));
    return out;
}

bool oscNumberOf(const std::vector<uint8_t>& bytes, const char* address, double& value)
{
    if (!oscAddressIs(bytes, address)) return false;
    size_t tags = (std::strlen(address) + 4) & ~size_t{3};
    if (bytes.size() < tags + 8 || bytes[tags] != ',') return false;
    const uint8_t* at = bytes.data() + tags + 4;
    uint32_t bits = (uint32_t{at[0]} << 24) | (uint32_t{at[1]} << 16) | (uint32_t{at[2]} << 8) | at[3];
    if (bytes[tags + 1] == 'i') {
        value = static_cast<int32_t>(bits);
        return true;
    }
    if (bytes[tags + 1] != 'f') return false;
    float f;
    std::memcpy(&f, &bits, 4);
    value = f;
    return true;
}

bool oscAddressIs(const std::vector<uint8_t>& bytes, const char* address)
{
    size_t n = std::strlen(address);
    return bytes.size() > n && std::memcmp(bytes.data(), address, n) == 0 && bytes[n] == 0;
}

bool isMeterBlob(const std::vector<uint8_t>& bytes)
{
    return bytes.size() > 6 && std::memcmp(bytes.data(), "/meter", 6) == 0;
}

std::vector<uint8_t> surfaceFaderMessage(int fader, double position)
{
    const int step = faderStepOf(position);
    return {static_cast<uint8_t>(0xE0 + fader - 1), faderLowByte(step), faderHighByte(step)};
}

int64_t processCpuNanoseconds(int pid)
{
    std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* dir = ::opendir(tasks.c_str());
    if (!dir) return -1;
    int64_t total = 0;
    while (dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        std::ifstream in(tasks + "/" + entry->d_name + "/schedstat");
        long long onCpu = 0;
        if (in >> onCpu) total += onCpu;
    }
    ::closedir(dir);
    return total;
}

long residentKilobytes(int pid)
{
    std::string line = firstLineOf("/proc/" + std::to_string(pid) + "/status", "VmRSS:");
    long kb = -1;
    if (!line.empty()) std::sscanf(line.c_str(), "VmRSS: %ld", &kb);
    return kb;
}

std::map<int, long long> threadWakeUps(int pid)
{
    std::map<int, long long> wakes;
    std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* dir = ::opendir(tasks.c_str());
    if (!dir) return wakes;
    while (dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        std::string line = firstLineOf(tasks + "/" + entry->d_name + "/status", "voluntary_ctxt_switches:");
        long long n = 0;
        if (std::sscanf(line.c_str(), "voluntary_ctxt_switches: %lld", &n) == 1) wakes[std::atoi(entry->d_name)] = n;
    }
    ::closedir(dir);
    return wakes;
}

unsigned long long udpDropsOf(int pid)
{
    std::vector<std::string> inodes;
    std::string fds = "/proc/" + std::to_string(pid) + "/fd";
    if (DIR* dir = ::opendir(fds.c_str())) {
        while (dirent* entry = ::readdir(dir)) {
            char target[128] = {};
            std::string path = fds + "/" + entry->d_name;
            ssize_t n = ::readlink(path.c_str(), target, sizeof target - 1);
            if (n > 9 && std::strncmp(target, "socket:[", 8) == 0)
                inodes.emplace_back(target + 8, static_cast<size_t>(n - 9));
        }
        ::closedir(dir);
    }
    unsigned long long drops = 0;
    std::ifstream table("/proc/net/udp");
    std::string line;
    std::getline(table, line);   // header
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::vector<std::string> f;
        for (std::string w; fields >> w;) f.push_back(w);
        if (f.size() >= 13 && std::find(inodes.begin(), inodes.end(), f[9]) != inodes.end())
            drops += std::strtoull(f.back().c_str(), nullptr, 10);
    }
    return drops;
}

std::vector<std::string> residentBreakdown(int pid, size_t lines)
{
    // Sums Rss by mapping name: the program, each library, [heap], stacks and
    // anonymous mappings (thread stacks and large allocations).
    std::ifstream in("/proc/" + std::to_string(pid) + "/smaps");
    std::map<std::string, long> byName;
    std::string line;
    std::string name;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        if (std::isxdigit(static_cast<unsigned char>(line[0])) && line.find('-') < 17) {
            std::istringstream fields(line);
            std::string range, perms, offset, device, inode;
            fields >> range >> perms >> offset >> device >> inode;
            std::getline(fields, name);
            name.erase(0, name.find_first_not_of(' '));
            if (name.empty()) name = "[anonymous]";
            else if (name[0] == '/') name = fs::path(name).filename().string();
        } else if (line.rfind("Rss:", 0) == 0) {
            long kb = 0;
            std::sscanf(line.c_str(), "Rss: %ld", &kb);
            byName[name] += kb;
        }
    }
    std::vector<std::pair<long, std::string>> sorted;
    for (auto& [n, kb] : byName) sorted.push_back({kb, n});
    std::sort(sorted.rbegin(), sorted.rend());
    std::vector<std::string> out;
    for (size_t i = 0; i < sorted.size() && i < lines; ++i) {
        char text[160];
        std::snprintf(text, sizeof text, "%6ld kB  %s", sorted[i].first, sorted[i].second.c_str());
        out.push_back(text);
    }
    return out;
}

std::string machineDescription()
{
    std::string model = firstLineOf("/proc/cpuinfo", "model name");
    size_t colon = model.find(':');
    model = colon == std::string::npos ? "unknown CPU" : model.substr(colon + 2);
    utsname u{};
    ::uname(&u);
    char text[300];
    std::snprintf(text, sizeof text, "%s, %ld online cores, Linux %s", model.c_str(),
                  ::sysconf(_SC_NPROCESSORS_ONLN), u.release);
    return text;
}
