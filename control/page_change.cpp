#include "control/page_change.h"

#include "editor/editor_clicks.h"
#include "model/console_model.h"

SurfaceChange changeSurfacePage(int page)
{
    if (page != surfacePage) clickEditorPageEntry(page);
    surfacePage = page;
    return PAGE_CHANGED;
}
