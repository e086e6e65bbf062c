#include "platform/desktop.h"

namespace {

// A desktop without windows: nothing is found, so nothing is ever clicked.
class NullDesktop final : public DesktopBackend {
public:
    void listWindows(std::vector<DesktopWindow>& windows) override { windows.clear(); }
    RectRead readWindowRect(uint64_t, DesktopRect&) override { return RectRead::WindowGone; }
    RectRead readWindowState(uint64_t, WindowState&) override { return RectRead::WindowGone; }
    PressResult pressIfStill(uint64_t, const WindowState&, int, int) override { return PressResult::WindowGone; }
    bool canTakeClicks(uint64_t) override { return false; }
    bool monitorOf(const DesktopRect&, DesktopRect&) override { return false; }
    void listScreens(std::vector<DesktopRect>& screens) override { screens.clear(); }
    void focusWindow(uint64_t) override {}
    void moveCursor(int, int) override {}
    void clickLeftButton() override {}
    void sendFunctionKey(uint64_t, int) override {}
    int lastErrorCode() override { return 0; }
};

}

std::shared_ptr<DesktopBackend> makeNullDesktop()
{
    return std::make_shared<NullDesktop>();
}
