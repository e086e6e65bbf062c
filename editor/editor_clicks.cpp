#include "editor/editor_clicks.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <cstdio>
#include <thread>

#include "display/page_table.h"
#include "editor/dca_row.h"
#include "editor/editor_window.h"
#include "model/console_model.h"
#include "model/surface_device.h"
#include "platform/desktop.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int BANK_BUTTON_ENTRY = 160;  // bank 0; bank 8's is the DCA button
constexpr int DCA_BUTTON_ENTRY = 168;
// The editor needs this long to open the DCA group row after its button.
constexpr int DCA_GROUP_WAIT_MS = 100;
// More than this many clicks waiting cannot come from a hand.
constexpr int QUEUE_CAPACITY = 32;

enum class ClickKind { EditorPoint, DcaGroup, FxPageButton, Focus, FunctionKey, CatchUp };

struct PendingClick {
    ClickKind kind = ClickKind::EditorPoint;
    int value = 0;        // layout entry, DCA group, effects slot, function key, or 1 for a catch-up the operator asked for
    uint64_t window = 0;  // effects window (page button, focus)
    int waitMs = 0;       // made no sooner than this after the click before it
};

std::mutex queueMutex;
std::condition_variable queueChanged;
PendingClick pending[QUEUE_CAPACITY];
int pendingHead = 0;
int pendingCount = 0;
bool clickInProgress = false;
// Set while the click thread is told to end: nothing is queued meanwhile,
// so no click is left behind without a thread to make it.
bool stopping = false;
Clock::time_point lastClickMade{};
std::thread clickThread;

// Joins the click thread at exit when the bridge has not stopped it.
struct ClickThreadOwner {
    ~ClickThreadOwner() { stopEditorClicks(); }
} clickThreadOwner;

// Waits (on this thread only) while the window is still moving; a click
// that has waited this long is dropped and stays owed until it rests.
constexpr auto SETTLE_POLL = std::chrono::milliseconds(5);
constexpr auto SETTLE_GIVE_UP = std::chrono::milliseconds(1000);

// False when the click thread is told to stop meanwhile.
bool pauseClickThread(std::chrono::milliseconds pause)
{
    std::unique_lock<std::mutex> lock(queueMutex);
    return !queueChanged.wait_for(lock, pause, [] { return stopping; });
}

// Presses once the window has held still, through press (which reads the
// window again and presses only if it did not move since); a move in
// between starts the wait again.
template <typename Press>
void pressWhenStill(Press press)
{
    const Clock::time_point giveUp = Clock::now() + SETTLE_GIVE_UP;
    for (;;) {
        EditorReadiness readiness = checkEditorReadiness();
        if (readiness == EditorReadiness::Ready) {
            if (press() != ClickResult::Moved) return;
        } else if (readiness != EditorReadiness::Settling) {
            noteEditorClickOwed();
            return;
        }
        if (Clock::now() >= giveUp || !pauseClickThread(SETTLE_POLL)) {
            noteEditorClickOwed(false);
            return;
        }
    }
}

// The effects window's page-group button, from its rectangle now: slots 1-4
// scale with the editor, slots 5-8 have a fixed layout.
void clickFxPageButtonNow(uint64_t window, int slot)
{
    std::shared_ptr<DesktopBackend> desktop = currentDesktop();
    WindowState state;
    if (desktop->readWindowState(window, state) != RectRead::Ok || !state.clickable) return;
    const DesktopRect& rect = state.rect;
    int x = slot <= 4 ? static_cast<int>(rect.left + 825 * editorScaleX) : rect.left + 850;
    int y = slot <= 4 ? static_cast<int>(rect.top + 225 * editorScaleY) : rect.top + 230;
    // Off its window or off the screens the click would press something else.
    if (!rectContains(rect, x, y) || !screenPointOnAScreen(x, y)) return;
    desktop->pressIfStill(window, state, x, y);
}

void makeClick(const PendingClick& click);

std::atomic<int> followedSurface{0};

// The editor follows one surface; the others' banks and pages are theirs.
bool servingFollowedSurface() { return servedSurface() == followedSurface.load(); }

