// The tests' in-process HTTP server.
#include "support/LocalHttpServer.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace testing_support {

namespace {
constexpr int kLifetimeMs = 60'000;

QByteArray reason(int status) {
    switch (status) {
    case 200: return "OK";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 307: return "Temporary Redirect";
    case 404: return "Not Found";
    default: return "Status";
    }
}
} // namespace

LocalHttpServer::LocalHttpServer() : server_(std::make_unique<QTcpServer>()) {
    server_->listen(QHostAddress::LocalHost);
    QObject::connect(server_.get(), &QTcpServer::newConnection, server_.get(), [this] {
        while (QTcpSocket* socket = server_->nextPendingConnection()) {
            auto request = std::make_shared<QByteArray>();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request] {
                if (request->contains("\r\n\r\n")) return; // already answered
                *request += socket->readAll();
                if (!request->contains("\r\n\r\n")) return;
                const QList<QByteArray> line = request->left(request->indexOf("\r\n")).split(' ');
                requests_.append(line.size() > 1 ? QString::fromLatin1(line[1]) : QString());
                serve(socket);
            });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    QTimer::singleShot(kLifetimeMs, server_.get(), [this] {
        server_->close();
        for (QTcpSocket* s : server_->findChildren<QTcpSocket*>()) s->abort();
    });
}

LocalHttpServer::~LocalHttpServer() = default;

void LocalHttpServer::route(const QString& path, Response response) { routes_[path] = std::move(response); }

void LocalHttpServer::routeFeed(const QString& path, const QByteArray& feed) {
    Response r;
    r.body = feed;
    r.headers.append(qMakePair(QByteArray("Content-Type"), QByteArray("application/rss+xml")));
    route(path, r);
}

void LocalHttpServer::routeRedirect(const QString& path, const QString& location, int status) {
    Response r;
    r.status = status;
    r.headers.append(qMakePair(QByteArray("Location"), location.toUtf8()));
    route(path, r);
}

QUrl LocalHttpServer::url(const QString& path) const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(server_->serverPort()).arg(path));
}

void LocalHttpServer::serve(QTcpSocket* socket) {
    const QString path = requests_.back();
    const auto it = routes_.find(path);
    Response response;
    if (it != routes_.end()) response = it->second;
    else response.status = 404;
    if (response.silent) return;
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + reason(response.status) + "\r\n";
    for (const auto& [name, value] : response.headers) head += name + ": " + value + "\r\n";
    if (response.sendLength) head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    head += "Connection: close\r\n\r\n";
    socket->write(head);
    socket->write(response.body);
    socket->disconnectFromHost();
}

} // namespace testing_support
