// Keeps the bridge from hearing itself: a surface address that is this
// machine's own, with the surface port equal to the listening port, makes
// every motor-fader message come back as a fader move.
#pragma once

#include <cstdint>
#include <string>

#include "platform/udp.h"

// Reads this machine's addresses once (start-up, after the socket library
// is started).
void loadOwnAddresses();

// Loopback (127.0.0.0/8) or an address of one of this machine's interfaces.
bool isOwnAddress(uint32_t address);

// The surface endpoint points back at the bridge's own listening socket.
bool surfaceLoopsBack(const UdpEndpoint& surface, uint16_t listeningPort);

// A datagram that came from the bridge's own surface socket.
bool isOwnSurfaceDatagram(const UdpEndpoint& from, uint16_t listeningPort);

// This machine's addresses as text, for the refusal message.
std::string ownAddressesText();

void resetSelfLoopState();
