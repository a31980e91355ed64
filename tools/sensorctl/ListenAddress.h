// The address the settings console listens on: "ADDR:PORT".
#ifndef TOOLS_SENSORCTL_LISTENADDRESS_H
#define TOOLS_SENSORCTL_LISTENADDRESS_H

#include <string>

struct ListenAddress {
    std::string host = "127.0.0.1";
    int port = 8080;  // 0: any free port
};

// "ADDR:PORT" ("[::1]:8080" for IPv6; localhost for 127.0.0.1) into address;
// "" keeps the defaults. False with a one-line message.
bool parseListenAddress(const std::string& text, ListenAddress& address, std::string& error);
// The host without the brackets of an IPv6 literal ("[::1]" -> "::1").
std::string unbracketed(const std::string& host);
// An IPv4 or IPv6 address (brackets allowed), not a name.
bool isIpLiteral(const std::string& host);
// 127.x.x.x, ::1 and localhost.
bool isLoopbackHost(const std::string& host);

#endif
