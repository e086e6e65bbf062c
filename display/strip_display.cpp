#include "display/strip_display.h"

#include <cstdint>
#include <cstring>
#include <mutex>

#include "surface/output_queue.h"

namespace {

constexpr int DISPLAY_COUNT = 8;
constexpr int DISPLAY_TEXT_LENGTH = 7;
constexpr int DISPLAY_MESSAGE_LENGTH = 22;
constexpr int DISPLAY_WAIT_MICROS = 150;
constexpr uint8_t INVERTED_BIT = 0x40;

struct DisplayCacheEntry {
    uint8_t colourByte;
    int inverted;
    char top[DISPLAY_TEXT_LENGTH + 1];
    char bottom[DISPLAY_TEXT_LENGTH + 1];
};

// Guards the cache. Held across the enqueue so that two refreshing threads
// cannot leave the cache saying one text while the queue got the other; the
// queue never takes this lock, so the order is always cache, then queue.
std::mutex displayCacheMutex;
DisplayCacheEntry displayCache[DISPLAY_COUNT + 1];   // positions 1..8

// First 7 characters, NUL-padded. Bytes from 0x80 up would end or break the
// system-exclusive message and are shown as '?'.
void takeText(const char* text, char (&out)[DISPLAY_TEXT_LENGTH + 1])
{
    std::memset(out, 0, sizeof out);
    if (!text) return;
    for (int i = 0; i < DISPLAY_TEXT_LENGTH && text[i] != '\0'; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        out[i] = c >= 0x80 ? '?' : static_cast<char>(c);
    }
}

}  // namespace

void writeStripDisplay(int position, int colour, int inverted, const char* top,
                       const char* bottom)
{
    if (position < 1 || position > DISPLAY_COUNT) return;
    if (colour < 0 || colour > 7) colour = 0;
    uint8_t colourByte = static_cast<uint8_t>(colour + (inverted >= 1 ? INVERTED_BIT : 0));
    int flag = inverted >= 1 ? 1 : 0;
    char topText[DISPLAY_TEXT_LENGTH + 1];
    char bottomText[DISPLAY_TEXT_LENGTH + 1];
    takeText(top, topText);
    takeText(bottom, bottomText);

    std::lock_guard<std::mutex> lock(displayCacheMutex);
    DisplayCacheEntry& cached = displayCache[position];
    if (cached.colourByte == colourByte && cached.inverted == flag &&
        std::memcmp(cached.top, topText, sizeof topText) == 0 &&
        std::memcmp(cached.bottom, bottomText, sizeof bottomText) == 0) {
        return;
    }
    uint8_t message[DISPLAY_MESSAGE_LENGTH] = {0xF0, 0x00, 0x00, 0x66, 0x58};
    message[5] = static_cast<uint8_t>(0x1F + position);
    message[6] = colourByte;
    std::memcpy(message + 7, topText, DISPLAY_TEXT_LENGTH);
    std::memcpy(message + 14, bottomText, DISPLAY_TEXT_LENGTH);
    message[21] = 0xF7;
    queueSurfaceBytes(message, DISPLAY_MESSAGE_LENGTH, DISPLAY_WAIT_MICROS);
    // Stored also when the queue was full and the message was dropped.
    cached.colourByte = colourByte;
    cached.inverted = flag;
    std::memcpy(cached.top, topText, sizeof topText);
    std::memcpy(cached.bottom, bottomText, sizeof bottomText);
}

void resetStripDisplayCache()
{
    std::lock_guard<std::mutex> lock(displayCacheMutex);
    std::memset(displayCache, 0, sizeof displayCache);
}

void forgetSentStripDisplays()
{
    std::lock_guard<std::mutex> lock(displayCacheMutex);
    // No colour byte the bridge sends has both bits 7 and 6 set.
    for (DisplayCacheEntry& entry : displayCache) entry.colourByte = 0xFF;
}
