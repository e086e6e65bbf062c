// Builds without X11. Windows takes its native desktop from desktop_win32.cpp;
// every other system has no desktop the editor could run on.
#include "platform/desktop.h"

#if !defined(_WIN32)
std::shared_ptr<DesktopBackend> makeDefaultDesktop()
{
    return makeNullDesktop();
}
#endif

bool useX11Desktop(const char*) { return false; }
bool desktopHasX11Support() { return false; }
