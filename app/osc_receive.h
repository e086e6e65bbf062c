// The thread that receives every datagram from the console.
#pragma once

#include <cstdint>

// Only datagrams from this IPv4 address (host order) are accepted; 0 accepts
// any sender (tests).
void setMixerSourceFilter(uint32_t address);

// Parses one datagram, hands it to dispatchReply and shows what it changed
// (before start-up completes, only the motor faders); false when dropped.
bool handleMixerDatagram(uint8_t* datagram, int length);

// Thread entry: receives until stopRequested (the socket is interrupted on
// stop). Returns 0.
int oscReceiveLoop();
