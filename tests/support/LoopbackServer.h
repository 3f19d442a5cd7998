#pragma once
// The tests' web server: tests/net/loopback_server.py on 127.0.0.1 and a free port, serving a
// folder of the sandbox; stopped when the object goes. Nothing reaches outside the machine.
#include <string>
#include <sys/types.h>

namespace qmtest {

class LoopbackServer {
public:
    explicit LoopbackServer(const std::string& root);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    bool Running() const { return port_ != 0; }
    // "http://127.0.0.1:PORT" followed by path (which starts with '/').
    std::string Url(const std::string& path) const;
    const std::string& Root() const { return root_; }

private:
    std::string root_;
    pid_t pid_ = -1;
    int port_ = 0;
};

} // namespace qmtest
