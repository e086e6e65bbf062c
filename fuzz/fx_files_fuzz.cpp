// An effects parameter file as the user's disk holds it, read into both
// description tables, then every effect it describes edited and shown on the
// surface's effects pages.
//
// Input: the whole file.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "control/fx_editing.h"
#include "display/formatters.h"
#include "display/refresh.h"
#include "fuzz_support.h"
#include "fxdefs/fx_files.h"
#include "model/console_model.h"
#include "platform/desktop.h"
#include "platform/desktop_recording.h"

namespace {

constexpr int TYPES_TRIED_PER_TABLE = 3;
// Console values around and outside 0..1, as the console may report them.
constexpr double parameterValues[] = {0.0, 0.25, 0.5, 0.999, 1.0, -0.5, 7.0, 1e12};

// The editor's effects windows, so that paging moves the editor too.
void addEffectsWindows()
{
    installRecordingDesktop();
    char title[8];
    for (int slot = 1; slot <= FX_SLOT_COUNT; ++slot) {
        std::snprintf(title, sizeof title, "FX %d", slot);
        addFakeWindow(title, DesktopRect{100 * slot, 100, 100 * slot + 900, 700});
    }
}

void showAndEdit(int unit, int type)
{
    const int slot = unit + 1;
    fxSlots[slot].type = type;
    fxSlots[slot].paramPage = 1;
    fxSlots[slot].editorPageGroup = 1;
    for (int p = 1; p <= FX_PARAM_COUNT; ++p) {
        fxSlots[slot].par[p] = parameterValues[p % (sizeof parameterValues / sizeof parameterValues[0])];
    }
    char text[16];
    for (int p = -1; p <= FX_PARAMS_PER_TYPE; ++p) {
        formatFxValue(text, sizeof text, unit, p);
        FUZZ_CHECK(std::memchr(text, 0, sizeof text) != nullptr);
    }
    surfacePage = slot <= 4 ? slot + 1 : slot + 19;
    refreshSurface();
    fuzzsupport::drainSurfaceQueue();

    // Through the pages (encoder 2), turning every parameter encoder both ways.
    const int pageCount = fxDescriptionFor(unit, type)->pageCount;
    const int pagesWalked = pageCount < 1 ? 1 : (pageCount > 12 ? 12 : pageCount);
    for (int page = 0; page < pagesWalked + 1; ++page) {
        for (int controller = 18; controller <= 23; ++controller) {
            fxEncoder(slot, controller, 1);
            fxEncoder(slot, controller, 64);
            fxEncoder(slot, controller, 127);
        }
        refreshSurface();
        fuzzsupport::drainSurfaceQueue();
        FUZZ_CHECK(fxSlots[slot].paramPage >= 1);
        FUZZ_CHECK(fxSlots[slot].editorPageGroup >= 1 && fxSlots[slot].editorPageGroup <= 3);
        fxEncoder(slot, 17, 1);
    }
    // One page per message back to the first.
    for (int page = 0; page < pagesWalked + 1; ++page) fxEncoder(slot, 17, 65 + 20);
    FUZZ_CHECK(fxSlots[slot].paramPage == 1);
    for (int p = 1; p <= FX_PARAM_COUNT; ++p) {
        double v = fxSlots[slot].par[p];
        FUZZ_CHECK(v == v);  // no NaN comes out of an edit
    }
    fuzzsupport::forgetConsoleOutput();
}

void exerciseTable(const FxDescription* table, int size, int firstUnit)
{
    int tried = 0;
    for (int type = 0; type < size && tried < TYPES_TRIED_PER_TABLE; ++type) {
        if (table[type].paramCount <= 0) continue;
        ++tried;
        showAndEdit(firstUnit, type);
        showAndEdit(firstUnit + 3, type);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 256 * 1024) return -1;
    fuzzsupport::resetToRunningState(true);
    resetFxDescriptions();
    const std::string& path = fuzzsupport::writeScratchFile(data, size);
    FUZZ_CHECK(readFxDescriptionFile(path, fxDescriptions1to4, FX_TYPES_1TO4, FX_LINE_CAPACITY_1TO4));
    FUZZ_CHECK(readFxDescriptionFile(path, fxDescriptions5to8, FX_TYPES_5TO8, FX_LINE_CAPACITY_5TO8));
    fuzzsupport::checkFxDescriptions();
    fuzzsupport::forgetConsoleOutput();

    addEffectsWindows();
    exerciseTable(fxDescriptions1to4, FX_TYPES_1TO4, 0);
    exerciseTable(fxDescriptions5to8, FX_TYPES_5TO8, 4);
    fuzzsupport::checkSurfaceState();
    return 0;
}
