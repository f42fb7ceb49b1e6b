#pragma once

// A small HTTP server on 127.0.0.1 inside the test process: canned answers
// per path, slow and silent servers, redirects. It stops by itself after a
// minute, so a test that forgets it never leaves it running.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

#include <map>
#include <memory>

class QTcpServer;
class QTcpSocket;

namespace testing_support {

class LocalHttpServer {
public:
    struct Response {
        int status = 200;
        QByteArray body;
        QList<QPair<QByteArray, QByteArray>> headers;
        // Off: no Content-Length, the body ends when the connection closes.
        bool sendLength = true;
        // Reads the request and never answers it.
        bool silent = false;
    };

    LocalHttpServer();
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    // Unknown paths answer 404.
    void route(const QString& path, Response response);
    void routeFeed(const QString& path, const QByteArray& feed);
    void routeRedirect(const QString& path, const QString& location, int status = 302);

    QUrl url(const QString& path) const;
    // Paths requested so far, in order.
    const QList<QString>& requests() const { return requests_; }

private:
    void serve(QTcpSocket* socket);

    std::unique_ptr<QTcpServer> server_;
    std::map<QString, Response> routes_;
    QList<QString> requests_;
};

} // namespace testing_support
