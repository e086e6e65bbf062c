// The Windows desktop: the editor's window found among the top-level windows,
// clicks and keys synthesised with the user32 input functions.
#include "platform/desktop.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <atomic>

namespace {

HWND toHwnd(uint64_t window)
{
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(window));
}

uint64_t fromHwnd(HWND window)
{
    return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(window));
}

BOOL CALLBACK collectWindow(HWND window, LPARAM parameter)
{
    auto* windows = reinterpret_cast<std::vector<DesktopWindow>*>(parameter);
    DesktopWindow entry;
    entry.handle = fromHwnd(window);
    int length = GetWindowTextLengthW(window);
    if (length > 0) {
        // The wide length counts UTF-16 units; a narrow title in a multi-byte
        // code page can need up to two bytes per unit.
        std::vector<char> title(static_cast<size_t>(length) * 2 + 1, '\0');
        int copied = GetWindowTextA(window, title.data(), static_cast<int>(title.size()));
        if (copied > 0) entry.title.assign(title.data(), static_cast<size_t>(copied));
    }
    windows->push_back(std::move(entry));
    return TRUE;
}

BOOL CALLBACK collectMonitor(HMONITOR, HDC, LPRECT area, LPARAM parameter)
{
    auto* screens = reinterpret_cast<std::vector<DesktopRect>*>(parameter);
    screens->push_back({area->left, area->top, area->right, area->bottom});
    return TRUE;
}

// The user32 calls are safe from any thread, so no lock is taken here.
class Win32Desktop final : public DesktopBackend {
public:
    void listWindows(std::vector<DesktopWindow>& windows) override
    {
        windows.clear();
        if (!EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&windows)))
            lastError_ = static_cast<int>(GetLastError());
    }

    RectRead readWindowRect(uint64_t window, DesktopRect& rect) override
    {
        RECT r;
        if (!GetWindowRect(toHwnd(window), &r)) {
            DWORD error = GetLastError();
            lastError_ = static_cast<int>(error);
            return error == ERROR_INVALID_WINDOW_HANDLE ? RectRead::WindowGone : RectRead::Failed;
        }
        rect.left = r.left;
        rect.top = r.top;
        rect.right = r.right;
        rect.bottom = r.bottom;
        return RectRead::Ok;
    }

    bool canTakeClicks(uint64_t window) override
    {
        HWND handle = toHwnd(window);
        // A minimised window reports a rectangle near (-32000, -32000).
        if (!IsWindowVisible(handle) || IsIconic(handle)) return false;
        RECT r;
        if (!GetWindowRect(handle, &r)) {
            lastError_ = static_cast<int>(GetLastError());
            return false;
        }
        return r.right > r.left && r.bottom > r.top;
    }

    bool monitorOf(const DesktopRect& area, DesktopRect& monitor) override
    {
        RECT r{area.left, area.top, area.right, area.bottom};
        HMONITOR handle = MonitorFromRect(&r, MONITOR_DEFAULTTONULL);
        if (!handle) return false;
        MONITORINFO info{};
        info.cbSize = sizeof info;
        if (!GetMonitorInfoA(handle, &info)) {
            lastError_ = static_cast<int>(GetLastError());
            return false;
        }
        monitor.left = info.rcMonitor.left;
        monitor.top = info.rcMonitor.top;
        monitor.right = info.rcMonitor.right;
        monitor.bottom = info.rcMonitor.bottom;
        return true;
    }

    void listScreens(std::vector<DesktopRect>& screens) override
    {
        screens.clear();
        if (EnumDisplayMonitors(nullptr, nullptr, collectMonitor, reinterpret_cast<LPARAM>(&screens)) &&
            !screens.empty())
            return;
        screens.clear();
        // Without a monitor list the virtual screen's bounds are all we know.
        int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
        int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
        int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
        int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
        if (width > 0 && height > 0) screens.push_back({left, top, left + width, top + height});
    }

    void focusWindow(uint64_t window) override
    {
        SetForegroundWindow(toHwnd(window));
    }

    void moveCursor(int x, int y) override
    {
        if (!SetCursorPos(x, y)) lastError_ = static_cast<int>(GetLastError());
    }

    void clickLeftButton() override
    {
        INPUT inputs[2] = {};
        inputs[0].type = INPUT_MOUSE;
        inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        inputs[1].type = INPUT_MOUSE;
        inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        if (SendInput(2, inputs, sizeof(INPUT)) != 2) lastError_ = static_cast<int>(GetLastError());
    }

    void sendFunctionKey(uint64_t window, int fkey) override
    {
        if (fkey < 1 || fkey > 8) return;
        // The editor reads its function keys from the window's message queue,
        // so the key messages go straight to it rather than through input.
        WPARAM key = static_cast<WPARAM>(VK_F1 + fkey - 1);
        SendMessageW(toHwnd(window), WM_KEYDOWN, key, 0);
        SendMessageW(toHwnd(window), WM_KEYUP, key, 0);
    }

    int lastErrorCode() override { return lastError_; }

private:
    std::atomic<int> lastError_{0};
};

}

std::shared_ptr<DesktopBackend> makeDefaultDesktop()
{
    return std::make_shared<Win32Desktop>();
}
