// The X11 desktop against a real X server: Xvfb with stand-in editor
// windows that log the clicks and keys they receive, and under a window
// manager that animates minimising, with every press on the screen recorded.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <thread>

#include "app/reset_state.h"
#include "app/startup.h"
#include "editor/editor_clicks.h"
#include "editor/editor_window.h"
#include "platform/console_output.h"
#include "platform/desktop.h"
#include "app/surface_receive.h"

namespace fs = std::filesystem;

namespace {

std::string readText(const fs::path& path)
{
    std::ifstream file(path);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

bool waitFor(const std::function<bool()>& condition, int timeoutMs = 10000)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

std::string quoted(const fs::path& path) { return "'" + path.string() + "'"; }

class DesktopX11Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetAllState();
        if (!desktopHasX11Support()) GTEST_SKIP() << "this build has no X11 desktop";
        if (std::system("command -v Xvfb >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "Xvfb is not installed; the real-desktop test needs it";
        folder = fs::temp_directory_path() / ("velumbra-x11-" + std::to_string(std::random_device{}()));
        fs::create_directories(folder);
        // Xvfb picks a free display number and writes it to fd 3 once it
        // accepts connections.
        start("Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp 3>" + quoted(folder / "display"), "xvfb");
        ASSERT_TRUE(waitFor([&] { return readText(folder / "display").find('\n') != std::string::npos; }))
            << "Xvfb did not start";
        display = ":" + std::to_string(std::atoi(readText(folder / "display").c_str()));
        setConsoleCapture(&output);
    }

    void TearDown() override
    {
        setConsoleCapture(nullptr);
        resetAllState();  // closes our connection before the server goes
        for (const char* name : {"window", "fx", "recorder", "openbox", "xvfb"}) stop(name);
        std::error_code error;
        if (!folder.empty()) fs::remove_all(folder, error);
    }

    // Runs command in the background, its process id in name.pid.
    void start(const std::string& command, const char* name)
    {
        std::string line = command + " >/dev/null 2>&1 & echo $! >" + quoted(folder / (std::string(name) + ".pid"));
        ASSERT_EQ(std::system(line.c_str()), 0);
    }

    // A stand-in window at "x y w h" whose title is a _NET_WM_NAME ("net") or
    // a WM_NAME ("plain"); "iconic" starts it minimised.
    void startWindow(const char* name, const char* rect, const char* title, const char* titleKind,
                     const char* state = "")
    {
        fs::path log = folder / (std::string(name) + ".log");
        start(quoted(fs::path(VELUMBRA_TOOLS_DIR) / "velumbra-x11-test-window") + " " + display + " " + rect +
                  " '" + title + "' " + titleKind + " " + quoted(log) + " " + state,
              name);
        ASSERT_TRUE(waitFor([&] { return readText(log).find("ready") != std::string::npos; }))
            << "test window " << name << " did not appear";
    }

    bool logShows(const std::string& line)
    {
        return waitFor([&] { return readText(folder / "window.log").find(line + "\n") != std::string::npos; }, 5000);
    }

    void stop(const char* name)
    {
        if (folder.empty()) return;
        fs::path pidFile = folder / (std::string(name) + ".pid");
        int pid = std::atoi(readText(pidFile).c_str());
        if (pid <= 1) return;
        (void)std::system(("kill " + std::to_string(pid) + " 2>/dev/null").c_str());
        std::error_code error;
        fs::remove(pidFile, error);
    }

    // Every press the recorder saw, screen coordinates.
    std::vector<std::pair<int, int>> recordedPresses()
    {
        std::vector<std::pair<int, int>> presses;
        std::istringstream lines(readText(folder / "presses.log"));
        std::string word;
        int button = 0, x = 0, y = 0;
        while (lines >> word) {
            if (word == "press" && lines >> button >> x >> y) presses.emplace_back(x, y);
        }
        return presses;
    }

    // The recorder, a window manager that animates, and the effects window
    // framed by it.
    void startUnderOpenbox()
    {
        start(quoted(fs::path(VELUMBRA_TOOLS_DIR) / "velumbra-x11-pointer-recorder") + " " + display + " " +
                  quoted(folder / "presses.log"),
              "recorder");
        ASSERT_TRUE(waitFor([&] { return readText(folder / "presses.log").find("ready") != std::string::npos; }))
            << "the pointer recorder did not start";
        // A window shown before openbox starts is taken over by it; one mapped
        // while it is still starting may never be shown.
        startWindow("fx", "1100 80 300 200", "FX 3 - Plate", "plain");
        start("DISPLAY=" + display + " openbox --sm-disable", "openbox");
        ASSERT_TRUE(useX11Desktop(display.c_str()));
        // Once openbox manages windows, a shown one has a frame around it.
        uint64_t probe = 0;
        ASSERT_TRUE(waitFor([&] {
            DesktopRect frame;
            return findWindowByTitle("FX 3", probe) &&
                   currentDesktop()->readWindowRect(probe, frame) == RectRead::Ok && frame.bottom - frame.top > 200;
        })) << "openbox did not frame the windows";
    }

    // What the presses from the n-th on did to the editor (its client window
    // is editor), against the recorder's log in the server's order: each must
    // lie inside the editor's frame as it was at that moment, shown, and come
    // at least the settle time after the frame last moved or was shown.
    struct PressReport {
        int presses = 0;
        std::vector<std::string> faults;
        std::set<std::pair<int, int>> offsets;  // press minus the frame's corner
    };
    PressReport checkPresses(unsigned long editor, size_t from)
    {
        constexpr unsigned long SETTLE_MS = 50;
        struct Frame {
            DesktopRect rect;
            bool mapped = false;
            unsigned long changed = 0;
        };
        std::map<unsigned long, Frame> frames;
        unsigned long frameOfEditor = editor;
        PressReport report;
        size_t pressIndex = 0;
        std::istringstream lines(readText(folder / "presses.log"));
        std::string line;
        while (std::getline(lines, line)) {
            std::istringstream in(line);
            std::string kind;
            unsigned long window = 0, time = 0;
            in >> kind;
            if (kind == "press") {
                int button = 0, x = 0, y = 0;
                in >> button >> x >> y >> time;
                if (pressIndex++ < from) continue;
                ++report.presses;
                const Frame& f = frames[frameOfEditor];
                std::ostringstream fault;
                if (!f.mapped) fault << "press at " << x << "," << y << " while the editor was not shown";
                else if (!rectContains(f.rect, x, y))
                    fault << "press at " << x << "," << y << " outside the editor at " << f.rect.left << ","
                          << f.rect.top << " - " << f.rect.right << "," << f.rect.bottom;
                else if (time - f.changed < SETTLE_MS)
                    fault << "press at " << x << "," << y << " " << time - f.changed << " ms after the editor moved";
                if (!fault.str().empty()) report.faults.push_back(fault.str());
                report.offsets.emplace(x - f.rect.left, y - f.rect.top);
            } else if (kind == "configure") {
                DesktopRect r;
                int width = 0, height = 0;
                in >> window >> r.left >> r.top >> width >> height >> time;
                r.right = r.left + width;
                r.bottom = r.top + height;
                Frame& f = frames[window];
                if (!(f.rect == r)) f.changed = time;
                f.rect = r;
            } else if (kind == "map" || kind == "unmap") {
                in >> window >> time;
                frames[window].mapped = kind == "map";
                if (kind == "map") frames[window].changed = time;
            } else if (kind == "reparent") {
                unsigned long parent = 0;
                in >> window >> parent >> time;
                if (window == editor) frameOfEditor = parent;
            }
        }
        return report;
    }

    // The stand-in editor's own window, from its "ready" line.
    unsigned long editorClientWindow()
    {
        std::istringstream log(readText(folder / "window.log"));
        std::string word;
        unsigned long id = 0;
        log >> word >> id;
        return id;
    }

    // Every press on the screen reached the editor and lay inside its window.
    void expectEveryPressOnTheEditor()
    {
        auto windowPresses = [&] {
            std::string log = readText(folder / "window.log");
            size_t count = 0;
            for (size_t at = log.find("press "); at != std::string::npos; at = log.find("press ", at + 1)) ++count;
            return count;
        };
        EXPECT_TRUE(waitFor([&] { return windowPresses() == recordedPresses().size(); }, 3000))
            << recordedPresses().size() << " presses on the screen, " << windowPresses() << " on the editor";
        int left = 0, top = 0, right = 0, bottom = 0;
        ASSERT_TRUE(editorWindowRect(left, top, right, bottom));
        for (auto [x, y] : recordedPresses()) {
            EXPECT_TRUE(rectContains(DesktopRect{left, top, right, bottom}, x, y))
                << "press at " << x << "," << y << " off the editor at " << left << "," << top << " - " << right << ","
                << bottom;
        }
    }

    fs::path folder;
    std::string display;
    std::string output;
};

TEST_F(DesktopX11Test, EditorWindowIsFoundMeasuredClickedGetsItsKeysAndIsForgottenWhenClosed)
{
    startWindow("window", "100 80 900 600", "X32 EDIT - test", "net");
    startWindow("fx", "1100 80 300 200", "FX 3 - Plate", "plain");
    ASSERT_TRUE(useX11Desktop(display.c_str()));

    searchEditorWindow();
    ASSERT_EQ(editorFound, 1);
    EXPECT_EQ(editorKind, 1);
    // Without a window manager the window has no frame: its rectangle is
    // the client area where it was created.
    EXPECT_EQ(editorOffsetX, 100);
    EXPECT_EQ(editorOffsetY, 100);
    EXPECT_EQ(editorRight, 1000);
    EXPECT_EQ(editorBottom, 700);
    EXPECT_DOUBLE_EQ(editorScaleY, 600 / 751.0);
    EXPECT_DOUBLE_EQ(editorScaleX, 949 / 1188.0);
    int left = 0, top = 0, right = 0, bottom = 0;
    EXPECT_TRUE(editorWindowRect(left, top, right, bottom));
    EXPECT_EQ((DesktopRect{left, top, right, bottom}), (DesktopRect{100, 80, 1000, 680}));
    editorMonitorEdges(left, bottom);
    EXPECT_EQ(std::pair(left, bottom), std::pair(0, 1000));

    // Page 0's view button (36, 22) and panel button (50, 419), scaled.
    clickEditorPoint(150);
    EXPECT_TRUE(logShows("press 1 28 37"));
    EXPECT_TRUE(logShows("release 1 28 37"));
    clickEditorPoint(216);
    EXPECT_TRUE(logShows("press 1 790 354"));
    sendFunctionKey(editorWindow, 3);
    EXPECT_TRUE(logShows("key F3"));
    EXPECT_TRUE(logShows("keyup F3"));

    // F8 unmaps the stand-in for a second: a click then is not made, and the
    // next surface action once it is back clicks the editor's page again.
    sendFunctionKey(editorWindow, 8);
    ASSERT_TRUE(waitFor([] { return !editorCanTakeClicks(); }, 5000));
    clickEditorPoint(150);
    EXPECT_TRUE(waitForEditorClicks());
    EXPECT_EQ(editorClickMissed, 1);
    ASSERT_TRUE(waitFor([] { return editorCanTakeClicks(); }, 5000));
    resyncEditorAfterMissedClicks();
    EXPECT_TRUE(waitForEditorClicks());
    EXPECT_EQ(editorClickMissed, 0);
    // Bank 1's button, then page 0's panel and view buttons.
    const std::string resync = "press 1 19 367\nrelease 1 19 367\npress 1 790 354\n"
                               "release 1 790 354\npress 1 28 37\nrelease 1 28 37\n";
    EXPECT_TRUE(waitFor([&] { return readText(folder / "window.log").find(resync) != std::string::npos; }, 5000))
        << readText(folder / "window.log");

    // The effects window carries its title in WM_NAME only.
    uint64_t fxWindow = 0;
    ASSERT_TRUE(findWindowByTitle("FX 3", fxWindow));
    EXPECT_NE(fxWindow, editorWindow);

    stop("window");
    EXPECT_TRUE(waitFor([] { updateEditorGeometry(); return editorFound == 0; }, 5000));
    EXPECT_EQ(editorRight, 0);
    searchEditorWindow();
    EXPECT_EQ(editorFound, 0);
}

// openbox animates minimising and restoring: the window is shown while it
// still moves back, below the screen at first. The start-up with the editor
// minimised, and clicks asked for during a restore, must wait for it.
TEST_F(DesktopX11Test, UnderAnAnimatingWindowManagerNoPressLandsOffTheEditor)
{
    if (std::system("command -v openbox >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "openbox is not installed; the animated-restore test needs it";
    startUnderOpenbox();
    if (HasFatalFailure()) return;
    startWindow("window", "100 80 900 600", "X32 EDIT - test", "net", "iconic");
    ASSERT_TRUE(waitFor([] {
        searchEditorWindow();
        return editorFound == 1;
    }));
    ASSERT_FALSE(editorCanTakeClicks());
    // The start-up's own focus request restores the editor.
    findEditorAndLayOutFirstBank(true);
    EXPECT_TRUE(waitForEditorClicks());
    ASSERT_TRUE(waitFor([] { return editorCanTakeClicks(); }, 5000));
    const uint8_t faderTouch[] = {0x90, 104, 127};
    handleSurfaceDatagram(faderTouch, 3);
    EXPECT_TRUE(waitForEditorClicks());
    EXPECT_EQ(editorClickMissed, 0);
    expectEveryPressOnTheEditor();
    EXPECT_FALSE(recordedPresses().empty());

    // Minimised (F7 to the stand-in), then brought back while clicks are due.
    size_t pressesBefore = recordedPresses().size();
    sendFunctionKey(editorWindow, 7);
    ASSERT_TRUE(waitFor([] { return !editorCanTakeClicks(); }, 5000));
    clickEditorBank(1);
    EXPECT_TRUE(waitForEditorClicks());
    EXPECT_EQ(editorClickMissed, 1);
    focusEditorWindow();
    ASSERT_TRUE(waitFor([] { return editorCanTakeClicks(); }, 5000));
    handleSurfaceDatagram(faderTouch, 3);
    clickEditorBank(2);
    EXPECT_TRUE(waitForEditorClicks());
    EXPECT_EQ(editorClickMissed, 0);
    // The recorder logs on its own time.
    EXPECT_TRUE(waitFor([&] { return recordedPresses().size() > pressesBefore; }, 3000));
    expectEveryPressOnTheEditor();
}

void surfaceNote(int note, int velocity)
{
    const uint8_t bytes[] = {0x90, static_cast<uint8_t>(note), static_cast<uint8_t>(velocity)};
    handleSurfaceDatagram(bytes, 3);
}

// The editor moves while bank clicks are due: jumps between two places, then
// moves of a few pixels, resting 10 to 100 ms at each place. Then it is
// minimised and shown again, and a flood of datagrams comes while a page
// point stays off the screen.
TEST_F(DesktopX11Test, EveryPressGoesWhereTheWindowIsAtThatMomentOnce)
{
    if (std::system("command -v openbox >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "openbox is not installed; the moving-window test needs it";
    startUnderOpenbox();
    if (HasFatalFailure()) return;
    startWindow("window", "100 80 900 600", "X32 EDIT - test", "net");
    const unsigned long client = editorClientWindow();
    ASSERT_TRUE(waitFor([] {
        searchEditorWindow();
        return editorFound == 1 && editorCanTakeClicks();
    }));
    findEditorAndLayOutFirstBank(true);
    ASSERT_TRUE(waitForEditorClicks());
    // Banks 1 to 4 hold strips in the default layout: up three, down three,
    // rounds times, a step every 25 ms.
    auto stepBanks = [](int rounds) {
        for (int k = 0; k < rounds; ++k) {
            for (int note : {97, 97, 97, 96, 96, 96}) {
                surfaceNote(note, 127);
                surfaceNote(note, 0);
                std::this_thread::sleep_for(std::chrono::milliseconds(25));
            }
        }
        EXPECT_TRUE(waitForEditorClicks());
    };
    // The recorder logs on its own time: the presses made so far, once no
    // more come in.
    auto pressCount = [&] {
        size_t last = SIZE_MAX;
        waitFor([&] {
            size_t now = recordedPresses().size();
            bool steady = now == last;
            last = now;
            return steady;
        });
        return last;
    };
    auto expectNoFault = [](const PressReport& report, const char* phase) {
        EXPECT_GT(report.presses, 0) << phase;
        for (const std::string& fault : report.faults) ADD_FAILURE() << phase << ": " << fault;
    };

    // Still: the start-up's presses and six bank steps give every offset
    // from the frame's corner a press may have.
    size_t from = pressCount();
    stepBanks(1);
    EXPECT_EQ(pressCount() - from, 6u);
    const PressReport still = checkPresses(client, 0);
    expectNoFault(still, "still");
    int left = 0, top = 0, right = 0, bottom = 0;
    ASSERT_TRUE(editorWindowRect(left, top, right, bottom));
    const DesktopRect home{left, top, right, bottom};
    for (int key : {6, 5}) {
        const char* phase = key == 6 ? "jumps" : "small moves";
        sendFunctionKey(editorWindow, key);  // starts moving
        ASSERT_TRUE(waitFor([&] {
            DesktopRect r;
            return editorWindowRect(r.left, r.top, r.right, r.bottom) && !(r == home);
        }, 5000)) << phase;
        from = pressCount();
        stepBanks(4);
        sendFunctionKey(editorWindow, key);  // stops, back home
        pressCount();
        PressReport moving = checkPresses(client, from);
        expectNoFault(moving, phase);
        // A point from a rectangle the window has left misses its button.
        for (auto offset : moving.offsets) {
            EXPECT_EQ(still.offsets.count(offset), 1u) << phase << ": pressed " << offset.first << ","
                                                       << offset.second << " from the frame's corner";
        }
    }

    // Minimised (F7) while a bank click is due, followed as the receive loop
    // does, then restored and a surface action at once.
    from = pressCount();
    sendFunctionKey(editorWindow, 7);
    ASSERT_TRUE(waitFor([] { return !editorCanTakeClicks(); }, 5000));
    surfaceNote(97, 127);
    surfaceNote(97, 0);
    EXPECT_TRUE(waitForEditorClicks());
    focusEditorWindow();
    ASSERT_TRUE(waitFor([] {
        updateEditorGeometry();
        return editorCanTakeClicks();
    }, 5000));
    surfaceNote(104, 127);
    EXPECT_TRUE(waitForEditorClicks());
    pressCount();
    expectNoFault(checkPresses(client, from), "shown again");

    // Half off the screen to the right: the mono page's panel point is off
    // it and stays owed. Fader moves and a touch change nothing the editor
    // shows; a bank step is pressed once.
    sendFunctionKey(editorWindow, 4);
    ASSERT_TRUE(waitFor([] {
        int left = 0, top = 0, right = 0, bottom = 0;
        return editorWindowRect(left, top, right, bottom) && right > 1600;
    }, 5000));
    surfaceNote(85, 127);
    surfaceNote(85, 0);
    EXPECT_TRUE(waitForEditorClicks());
    EXPECT_EQ(editorClickMissed, 1);
    from = pressCount();
    for (int k = 0; k < 40; ++k) {
        const uint8_t move[] = {0xE0, static_cast<uint8_t>(k), 0x40};
        handleSurfaceDatagram(move, 3);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    surfaceNote(104, 127);
    surfaceNote(104, 0);
    EXPECT_TRUE(waitForEditorClicks());
    EXPECT_EQ(pressCount() - from, 0u) << "the flood pressed the editor";
    from = pressCount();
    surfaceNote(96, 127);
    surfaceNote(96, 0);
    EXPECT_TRUE(waitForEditorClicks());
    pressCount();
    PressReport step = checkPresses(client, from);
    EXPECT_EQ(step.presses, 1);
    for (const std::string& fault : step.faults) ADD_FAILURE() << "bank step: " << fault;
}

} // namespace
