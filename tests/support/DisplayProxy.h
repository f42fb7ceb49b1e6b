#pragma once

// A display of the test's own in front of the session's X server, that goes
// away at a point of the X conversation the test names, as a server that
// dies does: every connection closed and no more listening.

#include <QByteArray>

#include <atomic>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

namespace testing_support {

class DisplayProxy {
public:
    // When the display goes away: as soon as it has passed on
    // `afterMessages` whole messages of the server's to the `client`th
    // connection (0 for the first to connect), the answer to the connection
    // set-up counting as the first; as that client connects when it is 0.
    // Or, when `requests` names some, as any client sends one of them,
    // which never reaches the server: each is a major opcode and a minor
    // one (-1 for a core request).
    struct Ending {
        int client = -1;
        int afterMessages = 0;
        std::vector<std::pair<int, int>> requests = {};
    };

    explicit DisplayProxy(Ending ending);
    ~DisplayProxy();
    DisplayProxy(const DisplayProxy&) = delete;
    DisplayProxy& operator=(const DisplayProxy&) = delete;

    // DISPLAY's form (":712"); empty when no display number could be had.
    QByteArray name() const { return name_; }
    bool gone() const { return gone_; }
    // The clients that connected so far.
    int clients() const { return clients_; }

private:
    struct Connection;
    void run();
    void goAway();
    bool forwardFromServer(Connection& c);
    bool forwardFromClient(Connection& c);

    Ending ending_;
    QByteArray name_;
    QByteArray socketPath_;
    QByteArray lockPath_;
    QByteArray serverPath_;
    int listener_ = -1;
    int abstractListener_ = -1;
    int stopPipe_[2] = {-1, -1};
    std::atomic<bool> gone_{false};
    std::atomic<int> clients_{0};
    std::thread thread_;
};

} // namespace testing_support
