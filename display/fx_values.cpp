// Effects parameters on the effects pages: which parameter an encoder shows
// and how its value reads, from the effects descriptions.
#include <cmath>
#include <cstdio>

#include "display/formatters.h"
#include "fxdefs/fx_files.h"
#include "model/console_model.h"

namespace {

const FxDescription* unitDescription(int unit)
{
    if (unit < 0 || unit >= FX_SLOT_COUNT) return nullptr;
    return fxDescriptionFor(unit, fxSlots[unit + 1].type);
}

void printLinear(char* buffer, int capacity, int unit, double value)
{
    size_t size = static_cast<size_t>(capacity);
    if (!std::isfinite(value)) {
        std::snprintf(buffer, size, "?");
    } else if (unit <= 3) {
        std::snprintf(buffer, size, "%+3.1f", value);
    } else {
        double whole = std::round(value);   // halves away from zero
        if (std::fabs(whole) < 2e9) {
            std::snprintf(buffer, size, "%+d", static_cast<int>(whole));
        } else {
            std::snprintf(buffer, size, "%+.0f", whole);
        }
    }
}

// The label of look-up entry x / step; an entry outside the table shows its
// number, an unusable step "?".
void printLookUp(char* buffer, int capacity, const FxParamDescription& param, double x)
{
    size_t size = static_cast<size_t>(capacity);
    double index = param.step > 0.0 ? std::round(x / param.step) : NAN;
    if (!std::isfinite(index) || std::fabs(index) >= 2e9) {
        std::snprintf(buffer, size, "?");
        return;
    }
    const FxLutEntry* entry = fxLutEntry(param, static_cast<int>(index));
    if (entry) {
        std::snprintf(buffer, size, "%s", entry->label);
    } else {
        std::snprintf(buffer, size, "%d", static_cast<int>(index));
    }
}

}  // namespace

int findFxParameter(int unit, int page, int position)
{
    const FxDescription* fx = unitDescription(unit);
    if (!fx) return -1;
    int count = fx->paramCount < FX_PARAMS_PER_TYPE ? fx->paramCount : FX_PARAMS_PER_TYPE;
    int found = -1;
    for (int i = 0; i < count; ++i) {
        const FxParamDescription& param = fx->params[i];
        if (param.kind < 0) break;
        if (param.page == page && param.position == position) found = i;
    }
    return found;
}

void formatFxValue(char* buffer, int capacity, int unit, int parameter)
{
    if (!buffer || capacity <= 0) return;
    std::snprintf(buffer, static_cast<size_t>(capacity), "-**-");
    const FxDescription* fx = unitDescription(unit);
    // The console has 64 parameters; the 65th description has no value.
    if (!fx || parameter < 0 || parameter >= FX_PARAM_COUNT || parameter >= FX_PARAMS_PER_TYPE) return;
    const FxParamDescription& param = fx->params[parameter];
    double x = fxSlots[unit + 1].par[parameter + 1];
    if (param.kind == FX_KIND_LINF) {
        printLinear(buffer, capacity, unit, param.min + (param.max - param.min) * x);
    } else if (param.kind == FX_KIND_ENUM || param.kind == FX_KIND_LOGF) {
        printLookUp(buffer, capacity, param, x);
    }
}

bool fxParameterBound(const FxParamDescription& param, double& bound)
{
    // The largest index that can travel as an OSC int.
    constexpr double highestEnumIndex = 2147483647.0;
    bool integer = param.kind == FX_KIND_ENUM;
    if (!integer && param.kind != FX_KIND_LINF && param.kind != FX_KIND_LOGF) return false;
    if (!(param.step > 0.0) || !std::isfinite(param.step)) return false;
    bound = integer ? param.max : 1.0;
    return bound >= 0.0 && bound <= highestEnumIndex;
}
