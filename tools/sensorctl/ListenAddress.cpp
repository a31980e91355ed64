#include "ListenAddress.h"

#include <arpa/inet.h>

#include "CommandLine.h"

std::string unbracketed(const std::string& host) {
    return host.size() > 2 && host.front() == '[' && host.back() == ']'
               ? host.substr(1, host.size() - 2)
               : host;
}

bool isIpLiteral(const std::string& host) {
    unsigned char address[16];
    std::string bare = unbracketed(host);
    return inet_pton(AF_INET, bare.c_str(), address) == 1 ||
           inet_pton(AF_INET6, bare.c_str(), address) == 1;
}

bool isLoopbackHost(const std::string& host) {
    std::string bare = unbracketed(host);
    return bare == "localhost" || bare == "::1" || bare.compare(0, 4, "127.") == 0;
}

bool parseListenAddress(const std::string& text, ListenAddress& address, std::string& error) {
    if (text.empty()) {
        return true;
    }
    size_t colon = text.rfind(':');
    std::string host = colon == std::string::npos ? "" : unbracketed(text.substr(0, colon));
    int port = -1;
    if (colon == std::string::npos || !parseInt(text.substr(colon + 1), port) || port < 0 ||
        port > 65535) {
        error = "--listen: expected ADDR:PORT, got '" + text + "'";
        return false;
    }
    if (host != "localhost" && !isIpLiteral(host)) {
        error = "--listen: '" + host + "' is not an IP address";
        return false;
    }
    address.host = host == "localhost" ? "127.0.0.1" : host;
    address.port = port;
    return true;
}
