#include "mixer/discovery.h"

#include <cstring>
#include <string>

#include "mixer/osc_codec.h"
#include "platform/clock.h"
#include "platform/console_output.h"
#include "platform/local_addresses.h"
#include "platform/stop_signal.h"

namespace {

constexpr int BROADCAST_MAX = 16;
constexpr uint32_t LIMITED_BROADCAST = 0xFFFFFFFFu;

// A device's text reaches the operator's terminal: nothing but printable
// ASCII, so an odd name cannot move the cursor or change colours.
void copyPrintable(char (&target)[MIXER_TEXT_SIZE], const char* text, int length)
{
    int n = 0;
    for (int i = 0; i < length && n < MIXER_TEXT_SIZE - 1; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        target[n++] = c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
    }
    target[n] = '\0';
}

bool sendXinfo(UdpSocket& socket, const UdpEndpoint* targets, int targetCount)
{
    uint8_t query[16] = {};
    const int length = encodeOscMessage(query, sizeof query, "/xinfo", "");
    bool anySent = false;
    for (int i = 0; i < targetCount; ++i) {
        anySent = socket.sendTo(query, length, targets[i]) == length || anySent;
    }
    return anySent;
}

// Takes answers until the steady time deadlineMs; false when the socket failed.
bool collectAnswers(UdpSocket& socket, int64_t deadlineMs, MixerSearch& search)
{
    for (;;) {
        const int64_t left = deadlineMs - steadyMilliseconds();
        if (stopRequested || left <= 0) return true;
        uint8_t buffer[512];
        int length = 0;
        UdpEndpoint from;
        const ReceiveStatus status = socket.receive(buffer, sizeof buffer, length, from,
                                                    static_cast<int>(left));
        if (status == ReceiveStatus::Failed) return stopRequested;
        if (status != ReceiveStatus::Received) continue;
        FoundMixer mixer;
        if (parseXinfoAnswer(buffer, length, from, mixer)) addFoundMixer(search, mixer);
    }
}

} // namespace

bool parseXinfoAnswer(uint8_t* datagram, int length, const UdpEndpoint& from, FoundMixer& mixer)
{
    static const char address[8] = {'/', 'x', 'i', 'n', 'f', 'o', 0, 0};
    if (!datagram || length < 8 || std::memcmp(datagram, address, sizeof address) != 0) return false;
    ParsedOscMessage message;
    if (!parseOscMessage(datagram, length, message) || std::strcmp(message.typeTags, "ssss") != 0) {
        return false;
    }
    const char* texts[4];
    int lengths[4];
    for (int i = 0; i < 4; ++i) {
        if (!readOscString(message, texts[i], lengths[i])) return false;
    }
    // The first text is the address the console believes it has; the source
    // of the answer is what reaches it from here.
    mixer = FoundMixer{};
    mixer.endpoint = from;
    copyPrintable(mixer.name, texts[1], lengths[1]);
    copyPrintable(mixer.model, texts[2], lengths[2]);
    copyPrintable(mixer.firmware, texts[3], lengths[3]);
    return true;
}

bool addFoundMixer(MixerSearch& search, const FoundMixer& mixer)
{
    for (int i = 0; i < search.count; ++i) {
        const UdpEndpoint& known = search.found[i].endpoint;
        if (known.address == mixer.endpoint.address && known.port == mixer.endpoint.port) return false;
    }
    if (search.count >= FOUND_MIXER_MAX) return false;
    search.found[search.count++] = mixer;
    return true;
}

std::string describeFoundMixer(const FoundMixer& mixer)
{
    return std::string(mixer.name) + " (" + mixer.model + " " + mixer.firmware + ") at " +
           formatEndpoint(mixer.endpoint);
}

int xinfoTargets(const UdpEndpoint* given, uint16_t port, UdpEndpoint* out, int capacity)
{
    if (capacity <= 0) return 0;
    if (given) {
        out[0] = *given;
        return 1;
    }
    uint32_t broadcasts[BROADCAST_MAX];
    int found = localIpv4Broadcasts(broadcasts, BROADCAST_MAX);
    if (found == 0) broadcasts[found++] = LIMITED_BROADCAST;
    int count = 0;
    for (int i = 0; i < found && count < capacity; ++i) out[count++] = UdpEndpoint{broadcasts[i], port};
    return count;
}

SearchResult searchMixers(UdpSocket& socket, const UdpEndpoint* targets, int targetCount,
                          MixerSearch& search)
{
    const int64_t startMs = steadyMilliseconds();
    int64_t noticeMs = startMs;
    bool sendFailureShown = false;
    while (!stopRequested) {
        const int64_t roundMs = steadyMilliseconds();
        if (!sendXinfo(socket, targets, targetCount) && !sendFailureShown) {
            consolePrint("Cannot send /xinfo: %s\n", UdpSocket::lastErrorText().c_str());
            sendFailureShown = true;
        }
        // A slow console's answer, after the window, still counts before the next ask.
        if (!collectAnswers(socket, roundMs + XINFO_ANSWER_MS, search)) break;
        if (search.count > 0) return SearchResult::Found;
        if (!collectAnswers(socket, roundMs + XINFO_REPEAT_MS, search)) break;
        if (search.count > 0) return SearchResult::Found;
        const int64_t nowMs = steadyMilliseconds();
        if (!stopRequested && nowMs - noticeMs >= XINFO_NOTICE_MS) {
            noticeMs = nowMs;
            consolePrint("No mixer has answered /xinfo for %lld s; asking again every 2 s "
                         "(q + Enter stops)\n",
                         static_cast<long long>((nowMs - startMs) / 1000));
        }
    }
    if (stopRequested) return SearchResult::Stopped;
    consolePrint("Cannot receive the mixers' answers: %s\n", UdpSocket::lastErrorText().c_str());
    return SearchResult::Failed;
}
