// The one way OSC messages reach the console: encode into a 200-byte buffer
// of the calling thread and send one datagram. Safe from any thread.
#pragma once

class UdpSocket;
struct UdpEndpoint;

constexpr int OSC_BUFFER_SIZE = 200;

void setMixerLink(UdpSocket* socket, const UdpEndpoint& endpoint);
UdpSocket* mixerLinkSocket();
UdpEndpoint mixerLinkEndpoint();

// Sends; on failure prints "Error sending <address> to mixer" and returns false.
bool sendToMixer(const char* address, const char* typeTags, ...);
// Sends without printing anything; the caller reports a failure itself.
bool sendToMixerQuietly(const char* address, const char* typeTags, ...);
// Sends bytes already encoded; false on failure (nothing printed).
bool sendRawToMixer(const unsigned char* data, int length);
