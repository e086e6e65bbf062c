#include "display/mixer_gone.h"

#include <cstdio>
#include <cstring>
#include <mutex>

#include "display/strip_display.h"
#include "model/console_model.h"
#include "surface/output_queue.h"

namespace {

constexpr int RED = 1;
constexpr int CHARS = 7;  // per display line
constexpr int WHERE_SIZE = 64;

std::mutex goneMutex;
bool gone = false;             // guarded by goneMutex
char goneWhere[WHERE_SIZE];    // guarded by goneMutex

void writeGoneDisplays(const char* where)
{
    // Upper row "Mixer at <address>" (the address over displays 3 to 5),
    // lower row "not answering".
    static const char* const top[2] = {"Mixer", "at"};
    static const char* const bottom[8] = {"not", "answer-", "ing", "", "", "", "", ""};
    const size_t length = where ? std::strlen(where) : 0;
    for (int position = 1; position <= 8; ++position) {
        char text[CHARS + 1] = "";
        if (position <= 2) {
            std::strcpy(text, top[position - 1]);
        } else {
            const size_t from = static_cast<size_t>(position - 3) * CHARS;
            if (from < length) {
                std::strncpy(text, where + from, CHARS);
                text[CHARS] = '\0';
            }
        }
        writeStripDisplay(position, RED, 0, text, bottom[position - 1]);
    }
}

} // namespace

void showMixerGone(const char* where)
{
    {
        std::lock_guard<std::mutex> lock(goneMutex);
        gone = true;
        std::snprintf(goneWhere, sizeof goneWhere, "%s", where ? where : "");
    }
    writeGoneDisplays(where);
    // Once per silence: no meters arrive while it lasts.
    bool live = false;
    for (StripRecord& strip : strips) {
        live = live || strip.meter != 0.0f;
        strip.meter = 0.0f;
    }
    const float zero[8] = {};
    if (live) queueMeterLevels(zero);
}

void clearMixerGone()
{
    std::lock_guard<std::mutex> lock(goneMutex);
    gone = false;
}

bool holdMixerGoneDisplays()
{
    char where[WHERE_SIZE];
    {
        std::lock_guard<std::mutex> lock(goneMutex);
        if (!gone) return false;
        std::memcpy(where, goneWhere, sizeof where);
    }
    writeGoneDisplays(where);
    return true;
}

void resetMixerGone()
{
    std::lock_guard<std::mutex> lock(goneMutex);
    gone = false;
    goneWhere[0] = '\0';
}
