#include "control/dca_spill.h"

#include "control/strip_controls.h"
#include "editor/editor_clicks.h"
#include "model/console_model.h"

SurfaceChange stepDcaSpill(int direction)
{
    if (direction != 1 && direction != -1) return NOTHING_CHANGED;
    int group = currentDcaGroup;
    if (group < 0 || group > 7) group = 0;
    if (direction > 0 && group >= 7) return NOTHING_CHANGED;
    if (direction < 0 && group < 1) return NOTHING_CHANGED;
    group += direction;
    currentDcaGroup = group;

    clickEditorDcaGroup(group);

    currentBank = 8 + group;
    return buildBankStrips(currentBank, bankScroll);
}
