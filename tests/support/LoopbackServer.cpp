#include "LoopbackServer.h"

#include "Sandbox.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace qmtest {

LoopbackServer::LoopbackServer(const std::string& root) : root_(root) {
    const std::string portFile = MakeTempFolder("port") + "/port";
    const std::string script = QM_TEST_SOURCE_DIR "/net/loopback_server.py";
    pid_ = ::fork();
    if (pid_ == 0) {
        ::execlp("python3", "python3", script.c_str(), root.c_str(), portFile.c_str(),
                 static_cast<char*>(nullptr));
        ::_exit(127);
    }
    for (int i = 0; i < 500 && pid_ > 0; ++i) {
        if (std::filesystem::exists(portFile)) {
            port_ = std::stoi(ReadFile(portFile));
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

LoopbackServer::~LoopbackServer() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
}

std::string LoopbackServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

} // namespace qmtest
