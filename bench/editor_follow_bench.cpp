// What following the editor's window costs the surface receive loop, per
// datagram: the real loop on loopback sockets, fed fader moves in bursts of
// 100 (so it never idles) until 2,000 have come through as console writes,
// on an X server (Xvfb) with and without a stand-in editor window, and on
// the null desktop (no editor integration, --no-editor) as the yardstick.
// Also what the click thread spends per surface action: one search for the
// editor, one read of its window. Needs Xvfb; without it only the yardstick
// is measured.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <random>
#include <string>
#include <thread>

#include "app/reset_state.h"
#include "app/surface_receive.h"
#include "editor/editor_clicks.h"
#include "editor/editor_window.h"
#include "mixer/mixer_send.h"
#include "model/console_model.h"
#include "platform/clock.h"
#include "platform/console_output.h"
#include "platform/desktop.h"
#include "platform/stop_signal.h"
#include "platform/udp.h"
#include "surface/output_queue.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t LOOPBACK = 0x7F000001;
constexpr int BURST = 100;
constexpr int DATAGRAMS = 2000;
constexpr int RUNS = 5;

std::string readText(const fs::path& path)
{
    std::ifstream file(path);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

bool waitForText(const fs::path& path, const char* text)
{
    for (int k = 0; k < 500; ++k) {
        if (readText(path).find(text) != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

void stopPidIn(const fs::path& pidFile)
{
    int pid = std::atoi(readText(pidFile).c_str());
    if (pid > 1) (void)std::system(("kill " + std::to_string(pid) + " 2>/dev/null").c_str());
}

// Microseconds per datagram through the loop, the best of RUNS.
double measureLoop()
{
    double best = 1e9;
    for (int run = 0; run < RUNS; ++run) {
        UdpSocket bridgeSide, surface, console;
        if (!bridgeSide.open() || !bridgeSide.bind(LOOPBACK, 0) || !surface.open() || !console.open() ||
            !console.bind(LOOPBACK, 0))
            return -1;
        bridgeSide.setReceiveBufferSize(1 << 20);
        console.setReceiveBufferSize(1 << 20);
        UdpSocket mixerSide;
        if (!mixerSide.open()) return -1;
        setMixerLink(&mixerSide, UdpEndpoint{LOOPBACK, console.localPort()});
        setSurfaceLink(&bridgeSide, UdpEndpoint{LOOPBACK, 1});
        resetStopSignal();
        std::future<int> loop = std::async(std::launch::async, surfaceReceiveLoop);
        const UdpEndpoint to{LOOPBACK, bridgeSide.localPort()};
        uint8_t reply[512];
        int64_t start = steadyNanoseconds();
        int received = 0;
        for (int sent = 0; sent < DATAGRAMS;) {
            for (int k = 0; k < BURST; ++k, ++sent) {
                const uint8_t move[] = {0xE0, static_cast<uint8_t>(sent % 128), static_cast<uint8_t>(sent / 128 % 100)};
                surface.sendTo(move, 3, to);
            }
            while (received < sent) {
                int length = 0;
                UdpEndpoint from;
                if (console.receive(reply, sizeof reply, length, from, 2000) != ReceiveStatus::Received) break;
                ++received;
            }
        }
        double us = static_cast<double>(steadyNanoseconds() - start) / 1000.0 / DATAGRAMS;
        requestStop();
        bridgeSide.interrupt();
        loop.wait();
        setSurfaceLink(nullptr, UdpEndpoint{});
        setMixerLink(nullptr, UdpEndpoint{});
        if (received < DATAGRAMS) {
            std::printf("  (run %d: %d of %d writes came through)\n", run + 1, received, DATAGRAMS);
            continue;
        }
        if (us < best) best = us;
    }
    return best;
}

// Microseconds per call of what the click thread does for one surface
// action: a search while no editor is known, a read of the editor's window
// once one is.
double timeCalls(void (*call)())
{
    constexpr int CALLS = 200;
    int64_t start = steadyNanoseconds();
    for (int k = 0; k < CALLS; ++k) call();
    return static_cast<double>(steadyNanoseconds() - start) / 1000.0 / CALLS;
}

void arrange()
{
    resetAllState();
    for (int i = 0; i < 8; ++i) bankStrips[i] = i;
    surfacePage = 0;
    startupComplete = 1;
}

}  // namespace

int main()
{
    std::printf("editor follow: the surface receive loop per fader datagram, best of %d runs of %d "
                "(bursts of %d)\n", RUNS, DATAGRAMS, BURST);
    std::string output;
    setConsoleCapture(&output);
    arrange();
    useNullDesktop();
    editorFollowed = 0;  // as the bridge sets it with --no-editor
    std::printf("  %-44s %7.2f us\n", "null desktop (--no-editor):", measureLoop());

    if (std::system("command -v Xvfb >/dev/null 2>&1") != 0) {
        std::printf("  Xvfb is not installed: no X11 figures\n");
        return 0;
    }
    fs::path folder = fs::temp_directory_path() / ("velumbra-follow-" + std::to_string(std::random_device{}()));
    fs::create_directories(folder);
    auto start = [&](const std::string& command, const char* name) {
        std::string line = command + " >/dev/null 2>&1 & echo $! >'" + (folder / name).string() + ".pid'";
        return std::system(line.c_str()) == 0;
    };
    start("Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp 3>'" + (folder / "display").string() + "'", "xvfb");
    if (!waitForText(folder / "display", "\n")) return 1;
    std::string display = ":" + std::to_string(std::atoi(readText(folder / "display").c_str()));

    arrange();
    if (!useX11Desktop(display.c_str())) return 1;
    std::printf("  %-44s %7.2f us\n", "X11, no editor window:", measureLoop());
    std::printf("  %-44s %7.2f us\n", "  one search for the editor (click thread):", timeCalls(searchEditorWindow));

    start("'" + std::string(VELUMBRA_TOOLS_DIR) + "/velumbra-x11-test-window' " + display +
              " 100 80 900 600 'X32 EDIT - bench' net '" + (folder / "window.log").string() + "'",
          "window");
    if (!waitForText(folder / "window.log", "ready")) return 1;
    arrange();
    if (!useX11Desktop(display.c_str())) return 1;
    searchEditorWindow();
    std::printf("  %-44s %7.2f us%s\n", "X11, editor window present:", measureLoop(),
                editorFound == 1 ? "" : " (the window was not found)");
    std::printf("  %-44s %7.2f us\n", "  one read of its window (click thread):", timeCalls(updateEditorGeometry));

    stopEditorClicks();
    resetAllState();
    setConsoleCapture(nullptr);
    stopPidIn(folder / "window.pid");
    stopPidIn(folder / "xvfb.pid");
    std::error_code error;
    fs::remove_all(folder, error);
    return 0;
}
