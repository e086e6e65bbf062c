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

// The console works out which head amp feeds an input strip (its source
// through the routing blocks and the routing switch) and answers that under
// /-ha/NN/index. After a change to any of those it is asked again, for one
// channel or aux input or for all of them; other strips have no head amp.
void askHeadampIndex(int strip);
void askEveryHeadampIndex();

// A message with one argument whose address and type tag are encoded once,
// at start; a send only writes the argument's four bytes.
constexpr int PREBUILT_OSC_SIZE = 48;
struct PrebuiltOscMessage {
    unsigned char bytes[PREBUILT_OSC_SIZE];
    int length;   // 0: not built (the address did not fit)
};
// tag is 'f' or 'i'.
void prebuildOscMessage(PrebuiltOscMessage& message, const char* address, char tag);
// Send with the given argument; on failure print "Error sending <address> to
// mixer" and return false, as sendToMixer does.
bool sendPrebuiltFloat(const PrebuiltOscMessage& message, float value);
bool sendPrebuiltInt(const PrebuiltOscMessage& message, int value);
