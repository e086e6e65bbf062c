#include "app/reset_state.h"

#include "app/mixer_watchdog.h"
#include "app/query_sweep.h"
#include "app/status_report.h"
#include "app/surface_receive.h"
#include "control/processing_pages.h"
#include "control/surface_dispatch.h"
#include "diag/link_stats.h"
#include "diag/traffic_log.h"
#include "display/mixer_gone.h"
#include "display/refresh.h"
#include "display/strip_display.h"
#include "editor/editor_clicks.h"
#include "editor/editor_prefs.h"
#include "editor/editor_window.h"
#include "fxdefs/fx_files.h"
#include "mixer/keepalive.h"
#include "mixer/reply_dispatch.h"
#include "model/console_model.h"
#include "platform/desktop.h"
#include "platform/stop_signal.h"
#include "surface/output_queue.h"
#include "surface/self_loop.h"
#include "surface/surface_learn.h"

void resetAllState()
{
    resetStopSignal();
    resetModelState();
    resetSurfaceQueue();
    resetRefreshState();
    resetStripDisplayCache();
    resetMixerGone();
    resetFxDescriptions();
    // Pending editor clicks go before the editor state they would use.
    resetEditorClicks();
    resetEditorState();
    resetEditorPrefsState();
    resetDesktopBackend();
    resetSurfaceInputState();
    resetSurfaceDatagramsHandled();
    resetReplyDispatch();
    resetProcessingPages();
    resetQuerySweep();
    resetMixerWatchdog();
    resetKeepAlivePasses();
    resetLinkStats();
    resetTrafficLog();
    resetSelfLoopState();
    resetSurfaceLearning();
    resetAddressOrigins();
}
