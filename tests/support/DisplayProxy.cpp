// Forwards X connections to the session's server until the display's planned end.
#include "support/DisplayProxy.h"

#include <QtEndian>

#include <cerrno>
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace testing_support {

namespace {

sockaddr_un unixAddress(const QByteArray& path, bool abstract, socklen_t* length) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const int offset = abstract ? 1 : 0;
    std::snprintf(address.sun_path + offset, sizeof address.sun_path - offset, "%s", path.constData());
    *length = socklen_t(offsetof(sockaddr_un, sun_path) + offset + path.size() + (abstract ? 0 : 1));
    return address;
}

int listenOn(const QByteArray& path, bool abstract) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    socklen_t length = 0;
    const sockaddr_un address = unixAddress(path, abstract, &length);
    if (fd < 0 || ::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0 || ::listen(fd, 16) != 0) {
        if (fd >= 0) ::close(fd);
        return -1;
    }
    return fd;
}

int connectTo(const QByteArray& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    socklen_t length = 0;
    const sockaddr_un address = unixAddress(path, false, &length);
    if (fd < 0 || ::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
        if (fd >= 0) ::close(fd);
        return -1;
    }
    return fd;
}

bool sendAll(int fd, const char* data, qsizetype size) {
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size_t(size), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= n;
    }
    return true;
}

// The length of the server's first whole message in `bytes` (the set-up's
// answer first), 0 while it is incomplete. Little-endian clients only.
qsizetype messageLength(const QByteArray& bytes, bool setUp) {
    const auto* b = reinterpret_cast<const uchar*>(bytes.constData());
    qsizetype length = 0;
    if (!setUp) {
        if (bytes.size() < 8) return 0;
        length = 8 + 4 * qsizetype(qFromLittleEndian<quint16>(b + 6));
    } else {
        if (bytes.size() < 32) return 0;
        const int type = b[0] & 0x7f;
        // Replies and generic events carry more than their 32 bytes.
        length = 32 + (type == 1 || type == 35 ? 4 * qsizetype(qFromLittleEndian<quint32>(b + 4)) : 0);
    }
    return bytes.size() >= length ? length : 0;
}

// The length of the client's first whole request in `bytes` (the set-up
// first), 0 while it is incomplete.
qsizetype requestLength(const QByteArray& bytes, bool setUp) {
    const auto* b = reinterpret_cast<const uchar*>(bytes.constData());
    qsizetype length = 0;
    if (!setUp) {
        if (bytes.size() < 12) return 0;
        const auto padded = [](qsizetype n) { return (n + 3) & ~qsizetype(3); };
        length = 12 + padded(qFromLittleEndian<quint16>(b + 6)) + padded(qFromLittleEndian<quint16>(b + 8));
    } else {
        if (bytes.size() < 4) return 0;
        length = 4 * qsizetype(qFromLittleEndian<quint16>(b + 2));
        // A big request's length follows.
        if (length == 0) {
            if (bytes.size() < 8) return 0;
            length = 4 * qsizetype(qFromLittleEndian<quint32>(b + 4));
        }
    }
    return bytes.size() >= length ? length : 0;
}

} // namespace

struct DisplayProxy::Connection {
    int client = -1;
    int server = -1;
    int index = 0;
    int messages = 0;
    QByteArray fromServer;
    bool setUpSent = false;
    QByteArray fromClient;
    void close() {
        if (client >= 0) ::close(client);
        if (server >= 0) ::close(server);
        client = server = -1;
    }
};

DisplayProxy::DisplayProxy(Ending ending) : ending_(ending) {
    QByteArray display = qgetenv("DISPLAY");
    const qsizetype colon = display.lastIndexOf(':');
    if (colon < 0) return;
    display = display.mid(colon + 1);
    if (const qsizetype dot = display.indexOf('.'); dot >= 0) display.truncate(dot);
    serverPath_ = "/tmp/.X11-unix/X" + display;
    // A number no server holds, locked as X servers lock theirs so that no
    // session started meanwhile takes it.
    for (int n = 700; n < 1000 && listener_ < 0; ++n) {
        const QByteArray lock = "/tmp/.X" + QByteArray::number(n) + "-lock";
        const int fd = ::open(lock.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0444);
        if (fd < 0) continue;
        const QByteArray pid = QByteArray::number(::getpid()).rightJustified(10) + '\n';
        const bool written = ::write(fd, pid.constData(), size_t(pid.size())) == pid.size();
        ::close(fd);
        const QByteArray path = "/tmp/.X11-unix/X" + QByteArray::number(n);
        if (written) {
            abstractListener_ = listenOn(path, true);
            if (abstractListener_ >= 0) listener_ = listenOn(path, false);
        }
        if (listener_ < 0) {
            if (abstractListener_ >= 0) ::close(abstractListener_);
            abstractListener_ = -1;
            ::unlink(lock.constData());
            continue;
        }
        lockPath_ = lock;
        socketPath_ = path;
        name_ = ':' + QByteArray::number(n);
    }
    if (listener_ < 0 || ::pipe2(stopPipe_, O_CLOEXEC) != 0) return;
    thread_ = std::thread([this] { run(); });
}

