// This machine's own IPv4 addresses, one implementation file per platform.
#pragma once

#include <cstdint>

// Fills out with up to capacity addresses (host byte order) of the local
// network interfaces; returns how many. Loopback may or may not be among
// them. 0 when the system cannot tell.
int localIpv4Addresses(uint32_t* out, int capacity);

// The broadcast address (host byte order) of every IPv4 interface that is up
// and can broadcast, loopback left out, each once; returns how many. 0 when
// there is none or the system cannot tell.
int localIpv4Broadcasts(uint32_t* out, int capacity);
