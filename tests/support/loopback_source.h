// Whether a second loopback address (127.0.0.2, ...) can stand for another
// device in a test: a datagram sent from a socket bound to it must arrive
// with it as the source. Linux and Windows do this; Wine binds such a socket
// to 0.0.0.0, so its datagrams come from 127.0.0.1, and tests that tell two
// devices apart by address have to skip there.
#pragma once

#include <cstdint>

bool loopbackSourceHolds(uint32_t address);
