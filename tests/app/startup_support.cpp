#include "startup_support.h"

#include <cstring>

#include "mixer/mixer_send.h"
#include "mixer/osc_codec.h"
#include "mixer/osc_receive.h"
#include "platform/stop_signal.h"

char consoleTypeFor(const std::string& address)
{
    std::string last = address.substr(address.rfind('/') + 1);
    if (last == "name") return 's';
    if (address.rfind("/fx/", 0) == 0 && address.find("/par/") != std::string::npos) return 'f';
    static const char* const floats[] = {"fader", "pan",     "mlevel", "level", "gain", "thr",
                                         "range", "attack",  "hold",   "release", "f",  "g",
                                         "q",     "hpf",     "trim",   "time",  "knee", "mgain",
                                         "weight", "mix"};
    for (const char* f : floats) {
        if (last == f) return 'f';
    }
    return 'i';
}

bool SweepConsole::start()
{
    if (!socket.open() || !socket.bind(0x7F000001, 0) || !bridgeSide.open()) return false;
    setMixerLink(&bridgeSide, UdpEndpoint{0x7F000001, socket.localPort()});
    setMixerSourceFilter(0x7F000001);
    running = true;
    thread = std::thread([this] {
        uint8_t buffer[1024];
        while (running) {
            int length = 0;
            UdpEndpoint from;
            if (socket.receive(buffer, sizeof buffer, length, from, 50) != ReceiveStatus::Received) continue;
            if (length <= 0 || !std::memchr(buffer, 0, static_cast<size_t>(length))) continue;
            std::string address(reinterpret_cast<char*>(buffer));
            {
                std::lock_guard<std::mutex> lock(mutex);
                received.push_back(address);
            }
            // Only queries (no arguments) are answered.
            if (length < 8 || buffer[((address.size() + 4) & ~size_t(3)) + 1] != 0) continue;
            if (shouldAnswer && !shouldAnswer(address)) continue;
            if (beforeAnswer) beforeAnswer(address);
            push(address, consoleTypeFor(address));
        }
    });
    oscReceive = std::thread(oscReceiveLoop);
    return true;
}

void SweepConsole::push(const std::string& address, char type)
{
    uint8_t out[200];
    int n = -1;
    if (type == 'f') {
        n = encodeOscMessage(out, sizeof out, address.c_str(), "f", 0.5);
    } else if (type == 's') {
        n = encodeOscMessage(out, sizeof out, address.c_str(), "s", "Ch");
    } else {
        n = encodeOscMessage(out, sizeof out, address.c_str(), "i", 0);
    }
    UdpEndpoint bridge{0x7F000001, bridgeSide.localPort()};
    if (n > 0) socket.sendTo(out, n, bridge);
}

void SweepConsole::stop()
{
    if (!running) return;
    running = false;
    if (thread.joinable()) thread.join();
    requestStop();
    bridgeSide.interrupt();
    if (oscReceive.joinable()) oscReceive.join();
    setMixerLink(nullptr, UdpEndpoint{});
    setMixerSourceFilter(0);
}

std::vector<std::string> SweepConsole::addresses()
{
    std::lock_guard<std::mutex> lock(mutex);
    return received;
}
