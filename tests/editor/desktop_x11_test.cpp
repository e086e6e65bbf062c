// The X11 desktop against a real X server: Xvfb with a stand-in editor
// window that logs the clicks and keys it receives.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <thread>

#include "app/reset_state.h"
#include "editor/editor_window.h"
#include "platform/console_output.h"
#include "platform/desktop.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

std::string readText(const fs::path& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

bool waitFor(const std::function<bool()>& condition, int timeoutMs)
{
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

std::string quoted(const std::string& text) { return "'" + text + "'"; }

class DesktopX11Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetAllState();
        if (!desktopHasX11Support()) GTEST_SKIP() << "this build has no X11 desktop";
        if (std::system("command -v Xvfb >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "Xvfb is not installed; the real-desktop test needs it";
        std::random_device random;
        folder = fs::temp_directory_path() / ("velumbra-x11-" + std::to_string(random()));
        fs::create_directories(folder);
        startXvfb();
        setConsoleCapture(&output);
    }

    void TearDown() override
    {
        setConsoleCapture(nullptr);
        resetAllState();  // closes our connection before the server goes
        for (const char* pidFile : {"window.pid", "fx.pid", "xvfb.pid"}) stopProcess(pidFile);
        std::error_code error;
        if (!folder.empty()) fs::remove_all(folder, error);
    }

    // Xvfb picks a free display number itself and writes it to fd 3 once it
    // accepts connections.
    void startXvfb()
    {
        std::string command = "Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp 3>" +
                              quoted((folder / "display").string()) + " >/dev/null 2>&1 & echo $! >" +
                              quoted((folder / "xvfb.pid").string());
        ASSERT_EQ(std::system(command.c_str()), 0);
        ASSERT_TRUE(waitFor([&] { return readText(folder / "display").find('\n') != std::string::npos; }, 10000))
            << "Xvfb did not start";
        display = ":" + std::to_string(std::atoi(readText(folder / "display").c_str()));
    }

    void startWindow(const char* title, const char* titleKind, int x, int y, int w, int h,
                     const char* name)
    {
        fs::path log = folder / (std::string(name) + ".log");
        std::string command = quoted(std::string(VELUMBRA_TOOLS_DIR) + "/velumbra-x11-test-window") +
                              " " + display + " " + std::to_string(x) + " " + std::to_string(y) +
                              " " + std::to_string(w) + " " + std::to_string(h) + " " +
                              quoted(title) + " " + titleKind + " " + quoted(log.string()) +
                              " >/dev/null 2>&1 & echo $! >" +
                              quoted((folder / (std::string(name) + ".pid")).string());
        ASSERT_EQ(std::system(command.c_str()), 0);
        ASSERT_TRUE(waitFor([&] { return readText(log).find("ready") != std::string::npos; }, 10000))
            << "test window " << name << " did not appear";
    }

    bool logShows(const char* name, const std::string& line, int timeoutMs = 5000)
    {
        fs::path log = folder / (std::string(name) + ".log");
        return waitFor([&] { return readText(log).find(line + "\n") != std::string::npos; }, timeoutMs);
    }

    void stopProcess(const char* pidFile)
    {
        if (folder.empty()) return;
        int pid = std::atoi(readText(folder / pidFile).c_str());
        if (pid <= 1) return;
        std::string command = "kill " + std::to_string(pid) + " 2>/dev/null";
        (void)std::system(command.c_str());
        std::error_code error;
        fs::remove(folder / pidFile, error);
    }

    fs::path folder;
    std::string display;
    std::string output;
};

TEST_F(DesktopX11Test, EditorWindowIsFoundMeasuredClickedAndGetsItsKeys)
{
    startWindow("X32 EDIT - test", "net", 100, 80, 900, 600, "window");
    startWindow("FX 3 - Plate", "plain", 1100, 80, 300, 200, "fx");
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

    // Page 0's view button (36, 22) and panel button (50, 419), scaled.
    clickEditorPoint(150);
    EXPECT_TRUE(logShows("window", "press 1 28 37"));
    EXPECT_TRUE(logShows("window", "release 1 28 37"));
    clickEditorPoint(216);
    EXPECT_TRUE(logShows("window", "press 1 790 354"));

    sendFunctionKey(editorWindow, 3);
    EXPECT_TRUE(logShows("window", "key F3"));
    EXPECT_TRUE(logShows("window", "keyup F3"));

    int monitorLeft = -1, monitorBottom = -1;
    editorMonitorEdges(monitorLeft, monitorBottom);
    EXPECT_EQ(monitorLeft, 0);
    EXPECT_EQ(monitorBottom, 1000);

    // The effects window carries its title in WM_NAME only.
    uint64_t fxWindow = 0;
    ASSERT_TRUE(findWindowByTitle("FX 3", fxWindow));
    EXPECT_NE(fxWindow, editorWindow);
    int left = 0, top = 0, right = 0, bottom = 0;
    EXPECT_TRUE(editorWindowRect(left, top, right, bottom));
    EXPECT_EQ((DesktopRect{left, top, right, bottom}), (DesktopRect{100, 80, 1000, 680}));
}

TEST_F(DesktopX11Test, ClosedEditorWindowIsForgotten)
{
    startWindow("M32 EDIT - test", "net", 50, 50, 1188, 751, "window");
    ASSERT_TRUE(useX11Desktop(display.c_str()));
    searchEditorWindow();
    ASSERT_EQ(editorFound, 1);
    EXPECT_EQ(editorKind, 2);

    stopProcess("window.pid");
    EXPECT_TRUE(waitFor([] { updateEditorGeometry(); return editorFound == 0; }, 5000));
    EXPECT_EQ(editorRight, 0);
    searchEditorWindow();
    EXPECT_EQ(editorFound, 0);
}

}
