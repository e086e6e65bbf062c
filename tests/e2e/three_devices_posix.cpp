#include "e2e/three_devices.h"

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>
#include <thread>

#include "tools/device_probe.h"

namespace fs = std::filesystem;

namespace {

const int kEmulatorStartMs = 5000;
const int kAnswerMs = 3000;

bool makeProfile(ThreeDevices& devices, std::string& why)
{
    std::error_code error;
    fs::path fxFolder = profileFolder(devices) / "AppData" / "Roaming" / "Velumbra";
    if (!devices.seedFxFiles) return true;
    fs::create_directories(fxFolder, error);
    for (const char* name : {"fx1_4.prm", "fx5_8.prm"}) {
        fs::copy_file(fs::path(VELUMBRA_SOURCE_DIR) / "fxdata" / name, fxFolder / name,
                      fs::copy_options::overwrite_existing, error);
        if (error) {
            why = "cannot copy " + std::string(name) + ": " + error.message();
            return false;
        }
    }
    return true;
}

// The bridge takes its profile folder from the environment it inherits.
bool startBridge(ThreeDevices& devices, const std::vector<std::string>& extra)
{
    const char* saved = std::getenv("USERPROFILE");
    std::string savedText = saved ? saved : "";
    ::setenv("USERPROFILE", devices.profile.c_str(), 1);
    std::string surfaces = "127.0.0.1:" + std::to_string(devices.surfacePort);
    if (devices.units == 2) surfaces += ",127.0.0.1:" + std::to_string(devices.surface2Port);
    std::vector<std::string> arguments = {"--mixer", "127.0.0.1:" + std::to_string(devices.consolePort), "--surface",
                                          surfaces, "--listen-port",
                                          std::to_string(devices.bridgePort), "--no-editor"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    const std::string program = devices.bridgeProgram.empty() ? VELUMBRA_BINARY : devices.bridgeProgram;
    bool started = startProcess(devices.bridge, program, arguments);
    if (saved) ::setenv("USERPROFILE", savedText.c_str(), 1);
    else ::unsetenv("USERPROFILE");
    return started;
}

bool startEmulators(ThreeDevices& devices, const std::vector<std::string>& consoleArguments, std::string& why)
{
    // A port no socket holds right now. The bridge binds it a moment later;
    // the rare case that someone else took it meanwhile is retried.
    devices.bridgePort = ProbeSocket().port;
    why.clear();
    if ((devices.consolePort = startConsoleSim(devices.console, consoleArguments)) == 0)
        why = "the console emulator did not come up";
    else if (devices.bridgePort == 0)
        why = "no free UDP port for the bridge";
    else if ((devices.surfacePort = startSurfaceSim(devices.surface, devices.bridgePort, {"--script"})) == 0)
        why = "the surface emulator did not come up";
    else if (devices.units == 2 && (devices.surface2Port = startSurfaceSim(devices.surface2, devices.bridgePort, {"--script"})) == 0)
        why = "the second surface emulator did not come up";
    return why.empty();
}

void stopAll(ThreeDevices& devices)
{
    stopProcess(devices.bridge, 2000);
    stopProcess(devices.surface, 2000);
    if (devices.units == 2) stopProcess(devices.surface2, 2000);
    stopProcess(devices.console, 2000);
}

ChildProcess& unitProcess(ThreeDevices& devices, int unit) { return unit == 2 ? devices.surface2 : devices.surface; }

// Makes a stopped child ready for startProcess again.
void forgetChild(ChildProcess& child)
{
    child.pid = -1;
    child.lines.clear();
    child.nextLine = 0;
    child.outputClosed = false;
    child.exited = false;
    child.exitStatus = 0;
}

bool lineContains(const std::vector<std::string>& lines, const std::string& text)
{
    for (const std::string& line : lines)
        if (line.find(text) != std::string::npos) return true;
    return false;
}

// Reads a quoted dump text starting at the opening quote; undoes the
// emulator's escapes (\" \\ \xNN).
bool readQuoted(const std::string& line, size_t& at, std::string& text)
{
    if (at >= line.size() || line[at] != '"') return false;
    text.clear();
    for (++at; at < line.size(); ++at) {
        char c = line[at];
        if (c == '"') {
            ++at;
            return true;
        }
        if (c != '\\' || at + 1 >= line.size()) {
            text += c;
            continue;
        }
        char next = line[++at];
        if (next == 'x' && at + 2 < line.size()) {
            text += static_cast<char>(std::strtol(line.substr(at + 1, 2).c_str(), nullptr, 16));
            at += 2;
        } else {
            text += next;
        }
    }
    return false;
}

bool parseDisplayLine(const std::string& line, SurfaceView& view)
{
    int position = 0;
    int color = 0;
    int inverted = 0;
    int consumed = 0;
    if (std::sscanf(line.c_str(), "display %d color %d inv %d top %n", &position, &color, &inverted, &consumed) != 3 ||
        position < 1 || position > 8 || consumed == 0)
        return false;
    size_t at = static_cast<size_t>(consumed);
    std::string top;
    std::string bottom;
    if (!readQuoted(line, at, top) || line.compare(at, 8, " bottom ") != 0) return false;
    at += 8;
    if (!readQuoted(line, at, bottom)) return false;
    view.displayColor[position - 1] = color;
    view.displayInverted[position - 1] = inverted;
    view.displayTop[position - 1] = top;
    view.displayBottom[position - 1] = bottom;
    return true;
}

void parseDumpLine(const std::string& line, SurfaceView& view)
{
    int a = 0, b = 0, c = 0;
    double position = 0.0;
    if (parseDisplayLine(line, view)) return;
    if (std::sscanf(line.c_str(), "fader %d %lf", &a, &position) == 2 && a >= 1 && a <= 9) {
        view.fader[a - 1] = position;
    } else if (std::sscanf(line.c_str(), "ring %d %d %d", &a, &b, &c) == 3 && a >= 1 && a <= 8) {
        view.ring[a - 1][0] = b;
        view.ring[a - 1][1] = c;
    } else if (std::sscanf(line.c_str(), "lamp %d %d", &a, &b) == 2 && a >= 0 && a < 128) {
        view.lamp[a] = b;
    } else if (std::sscanf(line.c_str(), "sent %ld", &view.sent) != 1) {
        std::sscanf(line.c_str(), "malformed %ld", &view.malformed);
    }
}

} // namespace

fs::path profileFolder(ThreeDevices& devices)
{
    if (!devices.profile.empty()) return devices.profile;
    static int serial = 0;
    devices.profile = fs::temp_directory_path() /
                      ("velumbra-e2e-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
    std::error_code error;
    fs::remove_all(devices.profile, error);
    fs::create_directories(devices.profile / "Documents", error);
    return devices.profile;
}

ThreeDevices::~ThreeDevices()
{
    stopAll(*this);
    std::error_code error;
    if (!profile.empty()) fs::remove_all(profile, error);
}

bool startThreeDevices(ThreeDevices& devices, int startupMs, std::string& why,
                       const std::vector<std::string>& consoleArguments,
                       const std::vector<std::string>& bridgeArguments)
{
    if (!makeProfile(devices, why)) return false;
    std::string line;
    for (int attempt = 1;; ++attempt) {
        if (!startEmulators(devices, consoleArguments, why)) return false;
        if (!startBridge(devices, bridgeArguments)) {
            why = "the bridge could not be started";
            return false;
        }
        // "Ready for the messages..." follows the bind of the surface port.
        if (waitForLine(devices.bridge, "Ready for the messages...", kEmulatorStartMs, line)) break;
        bool portTaken = waitForExit(devices.bridge, 100) && lineContains(outputLines(devices.bridge), "bind: ");
        if (!portTaken || attempt == 3) {
            why = "the bridge did not get ready; it printed:\n" + bridgeTail(devices);
            return false;
        }
        stopAll(devices);
        forgetChild(devices.bridge);
        forgetChild(devices.surface);
        forgetChild(devices.surface2);
        forgetChild(devices.console);
    }
    if (!waitForLine(devices.bridge, "Listening to messages...", startupMs, line)) {
        why = "no \"Listening to messages...\" within " + std::to_string(startupMs) + " ms; the bridge printed:\n" +
              bridgeTail(devices);
        return false;
    }
    return true;
}

bool restartConsole(ThreeDevices& devices, const std::vector<std::string>& consoleArguments)
{
    stopProcess(devices.console, 2000);
    forgetChild(devices.console);
    std::vector<std::string> arguments = {"--listen", "127.0.0.1:" + std::to_string(devices.consolePort)};
    arguments.insert(arguments.end(), consoleArguments.begin(), consoleArguments.end());
    return startProcess(devices.console, VELUMBRA_TOOLS_DIR "/velumbra-console-sim", arguments) &&
           waitForListeningPort(devices.console, kEmulatorStartMs) == devices.consolePort;
}

std::vector<std::string> surfaceDumpLines(ThreeDevices& devices, int unit)
{
    std::vector<std::string> lines;
    std::string line;
    ChildProcess& surface = unitProcess(devices, unit);
    if (!writeToProcess(surface, "dump\n") || !waitForLine(surface, "display 1 ", kAnswerMs, line))
        return lines;
    lines.push_back(line);
    while (waitForLine(surface, "", kAnswerMs, line)) {
        lines.push_back(line);
        if (line.rfind("heartbeats ", 0) == 0) return lines;
    }
    return {};
}

bool readSurface(ThreeDevices& devices, SurfaceView& view, int unit)
{
    view = SurfaceView{};
    for (int& lamp : view.lamp) lamp = -1;
    std::vector<std::string> lines = surfaceDumpLines(devices, unit);
    for (const std::string& line : lines) parseDumpLine(line, view);
    return !lines.empty();
}

std::string faderLine(int fader, double position)
{
    char text[48];
    std::snprintf(text, sizeof text, "fader %d %.4f", fader, position);
    return text;
}

bool surfaceCommand(ThreeDevices& devices, const std::string& command, int unit)
{
    return writeToProcess(unitProcess(devices, unit), command + "\n");
}

bool surfaceExpect(ThreeDevices& devices, const std::string& dumpLine, int withinMs, int unit)
{
    ChildProcess& surface = unitProcess(devices, unit);
    if (!writeToProcess(surface, "expect within " + std::to_string(withinMs) + " " + dumpLine + "\n"))
        return false;
    std::string line;
    if (!waitForLine(surface, "expect ", withinMs + kAnswerMs, line)) return false;
    return line == "expect ok: " + dumpLine;
}

bool consoleCommand(ThreeDevices& devices, const std::string& command)
{
    return writeToProcess(devices.console, command + "\n");
}

bool consoleValue(ThreeDevices& devices, const std::string& address, std::string& value)
{
    std::string line;
    if (!writeToProcess(devices.console, "dump " + address + "\n") ||
        !waitForLine(devices.console, address + " ", kAnswerMs, line))
        return false;
    value = line.substr(address.size() + 1);
    return true;
}

bool consoleFloat(ThreeDevices& devices, const std::string& address, double& value)
{
    std::string text;
    return consoleValue(devices, address, text) && std::sscanf(text.c_str(), "f %lf", &value) == 1;
}

bool consoleInt(ThreeDevices& devices, const std::string& address, int& value)
{
    std::string text;
    return consoleValue(devices, address, text) && std::sscanf(text.c_str(), "i %d", &value) == 1;
}

bool consoleDump(ThreeDevices& devices, const std::string& prefix, std::map<std::string, std::string>& values)
{
    if (!writeToProcess(devices.console, "dump " + prefix + "*\n")) return false;
    std::string line;
    while (waitForLine(devices.console, "", kAnswerMs, line)) {
        if (line.rfind("dumped ", 0) == 0) return true;
        size_t space = line.find(' ');
        // Other lines (logged writes, clients) do not start with an address.
        if (!line.empty() && line[0] == '/' && space != std::string::npos && line.rfind(prefix, 0) == 0)
            values[line.substr(0, space)] = line.substr(space + 1);
    }
    return false;
}

bool dumpedText(const std::string& value, std::string& text)
{
    size_t at = 2;
    return value.rfind("s ", 0) == 0 && readQuoted(value, at, text);
}

std::string bridgeStatus(ThreeDevices& devices)
{
    std::string line;
    if (!writeToProcess(devices.bridge, "i\n") || !waitForLine(devices.bridge, "---- status ----", kAnswerMs, line))
        return "";
    std::string text = line + "\n";
    while (waitForLine(devices.bridge, "", kAnswerMs, line)) {
        text += line + "\n";
        if (line.rfind("-----", 0) == 0) break;
    }
    return text;
}

namespace {
// "surface input: N datagrams handled, ..." of the status block; -1 if absent.
long handledSurfaceDatagrams(ThreeDevices& devices)
{
    std::istringstream lines(bridgeStatus(devices));
    long handled = -1;
    for (std::string line; std::getline(lines, line);)
        if (std::sscanf(line.c_str(), "surface input: %ld datagrams handled", &handled) == 1) return handled;
    return -1;
}

// Datagrams every surface emulator has sent; -1 when one did not answer.
long sentBySurfaces(ThreeDevices& devices)
{
    long sent = 0;
    for (int unit = 1; unit <= devices.units; ++unit) {
        SurfaceView view;
        if (!readSurface(devices, view, unit)) return -1;
        sent += view.sent;
    }
    return sent;
}
}  // namespace

bool countLostSurfaceDatagrams(ThreeDevices& devices)
{
    const long handled = handledSurfaceDatagrams(devices);
    const long sent = sentBySurfaces(devices);
    if (handled < 0 || sent < 0) return false;
    devices.surfaceDatagramsLost = sent - handled;
    return true;
}

bool waitForBridgeToHandleSurface(ThreeDevices& devices, int withinMs)
{
    const long sent = sentBySurfaces(devices);
    if (sent < 0) return false;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(withinMs);
    for (;;) {
        if (handledSurfaceDatagrams(devices) + devices.surfaceDatagramsLost >= sent) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

bool consoleWrites(ThreeDevices& devices, std::vector<std::string>& writes)
{
    writes.clear();
    if (!writeToProcess(devices.console, "writes\n")) return false;
    std::string line;
    while (waitForLine(devices.console, "", kAnswerMs, line)) {
        if (line.rfind("writes ", 0) == 0) return line.find("not logged 0") != std::string::npos;
        if (line.rfind("wrote ", 0) == 0) writes.push_back(line.substr(6));
    }
    return false;
}

std::string bridgeTail(ThreeDevices& devices, size_t count)
{
    std::vector<std::string> lines = outputLines(devices.bridge);
    std::ostringstream text;
    for (size_t i = lines.size() > count ? lines.size() - count : 0; i < lines.size(); ++i)
        text << "  " << lines[i] << "\n";
    return text.str();
}

std::string eventually(int withinMs, const std::function<std::string()>& check)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(withinMs);
    for (;;) {
        std::string mismatch = check();
        if (mismatch.empty() || std::chrono::steady_clock::now() >= deadline) return mismatch;
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
    }
}