// The clicks that bring the editor to the surface's bank (or DCA group) and
// page, made here in order. Only when clicks are owed, and then only when
// the operator asked for a bank or page (force), the editor was just found,
// or its window changed since they were owed: a catch-up that cannot
// complete is not tried again for every datagram.
void catchUp(bool force)
{
    if (editorFollowed == 0) return;
    // A closed editor is forgotten here, and one opened again found at once.
    updateEditorGeometry();
    if (editorFound != 1) {
        searchEditorWindow();
        if (editorFound != 1) return;
        force = true;
    }
    if (editorClickMissed == 0) return;
    if (!force && !editorChangedSinceOwed()) return;
    if (editorFound != 1) return;  // closed meanwhile: looked for at the next action
    editorClickMissed = 0;
    int bank = currentBank;
    if (bank >= 0 && bank < 8) {
        makeClick({ClickKind::EditorPoint, BANK_BUTTON_ENTRY + bank, 0, 0});
    } else if (bank >= 8 && bank < BANK_COUNT) {
        makeClick({ClickKind::EditorPoint, DCA_BUTTON_ENTRY, 0, 0});
        if (!pauseClickThread(std::chrono::milliseconds(DCA_GROUP_WAIT_MS))) return;
        makeClick({ClickKind::DcaGroup, bank - 8, 0, 0});
    }
    const SurfacePageEntry& entry = surfacePageEntry(surfacePage);
    if (!entry.hasEntryBlock) return;
    for (int k = 0; k < entry.clickCount; ++k) makeClick({ClickKind::EditorPoint, entry.clicks[k], 0, 0});
}

void makeClick(const PendingClick& click)
{
    switch (click.kind) {
    case ClickKind::EditorPoint: pressWhenStill([&] { return clickEditorPointNow(click.value); }); break;
    case ClickKind::DcaGroup:
        pressWhenStill([&] {
            int x = 0;
            int y = 0;
            dcaGroupClickPoint(click.value, x, y);
            // The group row opens beside the window, so only the screens bound it.
            if (screenPointOnAScreen(x, y)) return clickBesideEditor(x, y);
            noteEditorClickOwed();
            return ClickResult::Owed;
        });
        break;
    case ClickKind::CatchUp: catchUp(click.value == 1); break;
    case ClickKind::FxPageButton: clickFxPageButtonNow(click.window, click.value); break;
    case ClickKind::Focus: currentDesktop()->focusWindow(click.window); break;
    case ClickKind::FunctionKey:
        if (editorFound == 1) sendFunctionKey(editorWindow, click.value);
        break;
    }
}

void runClicks()
{
    // The catch-up reads the bank and page of the surface the editor follows.
    serveSurface(followedSurface);
    std::unique_lock<std::mutex> lock(queueMutex);
    while (!stopping) {
        if (pendingCount == 0) {
            queueChanged.wait(lock);
            continue;
        }
        Clock::time_point due = lastClickMade + std::chrono::milliseconds(pending[pendingHead].waitMs);
        if (Clock::now() < due) {
            // Woken early by a stop or a reset; either shows on the next pass.
            queueChanged.wait_until(lock, due);
            continue;
        }
        PendingClick click = pending[pendingHead];
        pendingHead = (pendingHead + 1) % QUEUE_CAPACITY;
        --pendingCount;
        clickInProgress = true;
        lock.unlock();
        makeClick(click);
        lock.lock();
        clickInProgress = false;
        lastClickMade = Clock::now();
        queueChanged.notify_all();
    }
}

// Caller holds queueMutex.
void startClickThreadLocked()
{
    if (!clickThread.joinable()) clickThread = std::thread(runClicks);
}

void queueClick(const PendingClick& click)
{
    std::lock_guard<std::mutex> lock(queueMutex);
    if (stopping) return;
    // One catch-up waiting is enough; the operator's bank or page makes it
    // one that is made whatever changed.
    if (click.kind == ClickKind::CatchUp && pendingCount > 0) {
        PendingClick& last = pending[(pendingHead + pendingCount - 1) % QUEUE_CAPACITY];
        if (last.kind == ClickKind::CatchUp) {
            last.value |= click.value;
            return;
        }
    }
    if (pendingCount >= QUEUE_CAPACITY) {
        // Dropped: the editor may now show something else than the surface.
        editorClickMissed = 1;
        return;
    }
    pending[(pendingHead + pendingCount) % QUEUE_CAPACITY] = click;
    ++pendingCount;
    startClickThreadLocked();
    queueChanged.notify_all();
}

