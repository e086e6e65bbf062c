#include "control/fx_editing.h"

#include <cmath>

#include "control/page_change.h"
#include "control/processing_pages_steps.h"
#include "display/formatters.h"
#include "editor/editor_clicks.h"
#include "editor/editor_window.h"
#include "fxdefs/fx_files.h"
#include "mixer/mixer_send.h"
#include "model/console_model.h"
#include "platform/console_output.h"
#include "platform/desktop.h"

namespace {
// Parameters with finer steps than this accelerate: ticks are cubed.
constexpr double FINE_STEP = 0.005;

bool isSlot(int slot)
{
    return slot >= 1 && slot <= FX_SLOT_COUNT;
}

const FxDescription* slotDescription(int slot)
{
    return isSlot(slot) ? fxDescriptionFor(slot - 1, fxSlots[slot].type) : nullptr;
}

bool findFxWindow(int slot, uint64_t& window)
{
    char title[16];
    if (formatText(title, sizeof title, "FX %d", slot) < 0) return false;
    return findWindowByTitle(title, window);
}

void stepType(int slot, int value)
{
    FxSlot& fx = fxSlots[slot];
    long long limit = fxTypeLimit(slot);
    long long type = fx.type;
    long long ticks = encoderTicks(value);
    if (isClockwise(value)) {
        if (type < limit) type += ticks;
        if (type > limit) type = limit;
    } else {
        if (type > 0) type -= ticks;
        if (type < 0) type = 0;
    }
    // A type not reported yet (-1) lands on the first type, and one the
    // console reported beyond the slot's range on the last.
    if (type < 0) type = 0;
    if (type > limit) type = limit;
    // At the end of the range the type stays: nothing to write.
    if (type == fx.type) return;
    fx.type = static_cast<int>(type);
    sendFxType(slot, fx.type);
}

// Pages run 1..pageCount; a slot without description stays on page 1.
void stepPage(int slot, int value)
{
    FxSlot& fx = fxSlots[slot];
    const FxDescription* d = slotDescription(slot);
    int pages = d && d->pageCount > 1 ? d->pageCount : 1;
    if (isClockwise(value)) {
        if (fx.paramPage < pages) {
            fx.paramPage += 1;
            syncEditorFxPage(slot);
        }
        if (fx.paramPage > pages) fx.paramPage = pages;
    } else {
        if (fx.paramPage > 1) {
            fx.paramPage -= 1;
            syncEditorFxPage(slot);
        }
        if (fx.paramPage < 1) fx.paramPage = 1;
    }
}

void sendParameter(int slot, int p, const FxParamDescription& param, double value)
{
    char address[OSC_BUFFER_SIZE];
    if (formatText(address, sizeof address, "/fx/%d/par/%02d", slot, p) < 0) return;
    if (param.kind == FX_KIND_ENUM) {
        long rounded = std::lround(value);
        long highest = static_cast<long>(std::floor(param.max));
        sendToMixer(address, "i", static_cast<int>(rounded > highest ? highest : rounded));
    } else {
        sendToMixer(address, "f", clampUnit(value));
    }
}

// Steps the parameter at position 1..6 of the slot's current page. Nothing
// moves and nothing is sent unless the description bounds the value.
void stepParameter(int slot, int position, int value)
{
    FxSlot& fx = fxSlots[slot];
    const FxDescription* d = slotDescription(slot);
    if (!d) return;
    int i = findFxParameter(slot - 1, fx.paramPage, position);
    if (i < 0 || i >= d->paramCount || i >= FX_PARAM_COUNT) return;
    const FxParamDescription& param = d->params[i];
    double bound = 0.0;
    if (!fxParameterBound(param, bound)) return;

    double ticks = encoderTicks(value);
    if (param.step < FINE_STEP) ticks = ticks * ticks * ticks;
    int p = i + 1;
    double v = fx.par[p];
    if (isClockwise(value)) {
        if (v < bound) v += ticks * param.step;
        if (v > bound) v = bound;
    } else {
        if (v > 0.0) v -= ticks * param.step;
        if (v < 0.0) v = 0.0;
    }
    if (!(v >= 0.0)) v = 0.0;   // a NaN from the console
    if (v > bound) v = bound;   // a console value above the description's range
    v = static_cast<float>(v);   // as the console holds it
    if (v == fx.par[p]) return;  // at the end of its range: nothing to write
    fx.par[p] = v;
    sendParameter(slot, p, param, v);
}

int targetEditorGroup(const FxDescription& d, int page)
{
    int target = 1;
    if (d.group2FirstPage > 0 && page >= d.group2FirstPage) target = 2;
    if (d.group3FirstPage > 0 && page >= d.group3FirstPage) target = 3;
    return target;
}
} // namespace

int fxTypeLimit(int slot)
{
    return slot <= 4 ? FX_TYPES_1TO4 - 1 : FX_TYPES_5TO8 - 1;
}

void sendFxType(int slot, int type)
{
    if (!isSlot(slot) || type < 0 || type > fxTypeLimit(slot)) return;
    char address[OSC_BUFFER_SIZE];
    if (formatText(address, sizeof address, "/fx/%d/type", slot) < 0) return;
    sendToMixer(address, "i", type);
}

void fxEncoder(int slot, int controller, int value)
{
    if (!isSlot(slot) || controller < 16 || controller > 23) return;
    if (controller == 16) {
        if (encoderPushed[0] == 127) stepType(slot, value);
        return;
    }
    if (fxSlots[slot].type < 0) return;
    if (controller == 17) {
        stepPage(slot, value);
        return;
    }
    stepParameter(slot, controller - 17, value);
}

void syncEditorFxPage(int slot)
{
    const FxDescription* d = slotDescription(slot);
    if (!d || d->editorGroupCount <= 1) return;
    FxSlot& fx = fxSlots[slot];
    // The editor's effect window has at most three page groups.
    int groups = d->editorGroupCount > 3 ? 3 : d->editorGroupCount;
    int target = targetEditorGroup(*d, fx.paramPage);
    if (target > groups || target == fx.editorPageGroup) return;

    uint64_t window = 0;
    if (!findFxWindow(slot, window)) return;
    DesktopRect rect;
    if (currentDesktop()->readWindowRect(window, rect) != RectRead::Ok) return;
    // Each click advances the window's group by one, wrapping after the last.
    int clicks = 0;
    for (; fx.editorPageGroup != target && clicks <= groups; ++clicks) {
        fx.editorPageGroup = fx.editorPageGroup >= 1 && fx.editorPageGroup < groups
                                 ? fx.editorPageGroup + 1 : 1;
    }
    clickFxPageButton(window, slot, clicks);
}

SurfaceChange showFxSlot(int note)
{
    int slot;
    if (note >= 70 && note <= 73) slot = note - 69;
    else if (note >= 80 && note <= 83) slot = note - 75;
    else return NOTHING_CHANGED;
    SurfaceChange change = changeSurfacePage(fxPageOfSlot(slot));
    uint64_t window = 0;
    if (findFxWindow(slot, window)) focusWindowInTurn(window);
    return change;
}

void openFxSlotInEditor(int page)
{
    int slot = fxSlotOfPage(page);
    if (slot == 0 || editorFound != 1) return;
    sendEditorFunctionKey(slot);
}
