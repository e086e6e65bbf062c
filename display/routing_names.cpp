// What feeds a strip: its source code read through the console's routing
// blocks. Input channels 1..32 take their source from routing blocks of eight;
// aux inputs 1..6 from the aux block. Block codes from 20 (channels) or 13
// (aux) on mean user routing; below that they name console inputs directly.
#include "display/formatters.h"
#include "display/name_tables.h"
#include "model/console_model.h"

namespace {

constexpr int ROUTING_ROW_IN = 0;
constexpr int ROUTING_ROW_PLAY = 5;
constexpr int ROUTING_AUX_COLUMN = 4;
constexpr int CHANNEL_USER_ROUTING_CODE = 20;
constexpr int AUX_USER_ROUTING_CODE = 13;

int routingRow() { return routSwitch == 1 ? ROUTING_ROW_PLAY : ROUTING_ROW_IN; }
int blockCode(int block) { return routingBlocks[routingRow()][block]; }
int auxCode() { return routingBlocks[routingRow()][ROUTING_AUX_COLUMN]; }

// User-routing input 1..32 (element 0..31), or 0 ("-") outside the table.
int userRoutingSource(int element)
{
    if (element < 0 || element >= 32) return 0;
    return userRouting[element];
}

int headAmpOrNone(long long index) { return index >= 0 && index <= 127 ? static_cast<int>(index) : -1; }

// Head amp of aux place 0..5 under aux routing codes 1..9 (local, AES50 A,
// AES50 B inputs, 2, 4 or 6 of them); the card codes 10..12 have none.
int auxHeadAmp(int code, int place)
{
    if (code < 1 || code > 9) return -1;
    const int firstHeadAmp[] = {0, 32, 80};
    int used = ((code - 1) % 3 + 1) * 2;
    if (place >= used) return -1;
    return firstHeadAmp[(code - 1) / 3] + place;
}

}  // namespace

const char* stripSourceName(int strip)
{
    if (!isValidStrip(strip)) return "?";
    int c = strips[strip].source;
    if (c == 0) return "OFF";
    if (c >= 1 && c <= 32) {
        int block = (c - 1) / 8;
        int place = (c - 1) % 8;
        int r = blockCode(block);
        if (r >= CHANNEL_USER_ROUTING_CODE) return userRoutingSourceName(userRoutingSource(c - 1));
        return consoleInputName(r * 8 + place);
    }
    if (c >= 33 && c <= 64) {
        int j = c - 33;
        int r = auxCode();
        if (r >= 1 && r <= 12 && j <= 5) return auxInputName(r, (c - 1) % 8);
        // Aux input j + 1 under user routing reads user-routing input j + 1.
        if (r >= AUX_USER_ROUTING_CODE && j <= 5) return userRoutingSourceName(userRoutingSource(j));
        return channelSourceName(c);
    }
    return "*";
}

int headAmpIndexOf(int strip)
{
    if (!isValidStrip(strip)) return -1;
    int c = strips[strip].source;
    if (c >= 1 && c <= 32) {
        int block = (c - 1) / 8;
        int place = (c - 1) % 8;
        int r = blockCode(block);
        if (r >= CHANNEL_USER_ROUTING_CODE) return headAmpOrNone(userRoutingSource(c - 1) - 1LL);
        return headAmpOrNone(static_cast<long long>(r) * 8 + place);
    }
    if (c >= 33 && c <= 38) {
        int r = auxCode();
        if (r >= AUX_USER_ROUTING_CODE) return headAmpOrNone(userRoutingSource(c - 33) - 1LL);
        return auxHeadAmp(r, c - 33);
    }
    return -1;
}

int preampHeadamp(int strip)
{
    if (!isValidStrip(strip) || strips[strip].haIndex == -1) return -1;
    int h = headAmpIndexOf(strip);
    return h >= 0 && h < HEADAMP_COUNT ? h : -1;
}
