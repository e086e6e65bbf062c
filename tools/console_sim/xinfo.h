// The console's answer to "/xinfo": its network address, name, model and
// firmware (",ssss"), sent back to whoever asked, broadcast or not.
#pragma once

#include <netinet/in.h>

#include <string>

struct ConsoleIdentity {
    std::string address;  // as the console reports it
    std::string name = "X32-SIM";
    std::string model = "X32";
    std::string firmware = "4.06";
};

extern ConsoleIdentity identity;

// The address to report for a console listening on listen: that address, or
// for 0.0.0.0 the first non-loopback interface address (127.0.0.1 if none).
std::string reportedAddress(const sockaddr_in& listen);

void answerXinfo(int socketFd, const sockaddr_in& to);
