// Downloading an update feed within its limits.
#include "platform/AppcastFetch.h"

#include "platform/Dispatch.h"

#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace platform {

AppcastFetch::AppcastFetch(QNetworkAccessManager& network, const QUrl& url, Limits limits, Completion done)
    : network_(network), limits_(limits), done_(std::move(done)) {
    timeout_.setSingleShot(true);
    QObject::connect(&timeout_, &QTimer::timeout, &timeout_,
                     [this] { fail(QStringLiteral("The update server did not answer in time.")); });
    timeout_.start(limits_.timeoutMs);
    if (!isAllowedAddress(url)) {
        fail(QStringLiteral("The update feed address %1 is not a secure (https) address.").arg(url.toDisplayString()));
        return;
    }
    request(url);
}

AppcastFetch::~AppcastFetch() {
    lifetime_.end();
    dropReply();
}

bool AppcastFetch::isAllowedAddress(const QUrl& url) {
    if (!url.isValid() || url.host().isEmpty()) return false;
    if (url.scheme() == QLatin1String("https")) return true;
    if (url.scheme() != QLatin1String("http")) return false;
    const QHostAddress address(url.host());
    return !address.isNull() && address.isLoopback();
}

void AppcastFetch::request(const QUrl& url) {
    current_ = url;
    body_.clear();
    QNetworkRequest request(url);
    // Redirects are followed here, one by one, so each target is checked.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Overink/" OVERINK_VERSION));
    reply_ = network_.get(request);
    // The reply never buffers much more than the feed may hold.
    reply_->setReadBufferSize(limits_.maximumBytes + 1);
    connections_.push_back(QObject::connect(reply_, &QNetworkReply::metaDataChanged, reply_, [this] {
        const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > limits_.maximumBytes) fail(tooLarge());
    }));
    connections_.push_back(QObject::connect(reply_, &QNetworkReply::readyRead, reply_, [this] { readBody(); }));
    connections_.push_back(QObject::connect(reply_, &QNetworkReply::finished, reply_, [this] { finished(); }));
}

QString AppcastFetch::tooLarge() const {
    const qint64 mb = 1 << 20;
    return limits_.maximumBytes % mb == 0
               ? QStringLiteral("The update feed is larger than %1 MB.").arg(limits_.maximumBytes / mb)
               : QStringLiteral("The update feed is larger than %1 bytes.").arg(limits_.maximumBytes);
}

void AppcastFetch::readBody() {
    if (!reply_) return;
    body_ += reply_->readAll();
    if (body_.size() > limits_.maximumBytes) fail(tooLarge());
}

void AppcastFetch::finished() {
    readBody();
    if (!reply_) return;
    const int status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QVariant target = reply_->attribute(QNetworkRequest::RedirectionTargetAttribute);
    if (status >= 300 && status < 400 && target.isValid()) {
        const QUrl next = current_.resolved(target.toUrl());
        if (++redirects_ > limits_.maximumRedirects) {
            fail(QStringLiteral("The update server redirected more than %1 times.").arg(limits_.maximumRedirects));
        } else if (!isAllowedAddress(next)) {
            fail(QStringLiteral("The update server redirected to %1, which is not a secure (https) address.")
                     .arg(next.toDisplayString()));
        } else {
            dropReply();
            request(next);
        }
        return;
    }
    if (status != 0 && (status < 200 || status >= 300)) {
        fail(QStringLiteral("The update server answered with status %1.").arg(status));
    } else if (reply_->error() != QNetworkReply::NoError) {
        QString reason = reply_->errorString();
        if (reason.endsWith(u'.')) reason.chop(1);
        fail(QStringLiteral("The update server could not be reached (%1).").arg(reason));
    } else {
        complete({std::exchange(body_, {}), {}});
    }
}

void AppcastFetch::fail(const QString& error) { complete({{}, error}); }

void AppcastFetch::complete(Result result) {
    if (!done_) return;
    dropReply();
    timeout_.stop();
    // Later, so the owner may destroy this fetch from its completion.
    platform::dispatchMain([weak = lifetime_.ref(), done = std::exchange(done_, nullptr), result = std::move(result)] {
        if (weak) done(result);
    });
}

void AppcastFetch::dropReply() {
    for (auto& c : connections_) QObject::disconnect(c);
    connections_.clear();
    if (!reply_) return;
    QNetworkReply* reply = std::exchange(reply_, nullptr);
    reply->abort();
    reply->deleteLater();
}

} // namespace platform
