#include "app/startup.h"

#include <atomic>
#include <mutex>
#include <string>

#include "app/options.h"
#include "app/query_sweep.h"
#include "control/strip_controls.h"
#include "display/refresh.h"
#include "display/strip_display.h"
#include "editor/editor_clicks.h"
#include "editor/editor_prefs.h"
#include "editor/editor_window.h"
#include "fxdefs/fx_files.h"
#include "mixer/keepalive.h"
#include "mixer/mixer_send.h"
#include "model/console_model.h"
#include "platform/console_output.h"
#include "platform/desktop.h"
#include "platform/stop_signal.h"
#include "surface/output_queue.h"

namespace {

// The step under way, for the status block; the strip during the sweep.
std::atomic<const char*> stepName{"not started"};
std::atomic<int> stepStrip{-1};

void enterStep(const char* name)
{
    stepStrip = -1;
    stepName = name;
}

void showWaitMessage()
{
    static const char* const top[8] = {" ", " ", "Reading", "Info ", "From ", "Mixer", "", ""};
    static const char* const bottom[8] = {" ", " ", "", "Please", "Wait...", "", "", ""};
    for (int position = 1; position <= 8; ++position) {
        writeStripDisplay(position, 6, 0, top[position - 1], bottom[position - 1]);
    }
}

void resetForStartup()
{
    resetConsoleModel();
    resetFxDescriptions();
    resetEditorState();
    forEverySurfaceRecord([] {
        currentBank = 0;
        bankScroll = 0;
        surfaceRefreshEnabled = 1;
    });
}

// A step cut short by a stop says nothing more.
void printDone(const char* line)
{
    if (!stopRequested) consolePrint("%s", line);
}

void queryConsoleSettings()
{
    const auto running = [] { return !stopRequested; };
    consolePrint("requesting automix info...\n");
    enterStep("reading the automix settings");
    queryAutomix();
    finishQueries();
    printDone("done\n");
    if (stopRequested) return;

    consolePrint("requesting headamp info...\n");
    enterStep("reading the head amps");
    queryHeadamps(running);
    finishQueries();
    printDone("done.\n");
    if (stopRequested) return;

    enterStep("reading the solo key, effects and routing");
    queryAndWait("/-stat/keysolo");
    queryEffects(running);
    queryRouting();
}

void sweepStrips()
{
    static const char* const bars[9] = {"",           "[*       ]", "[**      ]", "[***     ]",
                                        "[****    ]", "[*****   ]", "[******  ]", "[******* ]",
                                        "[********]"};
    consolePrint("Asking channel info to mixer...\n");
    enterStep("reading the strips");
    forEverySurfaceRecord([] { surfaceRefreshEnabled = 0; });
    int step = 0;
    for (int strip = 0; strip < STRIP_COUNT && !stopRequested; ++strip) {
        // A strip's replies touch only its own record, so resetting it just
        // before its queries is safe even with earlier queries outstanding.
        resetStrip(strip);
        stepStrip = strip;
        if (strip % 10 == 0) {
            forEachSurface([step] {
                showWaitMessage();
                if (step < 8) queueLamp(static_cast<uint8_t>(24 + step), 0);
            });
            ++step;
            if (step <= 8) consoleProgress(bars[step]);
        }
        queryStrip(strip);
    }
    finishQueries();
    forEverySurfaceRecord([] { surfaceRefreshEnabled = 1; });
    endConsoleProgress();
    printDone("done.\n");
}

// Asked after the strips, whose resets would otherwise wipe the links,
// inserts and solos again.
void readLinksAndSwitches()
{
    consolePrint("requesting links, inserts and switches...\n");
    enterStep("reading the links, inserts and switches");
    queryLinksAndSwitches();
    finishQueries();
    printDone("done.\n");
}

void reportUnanswered()
{
    QuerySummary s = querySummary();
    if (s.unanswered == 0) return;
    char list[300] = "";
    int used = 0;
    for (int i = 0; i < s.unanswered && i < 4; ++i) {
        int n = formatText(list + used, static_cast<int>(sizeof list) - used, "%s%s",
                           i ? ", " : "", s.firstUnanswered[i]);
        if (n < 0) break;
        used += n;
    }
    consolePrint("%d of %d parameters were not answered by the mixer (%s%s); they are asked "
                 "again in the background\n",
                 s.unanswered, s.asked, list, s.unanswered > 4 ? ", ..." : "");
}

void searchAndReportEditor()
{
    consolePrint("searching for X32 Edit or M32 Edit...\n");
    searchEditorWindow();
    if (!editorFound) {
        consolePrint("Please start X32-Edit or M32-Edit.\n");
        return;
    }
    consolePrint("Found\n");
    int left = 0, top = 0, right = 0, bottom = 0;
    if (editorWindowRect(left, top, right, bottom)) {
        consolePrint("x1: %d Y1: %d  x2: %d  y2:%d\n", left, top, right, bottom);
    } else {
        consolePrint("error getting window rect -> %d\n", currentDesktop()->lastErrorCode());
    }
    updateEditorGeometry();
}

// Without an editor (--no-editor) it is neither searched for nor asked for,
// so a box's log does not nag at every start; the user banks may still come
// from a preferences file.
void findEditor(bool lookForEditor)
{
    enterStep(lookForEditor ? "looking for the editor" : "reading the editor preferences");
    resetEditorState();
    editorFollowed = lookForEditor ? 1 : 0;
    if (lookForEditor) searchAndReportEditor();
    consolePrint("reading X32-Edit (or M32-Edit) preferences...\n");
    readEditorPreferences();
    if (editorFound) focusEditorWindow();
    consolePrint("done.\n");
}

// One surface's first bank and home page; the editor's clicks come from the
// surface it follows only.
void layOutSurface()
{
    clickEditorBank(0);
    queueLamp(97, 127);
    queueLamp(96, 0);
    buildBankStrips(0, 0);
    // The editor shows the page the refresh is about to enter.
    if (lastShownPage != surfacePage) clickEditorPageEntry(surfacePage);
    refreshSurface();
    surfacePage = PAGE_HOME;
    lastShownPage = -1;
    queueLamp(51, 127);
    clickEditorBank(0);
    clickEditorBank(0);
    // The routing switch and the selection stay as the console holds them:
    // start-up changes no console setting.
    {
        std::lock_guard<std::mutex> lock(modelMutex);
        selectedBankSlot = bankSlotOf(selectedStrip);
    }
    startupComplete = 1;
    clickEditorPoint(216);
    clickEditorPoint(150);
    clickEditorPoint(150);
    clickEditorPageEntry(surfacePage);
    refreshSurface();
}

// Every record, in use or not: a surface learned later starts on the first
// bank too, and is drawn whole when its probe comes.
void layOutFirstBank()
{
    if (!sendToMixerQuietly("/-stat/chfaderbank", "i", 0)) {
        consolePrint("Error sending channel select to mixer\n");
    }
    forEverySurfaceRecord(layOutSurface);
}

} // namespace