// The operator changed bank or page. Without an editor window, or with
// clicks owed, the click is owed and the catch-up, which brings the bank and
// the page together, is made instead: no point twice for one action.
bool editorTakesThisClick()
{
    if (editorFound == 1 && editorClickMissed == 0) return true;
    editorClickMissed = 1;
    if (editorFollowed == 1) queueClick({ClickKind::CatchUp, 1, 0, 0});
    return false;
}

} // namespace

void clickEditorPoint(int entry)
{
    if (!servingFollowedSurface()) return;
    if (entry < 0 || entry >= EDITOR_CLICK_POINT_COUNT || !editorTakesThisClick()) return;
    queueClick({ClickKind::EditorPoint, entry, 0, 0});
}

void clickEditorPageEntry(int page)
{
    const SurfacePageEntry& entry = surfacePageEntry(page);
    if (!entry.hasEntryBlock) return;
    for (int k = 0; k < entry.clickCount; ++k) clickEditorPoint(entry.clicks[k]);
}

void clickEditorBank(int bank)
{
    if (bank >= 0 && bank <= 8) clickEditorPoint(BANK_BUTTON_ENTRY + bank);
}

void clickEditorDcaGroup(int group)
{
    if (!servingFollowedSurface()) return;
    if (group < 0 || group > 7 || !editorTakesThisClick()) return;
    queueClick({ClickKind::EditorPoint, DCA_BUTTON_ENTRY, 0, 0});
    queueClick({ClickKind::DcaGroup, group, 0, DCA_GROUP_WAIT_MS});
}

void clickFxPageButton(uint64_t window, int slot, int clicks)
{
    if (!servingFollowedSurface()) return;
    if (window == 0 || slot < 1 || slot > 8) return;
    queueClick({ClickKind::Focus, 0, window, 0});
    for (int k = 0; k < clicks; ++k) queueClick({ClickKind::FxPageButton, slot, window, 0});
}

void focusWindowInTurn(uint64_t window)
{
    if (!servingFollowedSurface()) return;
    if (window != 0) queueClick({ClickKind::Focus, 0, window, 0});
}

void sendEditorFunctionKey(int fkey)
{
    if (!servingFollowedSurface()) return;
    if (editorFound != 1 || fkey < 1 || fkey > 8) return;
    queueClick({ClickKind::FunctionKey, fkey, 0, 0});
}

void resyncEditorAfterMissedClicks()
{
    if (!servingFollowedSurface()) return;
    if (editorFollowed == 1) queueClick({ClickKind::CatchUp, 0, 0, 0});
}

void setEditorSurface(int surface)
{
    if (surface >= 0 && surface < MAX_SURFACES) followedSurface = surface;
}

int editorSurface() { return followedSurface; }

void startEditorClicks()
{
    std::lock_guard<std::mutex> lock(queueMutex);
    if (!stopping) startClickThreadLocked();
}

void stopEditorClicks()
{
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        if (stopping) return;  // another caller is joining it
        pendingCount = 0;
        stopping = true;
        queueChanged.notify_all();
    }
    // Nobody starts or replaces the thread while stopping is set.
    if (clickThread.joinable()) clickThread.join();
    std::lock_guard<std::mutex> lock(queueMutex);
    stopping = false;
    queueChanged.notify_all();
}

bool waitForEditorClicks()
{
    constexpr auto GIVE_UP = std::chrono::seconds(10);
    std::unique_lock<std::mutex> lock(queueMutex);
    if (queueChanged.wait_for(lock, GIVE_UP, [] { return pendingCount == 0 && !clickInProgress; })) return true;
    std::fprintf(stderr, "editor clicks: %d still waiting after %d s\n", pendingCount,
                 static_cast<int>(GIVE_UP.count()));
    return false;
}

void resetEditorClicks()
{
    stopEditorClicks();
    std::lock_guard<std::mutex> lock(queueMutex);
    pendingHead = 0;
    lastClickMade = Clock::time_point{};
    editorClickMissed = 0;
    followedSurface = 0;
}
