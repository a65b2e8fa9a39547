// A server on the loopback that takes connections (they complete in the listen backlog) and never
// answers them: what a hung print server looks like to its clients.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

namespace zelm::test {

class TSilentServer {
public:
    TSilentServer() {
        Socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (::bind(Socket_, reinterpret_cast<sockaddr*>(&address), size) == 0 && ::listen(Socket_, 64) == 0 &&
            ::getsockname(Socket_, reinterpret_cast<sockaddr*>(&address), &size) == 0)
            Address_ = "127.0.0.1:" + std::to_string(ntohs(address.sin_port));
    }
    ~TSilentServer() { ::close(Socket_); }
    TSilentServer(const TSilentServer&) = delete;
    TSilentServer& operator=(const TSilentServer&) = delete;
    // "127.0.0.1:PORT", or empty when no server could be set up.
    const std::string& Address() const { return Address_; }

private:
    int Socket_ = -1;
    std::string Address_;
};

} // namespace zelm::test