DisplayProxy::~DisplayProxy() {
    if (thread_.joinable()) {
        const char stop = 0;
        (void)!::write(stopPipe_[1], &stop, 1);
        thread_.join();
    }
    if (!gone_) goAway();
    for (int fd : stopPipe_)
        if (fd >= 0) ::close(fd);
}

void DisplayProxy::goAway() {
    for (int* fd : {&listener_, &abstractListener_}) {
        if (*fd >= 0) ::close(*fd);
        *fd = -1;
    }
    if (!socketPath_.isEmpty()) ::unlink(socketPath_.constData());
    if (!lockPath_.isEmpty()) ::unlink(lockPath_.constData());
    gone_ = true;
}

void DisplayProxy::run() {
    std::vector<std::unique_ptr<Connection>> connections;
    auto endAll = [&] {
        for (auto& c : connections) c->close();
        connections.clear();
        goAway();
    };
    while (!gone_) {
        std::vector<pollfd> fds{{stopPipe_[0], POLLIN, 0}, {listener_, POLLIN, 0}, {abstractListener_, POLLIN, 0}};
        for (const auto& c : connections) {
            fds.push_back({c->client, POLLIN, 0});
            fds.push_back({c->server, POLLIN, 0});
        }
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[0].revents) return;
        for (int l = 1; l <= 2; ++l) {
            if (!fds[l].revents) continue;
            const int client = ::accept4(fds[l].fd, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0) continue;
            const int index = clients_++;
            if (index == ending_.client && ending_.afterMessages == 0) {
                ::close(client);
                endAll();
                return;
            }
            auto c = std::make_unique<Connection>();
            c->client = client;
            c->server = connectTo(serverPath_);
            c->index = index;
            if (c->server < 0) {
                c->close();
                continue;
            }
            connections.push_back(std::move(c));
        }
        // The connections polled this turn, by their place in `fds`.
        std::vector<Connection*> polled;
        for (std::size_t i = 3; i + 1 < fds.size(); i += 2) polled.push_back(connections[(i - 3) / 2].get());
        for (std::size_t p = 0; p < polled.size(); ++p) {
            Connection& c = *polled[p];
            char buffer[65536];
            if (fds[3 + 2 * p].revents && c.client >= 0) {
                const ssize_t n = ::read(c.client, buffer, sizeof buffer);
                if (n <= 0) {
                    c.close();
                } else if (ending_.requests.empty()) {
                    if (!sendAll(c.server, buffer, n)) c.close();
                } else {
                    c.fromClient.append(buffer, n);
                    if (!forwardFromClient(c)) {
                        endAll();
                        return;
                    }
                }
            }
            if (fds[4 + 2 * p].revents && c.server >= 0) {
                const ssize_t n = ::read(c.server, buffer, sizeof buffer);
                if (n <= 0) {
                    c.close();
                    continue;
                }
                c.fromServer.append(buffer, n);
                if (!forwardFromServer(c)) {
                    endAll();
                    return;
                }
            }
        }
        std::erase_if(connections, [](const auto& c) { return c->client < 0; });
    }
}

// Passes on the server's whole messages; false once the display must go.
bool DisplayProxy::forwardFromServer(Connection& c) {
    while (const qsizetype length = messageLength(c.fromServer, c.messages > 0)) {
        if (!sendAll(c.client, c.fromServer.constData(), length)) {
            c.close();
            return true;
        }
        c.fromServer.remove(0, length);
        if (++c.messages == ending_.afterMessages && c.index == ending_.client) return false;
    }
    return true;
}

// Passes on the client's whole requests; false once the display must go.
bool DisplayProxy::forwardFromClient(Connection& c) {
    while (const qsizetype length = requestLength(c.fromClient, c.setUpSent)) {
        if (c.setUpSent) {
            const int major = uchar(c.fromClient[0]), minor = uchar(c.fromClient[1]);
            for (const auto& [m, n] : ending_.requests)
                if (m == major && (n < 0 || n == minor)) return false;
        }
        if (!sendAll(c.server, c.fromClient.constData(), length)) {
            c.close();
            return true;
        }
        c.fromClient.remove(0, length);
        c.setUpSent = true;
    }
    return true;
}

} // namespace testing_support
