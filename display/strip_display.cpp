#include "display/strip_display.h"

#include <cstdint>
#include <cstring>

#include "surface/output_queue.h"

namespace {

constexpr int DISPLAY_COUNT = 8;
constexpr int DISPLAY_TEXT_LENGTH = 7;
constexpr int DISPLAY_MESSAGE_LENGTH = 22;
constexpr uint8_t INVERTED_BIT = 0x40;

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
    char topText[DISPLAY_TEXT_LENGTH + 1];
    char bottomText[DISPLAY_TEXT_LENGTH + 1];
    takeText(top, topText);
    takeText(bottom, bottomText);
    // The queue drops it when that display already shows exactly this.
    uint8_t message[DISPLAY_MESSAGE_LENGTH] = {0xF0, 0x00, 0x00, 0x66, 0x58};
    message[5] = static_cast<uint8_t>(0x1F + position);
    message[6] = colourByte;
    std::memcpy(message + 7, topText, DISPLAY_TEXT_LENGTH);
    std::memcpy(message + 14, bottomText, DISPLAY_TEXT_LENGTH);
    message[21] = 0xF7;
    queueStripDisplay(position, message, DISPLAY_MESSAGE_LENGTH);
}

void resetStripDisplayCache() { resetSentStripDisplays(); }
