#include "editor/dca_row.h"

#include <algorithm>

#include "editor/editor_window.h"

namespace {

// The editor's DCA button, in design units.
constexpr int DCA_BUTTON_X = 25;
constexpr int DCA_BUTTON_Y = 700;

int scaled(int units, double scale) { return static_cast<int>(units * scale); }

// Where the row of DCA group buttons starts. The editor places it beside
// the DCA button, or above it when the window reaches the monitor's bottom.
void dcaRowBase(int& x1, int& y1)
{
    const int a = DCA_BUTTON_X;
    const int b = DCA_BUTTON_Y;
    const double sx = editorScaleX;
    const double sy = editorScaleY;
    const int left = editorOffsetX;
    const int top = editorOffsetY;
    int monitorLeft = 0;
    int monitorBottom = 0;
    editorMonitorEdges(monitorLeft, monitorBottom);

    int x0 = scaled(a - 150, sx) + left;
    int y0 = scaled(b + 55, sy) + top;
    if (x0 < monitorLeft - scaled(113, sx)) {
        x1 = scaled(a + 60, sx) + left;
        y1 = scaled(b, sy) + top;
        if (top + scaled(785, sy) - 52 >= monitorBottom) {
            x1 = scaled(a + 25, sx) + left;
            y1 = scaled(b - 10, sy) + top;
        }
        return;
    }
    x1 = std::max(x0, monitorLeft + scaled(40, sx));
    y1 = y0;
    if (top + scaled(785, sy) >= monitorBottom) y1 = scaled(b - 50, sy) + top;
}

} // namespace

void dcaGroupClickPoint(int group, int& x, int& y)
{
    int x1 = 0;
    int y1 = 0;
    dcaRowBase(x1, y1);
    x = x1 + scaled(45, editorScaleX) * group;
    y = y1;
}