void findEditorAndLayOutFirstBank(bool lookForEditor)
{
    findEditor(lookForEditor);
    layOutFirstBank();
}

std::string startupStepText()
{
    std::string text = stepName.load();
    const int strip = stepStrip.load();
    if (strip >= 0) text += " (strip " + std::to_string(strip + 1) + " of " + std::to_string(STRIP_COUNT) + ")";
    return text;
}

void runStartupSynchronisation(const BridgeOptions& options)
{
    enterStep("reading the effects files");
    configureQueries(options.queryTimeoutMs, options.sweepWindow);
    resetForStartup();
    installShippedFxFiles();
    consolePrint("reading fx1..4 file...\n");
    readFxFile1to4();
    consolePrint("reading fx5..8 file...\n");
    readFxFile5to8();
    for (auto& on : muteGroupOn) on = 0;
    for (HeadampRecord& h : headamps) resetHeadamp(h);
    forEachSurface(showWaitMessage);
    startupComplete = 0;

    queryConsoleSettings();
    if (stopRequested) return;
    sweepStrips();
    if (stopRequested) return;
    readLinksAndSwitches();
    if (stopRequested) return;
    reportUnanswered();
    sendMeterSubscriptions();
    forEverySurfaceRecord([] {
        for (int i = 0; i <= 8; ++i) bankSkip[i] = 0;
    });
    initEditorClickPoints();
    findEditorAndLayOutFirstBank(!options.noEditor);
}
