#pragma once

// One download of an update feed, bounded in size, time and redirects.

#include "platform/Lifetime.h"

#include <QByteArray>
#include <QMetaObject>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <memory>
#include <vector>

class QNetworkAccessManager;
class QNetworkReply;

namespace platform {

class AppcastFetch {
public:
    struct Limits {
        int timeoutMs = 30'000;        // for the whole download, redirects included
        qint64 maximumBytes = 1 << 20; // 1 MB
        int maximumRedirects = 5;
    };
    struct Result {
        QByteArray bytes;
        QString error; // empty on success
        bool ok() const { return error.isEmpty(); }
    };
    using Completion = std::function<void(Result)>;

    // Starts at once. `done` runs exactly once, on a later turn of the main
    // loop, unless the fetch is destroyed first (which stops it).
    AppcastFetch(QNetworkAccessManager& network, const QUrl& url, Limits limits, Completion done);
    ~AppcastFetch();
    AppcastFetch(const AppcastFetch&) = delete;
    AppcastFetch& operator=(const AppcastFetch&) = delete;

    // Feeds come over HTTPS; plain HTTP only from this machine (tests).
    static bool isAllowedAddress(const QUrl& url);

private:
    void request(const QUrl& url);
    void readBody();
    void finished();
    void fail(const QString& error);
    QString tooLarge() const;
    void complete(Result result);
    void dropReply();

    QNetworkAccessManager& network_;
    Limits limits_;
    Completion done_;
    QUrl current_;
    QNetworkReply* reply_ = nullptr;
    std::vector<QMetaObject::Connection> connections_;
    QTimer timeout_;
    QByteArray body_;
    int redirects_ = 0;
    platform::Lifetime<AppcastFetch> lifetime_{this};
};

} // namespace platform
