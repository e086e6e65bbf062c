// The editor's preferences file as the user's disk holds it, then every bank
// it defines laid out on the surface.
//
// Input: the whole file.
#include <cstdint>

#include "control/strip_controls.h"
#include "editor/editor_prefs.h"
#include "fuzz_support.h"
#include "model/console_model.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 64 * 1024) return -1;
    fuzzsupport::resetToRunningState(true);
    const std::string& path = fuzzsupport::writeScratchFile(data, size);
    setPreferencesFileOverride(path.c_str());
    currentDcaGroup = -1;
    readEditorPreferences();

    fuzzsupport::checkSurfaceState();
    FUZZ_CHECK(currentDcaGroup >= 0);
    // A bank holds exactly the entries the file gave it.
    for (int b = 0; b < 8; ++b) {
        for (int slot = bankCount[b]; slot < BANK_SLOTS; ++slot) FUZZ_CHECK(bankTable[b][slot] == BLANK_STRIP);
    }

    for (int bank = 0; bank < BANK_COUNT; ++bank) {
        for (int scroll = 0; scroll < 10; scroll += 3) {
            buildBankStrips(bank, scroll);
            fuzzsupport::checkSurfaceState();
            fuzzsupport::drainSurfaceQueue();
        }
    }
    // The bank buttons and scrolling from the last bank back to the first.
    for (int step = 0; step < 20; ++step) {
        if (step % 4 == 3) scrollBank(1);
        else switchBank(-1);
        fuzzsupport::checkSurfaceState();
        fuzzsupport::drainSurfaceQueue();
    }
    fuzzsupport::forgetConsoleOutput();
    return 0;
}
