#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <vector>

#include "app/reset_state.h"
#include "control/strip_controls.h"
#include "editor/editor_clicks.h"
#include "editor/editor_prefs.h"
#include "editor/editor_window.h"
#include "fxdefs/fx_files.h"
#include "mixer/mixer_send.h"
#include "model/console_model.h"
#include "platform/console_output.h"
#include "platform/desktop.h"
#include "platform/udp.h"
#include "surface/output_queue.h"
#include "tools/common/strict_midi.h"

namespace fuzzsupport {

namespace {

std::string consoleText;

// The sample descriptions as read once, restored before every input so the
// effects pages have something to show.
struct SavedFx {
    FxDescription low[FX_TYPES_1TO4];
    FxDescription high[FX_TYPES_5TO8];
    std::vector<FxLutEntry> pool;
};
SavedFx* savedFx = new SavedFx;

void loadSampleFxDescriptions()
{
    const std::string folder = std::string(VELUMBRA_SOURCE_DIR) + "/fxdata/";
    resetFxDescriptions();
    if (!readFxDescriptionFile(folder + "fx1_4.prm", fxDescriptions1to4, FX_TYPES_1TO4, FX_LINE_CAPACITY_1TO4) ||
        !readFxDescriptionFile(folder + "fx5_8.prm", fxDescriptions5to8, FX_TYPES_5TO8, FX_LINE_CAPACITY_5TO8)) {
        std::fprintf(stderr, "fuzz: sample effects files not found under %s\n", folder.c_str());
    }
    std::memcpy(savedFx->low, fxDescriptions1to4, sizeof savedFx->low);
    std::memcpy(savedFx->high, fxDescriptions5to8, sizeof savedFx->high);
    savedFx->pool.assign(fxLutPool, fxLutPool + fxLutPoolUsed);
}

void restoreSampleFxDescriptions()
{
    std::memcpy(fxDescriptions1to4, savedFx->low, sizeof savedFx->low);
    std::memcpy(fxDescriptions5to8, savedFx->high, sizeof savedFx->high);
    std::copy(savedFx->pool.begin(), savedFx->pool.end(), fxLutPool);
    fxLutPoolUsed = static_cast<int>(savedFx->pool.size());
}

bool inRange(int value, int low, int high) { return value >= low && value <= high; }

// One queued datagram holds only whole MIDI messages as the surface's own
// parser reads them: a stray high byte would make it read a different one.
bool isWellFormedMidi(const uint8_t* data, int length)
{
    if (length < 1) return false;
    size_t messages = 0;
    const size_t malformed =
        readStrictMidi(data, static_cast<size_t>(length), [&](const StrictMidiMessage&) { ++messages; });
    return malformed == 0 && messages > 0;
}

} // namespace

void fail(const char* file, int line, const char* condition)
{
    std::fprintf(stderr, "fuzz invariant broken at %s:%d: %s\n", file, line, condition);
    std::abort();
}

int usedPage(uint8_t choice)
{
    static constexpr int pages[] = {0,  1,  2,  3,  4,  5,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19,
                                    20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34};
    return pages[choice % (sizeof pages / sizeof pages[0])];
}

void initialiseProcess()
{
    // libFuzzer ends the run with exit(): the click thread must be gone
    // before the statics it uses (the desktop backend) are destroyed.
    std::atexit([] { stopEditorClicks(); });
    setConsoleCapture(&consoleText);
    setMixerLink(nullptr, UdpEndpoint{});
    setSurfaceLink(nullptr, UdpEndpoint{});
    loadSampleFxDescriptions();
    forgetConsoleOutput();
}

void resetToRunningState(bool startupDone)
{
    resetAllState();
    useNullDesktop();
    restoreSampleFxDescriptions();
    initEditorClickPoints();
    fillDefaultBanks();
    currentDcaGroup = 0;
    surfaceRefreshEnabled = 1;
    buildBankStrips(0, 0);
    startupComplete = startupDone ? 1 : 0;
    drainSurfaceQueue();
    forgetConsoleOutput();
}

void drainSurfaceQueue()
{
    static SurfaceMessage message;
    while (takeQueuedSurfaceMessage(message)) {
        FUZZ_CHECK(message.length >= 1 && message.length <= SURFACE_MESSAGE_MAX);
        FUZZ_CHECK(isWellFormedMidi(message.data, message.length));
        FUZZ_CHECK(message.waitMicros >= 0);
    }
}

void forgetConsoleOutput() { consoleText.clear(); }

void checkSurfaceState()
{
    for (int b = 0; b < BANK_COUNT; ++b) {
        FUZZ_CHECK(inRange(bankCount[b], 0, BANK_SLOTS));
        for (int slot = 0; slot < BANK_SLOTS; ++slot) FUZZ_CHECK(inRange(bankTable[b][slot], 0, BLANK_STRIP));
    }
    for (int s : bankStrips) FUZZ_CHECK(inRange(s, 0, BLANK_STRIP));
    FUZZ_CHECK(inRange(surfacePage, 0, 34) && surfacePage != 6 && surfacePage != 7);
    FUZZ_CHECK(inRange(selectedStrip, 0, STRIP_COUNT - 1));
    FUZZ_CHECK(inRange(selectedBankSlot, 0, 8));
    FUZZ_CHECK(inRange(currentBank, 0, BANK_COUNT - 1));
    FUZZ_CHECK(inRange(bankScroll, 0, 9));
    FUZZ_CHECK(inRange(currentDcaGroup, -1, 7));
    for (const StripRecord& strip : strips) FUZZ_CHECK(inRange(strip.haIndex, -1, HEADAMP_COUNT - 1));
}

namespace {

void checkTable(const FxDescription* table, int size)
{
    for (int t = 0; t < size; ++t) {
        const FxDescription& fx = table[t];
        FUZZ_CHECK(std::memchr(fx.name, 0, FX_TEXT_SIZE) != nullptr);
        FUZZ_CHECK(inRange(fx.paramCount, 0, FX_PARAMS_PER_TYPE));
        for (const FxParamDescription& p : fx.params) {
            FUZZ_CHECK(inRange(p.kind, FX_KIND_NONE, FX_KIND_LOGF));
            if (p.kind == FX_KIND_NONE) continue;
            FUZZ_CHECK(std::memchr(p.name, 0, FX_TEXT_SIZE) != nullptr);
            if (p.kind == FX_KIND_LINF) continue;
            FUZZ_CHECK(inRange(p.lutCount, 0, FX_LUT_MAX));
            if (p.lutCount == 0) continue;
            FUZZ_CHECK(p.lutFirst >= 0 && p.lutFirst + p.lutCount <= fxLutPoolUsed);
            for (int i = 0; i < p.lutCount; ++i) {
                FUZZ_CHECK(std::memchr(fxLutPool[p.lutFirst + i].label, 0, FX_TEXT_SIZE) != nullptr);
            }
        }
    }
}

} // namespace

void checkFxDescriptions()
{
    FUZZ_CHECK(inRange(fxLutPoolUsed, 0, FX_LUT_POOL_SIZE));
    checkTable(fxDescriptions1to4, FX_TYPES_1TO4);
    checkTable(fxDescriptions5to8, FX_TYPES_5TO8);
}

const std::string& writeScratchFile(const uint8_t* data, size_t size)
{
    static const std::string path = [] {
        const char* folder = std::getenv("TMPDIR");
        return std::string(folder && *folder ? folder : "/tmp") + "/velumbra-fuzz-" +
               std::to_string(static_cast<long>(getpid())) + ".input";
    }();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    FUZZ_CHECK(file != nullptr);
    if (size > 0) FUZZ_CHECK(std::fwrite(data, 1, size, file) == size);
    FUZZ_CHECK(std::fclose(file) == 0);
    return path;
}

} // namespace fuzzsupport

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::initialiseProcess();
    return 0;
}
